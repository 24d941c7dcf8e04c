// Looking accounts up on the main window's model: the combo box rules and GO.
#include "AccountBookFixture.h"

namespace {

class AccountBookLookup : public AccountBookFixture
{
protected:
    void SetUp() override
    {
        storeAccounts(LookupAccounts());
        open();
    }
};

} // namespace

TEST_F(AccountBookLookup, TypingCompletesWithTheEntrysOwnCaseAndSelectsTheTail)
{
    struct Case
    {
        const char* typed;
        const char* shown;
        const char* selection;
    };
    const Case cases[] = {
        {"ba", "Bank", "nk"},                             // case-blind, the entry's own case
        {"BA", "Bank", "nk"},       {"Bank", "Bank", ""}, // the first entry in list order that begins with it
        {"banke", "Bankers", "rs"}, {"Z", "zoo", "oo"},   {"q", "q", ""}, // no entry: the text stays as typed
        {"Mailx", "Mailx", ""},
    };
    for (const Case& c : cases) {
        clearCombo();
        typeInCombo(c.typed);
        EXPECT_EQ(comboText(), c.shown) << c.typed;
        EXPECT_EQ(selected(), c.selection) << c.typed;
    }
}

TEST_F(AccountBookLookup, TheNextCharacterReplacesTheSelectedCompletion)
{
    clearCombo();
    typeInCombo("b");
    EXPECT_EQ(comboText(), "Bank");
    typeInCombo("ankE");
    EXPECT_EQ(comboText(), "Bankers");
    EXPECT_EQ(selected(), "rs");
}

TEST_F(AccountBookLookup, ChangingTheComboTextUpdatesTheButtons)
{
    clearCombo();
    // Emptying the text changes no button.
    EXPECT_FALSE(on("Add_Account"));
    EXPECT_FALSE(on("cmdCancel"));
    typeInCombo("New account");
    EXPECT_TRUE(on("Add_Account"));
    EXPECT_TRUE(on("cmdGo"));
    EXPECT_TRUE(on("cmdCancel"));
    EXPECT_FALSE(on("cmdChange")); // nothing on display
    EXPECT_FALSE(on("cmdDelete"));

    lookUp("Bankers");
    ASSERT_EQ(recordLabel(), "3");
    typeInCombo("2");
    EXPECT_TRUE(on("cmdChange")); // a record is on display: typing renames it with Change
    EXPECT_EQ(recordLabel(), "3");
}

TEST_F(AccountBookLookup, GoShowsTheRecordAndOpensItsWebsite)
{
    state.IdleTickCount = 7;
    lookUp("Bank");
    EXPECT_EQ(recordLabel(), "2");
    EXPECT_EQ(comboText(), "Bank");
    EXPECT_EQ(boxText(Box::Website), "HTTP://bank.example.com");
    EXPECT_EQ(boxText(Box::Notes), "savings");
    EXPECT_EQ(boxText(Box::UserId), "jdoe");
    EXPECT_EQ(boxText(Box::Password), "s3cret");
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http://bank.example.com"})); // in its normalized form
    EXPECT_TRUE(platform.messages.empty());
    expectButtons("1 0 0 0 1 D");
    EXPECT_EQ(state.IdleTickCount, 0);
}

TEST_F(AccountBookLookup, AnEmptyWebsiteOpensNothingAndAsksNothing)
{
    lookUp("Bankers");
    EXPECT_EQ(recordLabel(), "3");
    EXPECT_TRUE(platform.urls.empty());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(AccountBookLookup, AFailedLookupEmptiesTheWindowAsNewDoes)
{
    lookUp("Mail");
    platform.urls.clear();
    lookUp("Nobody");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"This account does not exist.  "}));
    EXPECT_TRUE(recordLabel().empty());
    EXPECT_TRUE(comboText().empty());
    for (Box b : {Box::Website, Box::Notes, Box::UserId, Box::Password})
        EXPECT_TRUE(boxText(b).empty()) << b;
    EXPECT_TRUE(on("cmdGo"));
    for (const char* b : {"Add_Account", "cmdChange", "cmdCancel", "cmdDelete"})
        EXPECT_FALSE(on(b)) << b;
    EXPECT_TRUE(platform.urls.empty());
}

TEST_F(AccountBookLookup, ThePlaceholderAndTheHeaderMarkerFindNothing)
{
    click("cmdGo"); // the placeholder as the window starts
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"This account does not exist.  "}));

    // The header record carries the login settings: never shown.
    login.LoginUserName = "owner";
    forgetMessages();
    clearCombo();
    typeInCombo(kHeaderMarker);
    ASSERT_EQ(comboText(), kHeaderMarker);
    click("cmdGo");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"This account does not exist.  "}));
    EXPECT_TRUE(recordLabel().empty());
    EXPECT_TRUE(boxText(Box::Notes).empty());
}

TEST_F(AccountBookLookup, DuplicateNamesShowTheLastOne)
{
    // Change can give two records the same name; GO then shows the later one.
    lookUp("Bankers");
    clearCombo();
    typeInCombo("Mail");
    typeInto(Box::Password, "2");
    click("cmdChange");
    lookUp("Mail");
    EXPECT_EQ(recordLabel(), "3");
    EXPECT_EQ(boxText(Box::Password), "pw2");
}
