// The main window's model as it stands after its load: the list, the mode, the options it reads and writes.
#include "AccountBookFixture.h"

#include <cstring>
#include <filesystem>
#include <optional>

namespace {

const char* const kDefaultLine = "\"\",\"\",\"\",\"true\",\"false\",\"false\",\"true\",\"\",\"true\",\"true\"\r\n";

class AccountBookLoad : public AccountBookFixture
{
protected:
    // The session's load and the window's opening, as the folder stands (no options file written first).
    void load()
    {
        ASSERT_EQ(outcome(session.load()), "Ok");
        session.openMain();
        book = &session.book();
    }
    std::string joined() const
    {
        std::string all;
        for (const std::string& name : book->names())
            all += (all.empty() ? "" : "|") + name;
        return all;
    }
};

} // namespace

TEST_F(AccountBookLoad, ListHoldsEveryAccountSortedWithoutRegardToCase)
{
    ASSERT_EQ(outcome(session.start()), "Main");
    storeNames({"zeta", "Bank", "alpha", "bankers", "t1ckb0xr00tm4rkrz", "Alpha2"});
    load();
    EXPECT_EQ(joined(), "alpha|Alpha2|Bank|bankers|zeta");
    EXPECT_EQ(book->table().size(), 7u);
    EXPECT_EQ(book->table()[0].AccountName, "t1ckb0xr00tm4rkrz");
}

TEST_F(AccountBookLoad, StartsInDragDropModeWhateverTheOptionsSay)
{
    writeOptions("\"\",\"\",\"\",\"false\",\"false\",\"false\",\"true\",\"\",\"true\",\"true\"\r\n");
    load();
    EXPECT_EQ(folder.read("config.dat"), kDefaultLine);
}

TEST_F(AccountBookLoad, TheLoadLeavesTheWholeOptionsLineWithEveryValueQuoted)
{
    // Whatever shape the file had, the mode the load stores leaves the ten values as the window writes them:
    // each a text in quotes, the line ended by CR LF. A value missing from the file is an empty text.
    struct Case
    {
        const char* name;
        std::optional<std::string> before; // none: no options file
        std::string after;
    };
    const Case cases[] = {
        {"no options file", std::nullopt, "\"\",\"\",\"\",\"true\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"},
        {"the defaults without their line end", std::string(kDefaultLine, std::strlen(kDefaultLine) - 2), kDefaultLine},
        {"values written as nothing between commas", ",,,\"true\",\"false\",\"false\",\"true\",,\"true\",\"true\"\r\n",
         kDefaultLine},
        {"unquoted values", "\"\",\"\",\"\",true,false,false,true,\"\",true,true\r\n", kDefaultLine},
        {"fewer than ten values", "\"\",\"\",\"\",\"true\",\"false\",\"false\",\"true\"\r\n",
         "\"\",\"\",\"\",\"true\",\"false\",\"false\",\"true\",\"\",\"\",\"\"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before)
            writeOptions(*c.before);
        else
            std::filesystem::remove(folder.file("config.dat"));
        load();
        EXPECT_EQ(folder.read("config.dat"), c.after);
    }
}

TEST_F(AccountBookLoad, OptionsDecideMasksTopmostAndToolTips)
{
    struct Case
    {
        const char* line;
        bool notes, user, password, onTop, tips;
    };
    const Case cases[] = {
        {kDefaultLine, false, false, true, true, true},
        // Only "false" unmasks; only exactly "true" keeps the window on top.
        {"\"\",\"\",\"\",\"true\",\"FALSE\",\"\",\"false\",\"\",\"TRUE\",\"false\"\r\n", true, true, false, false,
         false},
        {"\"\",\"\",\"\",\"true\",\"true\",\"true\",\"true\",\"\",\"yes\",\"no\"\r\n", true, true, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        writeOptions(c.line);
        load();
        EXPECT_EQ(book->masked(Box::Notes), c.notes);
        EXPECT_EQ(book->masked(Box::UserId), c.user);
        EXPECT_EQ(book->masked(Box::Password), c.password);
        EXPECT_FALSE(book->masked(Box::Website));
        EXPECT_EQ(book->onTop(), c.onTop);
        EXPECT_EQ(book->takeTopmostRequest(), std::optional<int>(c.onTop ? 1 : 0));
        EXPECT_EQ(book->toolTips(), c.tips);
        // Only GO is on, nothing is on display, and the placeholder shows.
        EXPECT_EQ(book->buttons(), (Buttons{true, false, false, false, false}));
        EXPECT_EQ(book->recordLabel(), "");
        EXPECT_EQ(book->comboText(), AccountBook::kPlaceholder);
    }
}
