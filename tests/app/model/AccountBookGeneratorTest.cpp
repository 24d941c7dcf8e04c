// "Generate Password" on the main window's model.
#include "AccountBookFixture.h"

#include <set>

namespace {

const char* const kSaved = "Settings have been saved successfully.";

class AccountBookGenerator : public AccountBookFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "http://alpha.example", "n", "u", "old")});
        open();
    }
    void generate() { ASSERT_FALSE(book->generatePassword().mustEnd()); }
    void go(const std::string& name) { lookUp(name); }
};

} // namespace

TEST_F(AccountBookGenerator, NeedsAnAccountNameFirst)
{
    for (bool empty : {false, true}) {
        forgetMessages();
        if (empty)
            type(""); // else the placeholder the window starts with
        generate();
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, "You must create an account title first.");
        EXPECT_EQ(platform.messages[0].style, MsgInformation);
        EXPECT_EQ(platform.messages[0].caption, "Coffernote");
        EXPECT_TRUE(AccountBookInternals::generatedPassword(*book).empty());
        EXPECT_TRUE(book->boxText(Box::Password).empty());
    }
}

TEST_F(AccountBookGenerator, NoLeavesEverythingAsItWas)
{
    go("Alpha");
    platform.queueAnswer(Answer::No);
    generate();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].style, MsgQuestion);
    OfferedPassword(platform.messages[0].text);
    EXPECT_TRUE(AccountBookInternals::generatedPassword(*book).empty()); // wiped once refused
    EXPECT_EQ(book->boxText(Box::Password), "old");
    EXPECT_EQ(storedTable()[1].Password, "old");
    EXPECT_TRUE(book->dragDrop());
}

TEST_F(AccountBookGenerator, YesChangesTheAccountOnDisplay)
{
    go("Alpha");
    edit(Box::Notes, book->boxText(Box::Notes).str() + "+");
    platform.queueAnswer(Answer::Yes);
    generate();
    ASSERT_EQ(platform.messages.size(), 2u);
    const std::string password = OfferedPassword(platform.messages[0].text);
    EXPECT_EQ(platform.messages[1].text, kSaved);
    EXPECT_EQ(book->boxText(Box::Password), password);
    const AccountTable table = storedTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].Password, password);
    EXPECT_EQ(table[1].Notes, "n+"); // saved with whatever the other boxes hold
    EXPECT_TRUE(book->dragDrop());
    EXPECT_TRUE(book->buttons().del);
}

TEST_F(AccountBookGenerator, YesAddsANewAccount)
{
    type("");
    type("   "); // blanks count as a name
    platform.queueAnswer(Answer::Yes);
    generate();
    ASSERT_EQ(platform.messages.size(), 2u);
    const std::string password = OfferedPassword(platform.messages[0].text);
    EXPECT_EQ(platform.messages[1].text, kSaved);
    const AccountTable table = storedTable();
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[2].AccountName, "   ");
    EXPECT_EQ(table[2].Password, password);
    EXPECT_EQ(book->recordLabel(), "2");
}

TEST_F(AccountBookGenerator, YesForATakenNameEndsAsAddDoes)
{
    type("");
    type("Alpha"); // typed, not looked up
    platform.queueAnswer(Answer::Yes);
    generate();
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1].text, "An account with this name already exists.");
    EXPECT_FALSE(book->buttons().add);
    EXPECT_EQ(storedTable()[1].Password, "old");
    EXPECT_EQ(book->boxText(Box::Password), OfferedPassword(platform.messages[0].text));
}

TEST_F(AccountBookGenerator, ThePasswordIsWipedOnceUsed)
{
    go("Alpha");
    for (Answer answer : {Answer::No, Answer::Yes}) {
        // Where the password was while the question was open: overwritten afterwards, not only emptied.
        const char* buffer = nullptr;
        std::size_t capacity = 0;
        platform.whilePromptOpen = [&](const std::string&) {
            buffer = AccountBookInternals::generatedPassword(*book).data();
            capacity = AccountBookInternals::generatedPassword(*book).capacity();
        };
        platform.queueAnswer(answer);
        generate();
        platform.whilePromptOpen = nullptr;
        ASSERT_NE(buffer, nullptr);
        EXPECT_TRUE(AccountBookInternals::generatedPassword(*book).empty());
        EXPECT_EQ(AccountBookInternals::generatedPassword(*book).data(), buffer); // the same buffer, still the window's
        EXPECT_EQ(std::string(buffer, capacity), std::string(capacity, '\0'));
    }
}

TEST_F(AccountBookGenerator, EveryCallOffersAFreshPassword)
{
    type("");
    type("Alpha");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        platform.queueAnswer(Answer::No);
        generate();
        const std::string password = OfferedPassword(platform.messages.back().text);
        ASSERT_GE(password[0], 'A');
        ASSERT_LE(password[0], 'Z');
        seen.insert(password);
    }
    EXPECT_EQ(seen.size(), 200u);
}
