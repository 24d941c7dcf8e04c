// Another computer's saves arriving through a synchronised folder, on the main window's model and in the files.
#include "AccountBookFixture.h"

#include "app/files/AccountVersions.h"

namespace {

const char* const kSaved = "Settings have been saved successfully.";

class OutsideChangesTest : public AccountBookFixture
{
protected:
    // The other computer: its own program on the same folder, which adds or changes one account.
    void otherComputerAdds(const std::string& name, const std::string& password = "pw")
    {
        FakePlatform p;
        Session other(folder.str(), p);
        ASSERT_EQ(outcome(other.load()), "Ok");
        other.openMain();
        AccountBook& b = other.book();
        const bool exists = name == "A";
        b.setComboTextQuietly(name);
        if (exists) {
            ASSERT_EQ(outcome(b.lookUp()), "Ok");
        }
        b.boxEdited(AccountBook::Password, SecretString(password));
        ASSERT_EQ(outcome(exists ? b.changeAccount() : b.addAccount()), "Ok");
        ASSERT_EQ(p.messages.back().text, kSaved);
    }
    void saveAfterOtherComputer(bool movingIn)
    {
        storeAccounts({MakeAccount("A", "", "", "", "a"), MakeAccount("B")});
        open();
        otherComputerAdds("Kilo");
        if (movingIn) {
            const std::string theirs = folder.read("settings.dat");
            std::filesystem::remove(folder.file("settings.dat"));
            platform.whilePaused = [this, theirs] { folder.write("settings.dat", theirs); };
        }
        add("Lima");
        EXPECT_EQ(messageTexts(),
                  (std::vector<std::string>{"Accounts changed on another computer were merged in:\r\nNew from the "
                                            "other computer: Kilo",
                                            kSaved}));
        EXPECT_EQ(storedNames(), (std::vector<std::string>{"A", "B", "Kilo", "Lima"}));
        EXPECT_EQ(listed(), (std::vector<std::string>{"A", "B", "Kilo", "Lima"}));
        EXPECT_EQ(book->table()[book->displayedIndex()].AccountName, "Lima");
        EXPECT_EQ(book->comboText(), "Lima");
    }
    void add(const std::string& name)
    {
        book->setComboTextQuietly(name);
        book->boxEdited(AccountBook::Password, SecretString("mine"));
        ASSERT_EQ(outcome(book->addAccount()), "Ok");
    }
};

} // namespace

TEST_F(OutsideChangesTest, ASaveFirstTakesInWhatAnotherComputerSavedSince)
{
    saveAfterOtherComputer(false);
}

// Its file still moving in (deleted, then put in place) as the save starts: the save waits for it.
TEST_F(OutsideChangesTest, ASaveWaitsForTheOtherComputersFileMovingIn)
{
    saveAfterOtherComputer(true);
}

TEST_F(OutsideChangesTest, WhileIdleTheListFollowsWithoutASaveOrAWord)
{
    storeAccounts({MakeAccount("A", "", "", "", "a"), MakeAccount("B")});
    open();
    lookUp("A");
    forgetMessages();
    otherComputerAdds("A", "changed there");
    const std::string theirs = folder.read("settings.dat");
    EXPECT_TRUE(book->takeInOutsideChanges());
    EXPECT_FALSE(book->takeInOutsideChanges()); // one look when nothing changed
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(folder.read("settings.dat"), theirs);
    EXPECT_EQ(boxText(Box::Password), "changed there");
}

TEST_F(OutsideChangesTest, AConflictCopyIsMergedSavedAndKeptAmongTheVersions)
{
    storeAccounts({MakeAccount("A", "", "", "", "a"), MakeAccount("November")});
    const std::string theirs = folder.read("settings.dat");
    storeAccounts({MakeAccount("A", "", "", "", "a"), MakeAccount("Oscar")});
    const std::string copy = "settings.sync-conflict-20261208-101010-ABCDEFG.dat";
    folder.write(copy, theirs);
    folder.write("config (conflicted copy 2026-12-08 101010).dat", "anything");
    open();
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.front().text,
              "A synchronisation program set aside a copy of the account file that another computer changed at the "
              "same time as this one:\r\n" +
                  copy +
                  "\r\nIts accounts were merged in and saved; the copy is kept among the earlier versions.\r\n"
                  "Accounts changed on another computer were merged in:\r\nNew from the other computer: November");
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"A", "November", "Oscar"}));
    EXPECT_FALSE(folder.exists(copy));
    EXPECT_FALSE(folder.exists("config (conflicted copy 2026-12-08 101010).dat"));
    bool kept = false;
    for (const KeptVersion& v : ListVersions(folder.str()))
        kept |= folder.read(std::string(kVersionsFolderName) + "/" + v.name) == theirs;
    EXPECT_TRUE(kept);
}
