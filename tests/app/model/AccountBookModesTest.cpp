// The mode and the options file on the main window's model.
#include "AccountBookFixture.h"

#include <chrono>
#include <filesystem>
#include <functional>

namespace {

class AccountBookModes : public AccountBookFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "http://alpha.example", "the notes", "alice", "s3cr3t")});
        open();
        lookUp("Alpha");
        platform.urls.clear();
    }
    std::string option(OptionsRecord::Field f) { return storedOptions().get(f); }
};

} // namespace

TEST_F(AccountBookModes, TheOptionsFileIsRewrittenOnlyWhenItsContentChanges)
{
    namespace fs = std::filesystem;
    const std::string path = folder.file("config.dat");
    const std::string canonical = folder.read("config.dat");
    ASSERT_EQ(canonical.substr(canonical.size() - 2), "\r\n");
    // A time long past marks the file as it stands: a rewrite would give it a new one.
    const fs::file_time_type past = fs::last_write_time(path) - std::chrono::hours(24 * 365);
    fs::last_write_time(path, past);

    lookUp("Alpha"); // Drag/Drop mode again: the file already says so
    lookUp("Alpha");
    EXPECT_EQ(folder.read("config.dat"), canonical);
    EXPECT_EQ(fs::last_write_time(path), past) << "rewritten without a change";

    typeInto(Box::UserId, "x"); // Edit mode: a change
    EXPECT_EQ(option(OptionsRecord::DragDropMode), "false");
    EXPECT_NE(fs::last_write_time(path), past);

    // A file whose bytes differ from the line the window would write is rewritten, even when every value
    // reads the same: afterwards it holds exactly the whole line.
    click("cmdCancel");
    ASSERT_EQ(folder.read("config.dat"), canonical);
    folder.write("config.dat", canonical.substr(0, canonical.size() - 2));
    lookUp("Alpha");
    EXPECT_EQ(folder.read("config.dat"), canonical);
}

// A display option is written only while this copy holds the data folder's lock, as a save is.
TEST_F(AccountBookModes, AnOptionIsNotWrittenWithoutTheLock)
{
    const std::string before = folder.read("config.dat");
    platform.holdsLock = false;
    typeInto(Box::UserId, "x"); // Edit mode: a change
    EXPECT_EQ(option(OptionsRecord::DragDropMode), "true");
    EXPECT_EQ(folder.read("config.dat"), before);
    platform.holdsLock = true;
    click("cmdCancel");
    typeInto(Box::UserId, "y");
    EXPECT_EQ(option(OptionsRecord::DragDropMode), "false");
}

// The window copies a secret into its widget only when the book gave the box another text itself.
TEST_F(AccountBookModes, ABoxGetsANewRevisionOnlyWhenTheBookChangesItsText)
{
    struct Step
    {
        const char* name;
        std::function<void()> run;
        bool newRevision;
    };
    const Step steps[] = {
        {"the user types", [&] { typeInto(Box::Password, "!"); }, false},
        {"Cancel brings the stored text back", [&] { book->cancelEdit(); }, true},
        {"Cancel again: the same text", [&] { book->cancelEdit(); }, false},
        {"a mask, a mode",
         [&] {
             book->toggleMask(Box::Password);
             book->toggleMode();
         },
         false},
        {"New empties it", [&] { book->newAccount(); }, true},
        {"New again", [&] { book->newAccount(); }, false},
        {"a lookup fills it", [&] { lookUp("Alpha"); }, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        const int before = book->boxRevision(Box::Password);
        s.run();
        EXPECT_EQ(book->boxRevision(Box::Password) != before, s.newRevision);
    }
}
