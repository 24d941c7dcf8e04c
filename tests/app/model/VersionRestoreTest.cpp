// File > Restore an Earlier Version, on the main window's model and in the files.
#include "AccountBookFixture.h"

#include "app/files/AccountVersions.h"
#include "app/model/VersionRestore.h"
#include "cipher/ProtectedFile.h"

namespace {

std::vector<std::string> names(const std::vector<std::string>& v)
{
    return v;
}

class VersionRestoreTest : public AccountBookFixture
{
};

} // namespace

TEST(CompareAccounts, KnowsAnAccountByItsNameAndWhichOfThatNameItIs)
{
    auto table = [](std::vector<std::pair<const char*, const char*>> rows) {
        AccountTable t{MakeHeaderRecord("", "", "")};
        for (auto [name, password] : rows)
            t.push_back(MakeAccount(name, "", "", "", password));
        return t;
    };
    const AccountTable now = table({{"Bank", "1"}, {"Bank", "2"}, {"Mail", "m"}, {"Shop", "s"}});
    const AccountTable version =
        table({{"Bank", "1"}, {"Bank", "changed"}, {"Bank", "3"}, {"Mail", "m"}, {"Zoo", "z"}});
    const VersionDifference d = CompareAccounts(now, version);
    EXPECT_EQ(d.added, names({"Bank", "Zoo"}));
    EXPECT_EQ(d.removed, names({"Shop"}));
    EXPECT_EQ(d.changed, names({"Bank"}));
    const VersionDifference none = CompareAccounts(now, now);
    EXPECT_TRUE(none.added.empty() && none.removed.empty() && none.changed.empty());
}

TEST_F(VersionRestoreTest, DeleteThenRestoreBringsTheAccountBackAndTheRestoreCanBeUndone)
{
    storeAccounts({MakeAccount("A", "", "", "", "pa"), MakeAccount("B", "", "", "", "pb")});
    open();
    lookUp("B");
    platform.queueAnswer(Answer::Yes);
    click("cmdDelete");
    forgetMessages();

    // Read before the restore, which keeps the table it replaces as a newer version.
    const std::string when = LocalTimeText(ListVersions(folder.str()).front().writtenMs);
    platform.queueVersionChoice(0);
    platform.queueAnswer(Answer::Yes);
    ASSERT_EQ(outcome(book->restoreVersion()), "Ok");
    ASSERT_EQ(platform.versionRows.size(), 1u);
    EXPECT_TRUE(platform.versionRows[0].ends_with("   2 accounts")) << platform.versionRows[0];
    EXPECT_EQ(platform.versionDetails, names({"Restoring this version would\r\nbring back 1 account: B"}));
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].text, "Restore your accounts as they were on " + when +
                                             " (2 accounts)?\r\nThe accounts you have now are kept as an earlier "
                                             "version, so this can be undone in the same way.");
    EXPECT_EQ(platform.messages[0].style, MsgQuestionNoDefault);
    EXPECT_EQ(platform.messages[1].text, "Your accounts are restored as they were on " + when + ".");
    EXPECT_EQ(storedNames(), names({"A", "B"}));
    EXPECT_EQ(listed(), names({"A", "B"}));
    EXPECT_EQ(book->table()[2].Password, "pb");
    // The table before the restore is a version too.
    EXPECT_EQ(ListVersions(folder.str()).size(), 2u);
}

TEST_F(VersionRestoreTest, NoOrAnUnreadableVersionChangesNothing)
{
    storeAccounts({MakeAccount("A"), MakeAccount("B")});
    open();
    (void)book->restoreVersion();
    EXPECT_EQ(messageTexts(), names({"No earlier version of your accounts has been kept yet: one is kept each time a "
                                     "change is saved."}));
    lookUp("B");
    platform.queueAnswer(Answer::Yes);
    click("cmdDelete");
    forgetMessages();
    const std::string planted = std::string(kVersionsFolderName) + "/" + VersionName(0, 0);
    folder.write(planted, "not an account file");

    platform.queueVersionChoice(1);
    (void)book->restoreVersion();
    EXPECT_TRUE(platform.versionRows.at(1).ends_with("   cannot be read"));
    EXPECT_EQ(platform.versionDetails.at(1),
              "This version cannot be read: it is damaged, or not an account file of Coffernote's.");
    EXPECT_EQ(messageTexts(), names({"The version of " + LocalTimeText(0) +
                                     " cannot be read: it is damaged, or not an account file of Coffernote's."
                                     "\r\nNothing has been changed."}));
    platform.queueVersionChoice(0);
    platform.queueAnswer(Answer::No);
    (void)book->restoreVersion();
    EXPECT_EQ(storedNames(), names({"A"}));
    EXPECT_EQ(folder.read(planted), "not an account file");
}

TEST_F(VersionRestoreTest, AVersionSavedUnderAnotherLoginAsksForIt)
{
    {
        FakePlatform p;
        AppState other(folder.str(), p);
        Login otherLogin;
        otherLogin.LoginUserName = "old";
        otherLogin.LoginPassword1 = "old secret";
        otherLogin.protection = NewProtection(KdfSettings{kMinKdfMemoryKiB, 1, 1}, otherLogin.LoginUserName,
                                              otherLogin.LoginPassword1, otherLogin.LoginPassword2);
        ASSERT_TRUE(WriteOptionsFile(folder.str(), OptionsRecord::defaults()).isOk());
        AccountTable t{MakeHeaderRecord("", "", ""), MakeAccount("Sealed", "", "", "", "s")};
        t[1].RecordNo = 1;
        ASSERT_EQ(outcome(SaveAccountFile(other, otherLogin, t)), "Ok");
        ASSERT_TRUE(MoveAccountFileToVersions(folder.str()).isOk());
    }
    storeAccounts({MakeAccount("Now")});
    open();
    platform.queueVersionChoice(0);
    platform.queueLogin({"old", "wrong", ""});
    (void)book->restoreVersion();
    EXPECT_TRUE(platform.versionRows.at(0).ends_with("   encrypted with a login"));
    EXPECT_EQ(platform.loginPrompts.at(0), "The version of " + LocalTimeText(ListVersions(folder.str())[0].writtenMs) +
                                               " was saved under another login than the one in use.\r\nEnter the "
                                               "login it was saved with:");
    EXPECT_EQ(storedNames(), names({"Now"}));

    platform.queueVersionChoice(0);
    platform.queueLogin({"old", "old secret", ""});
    platform.queueAnswer(Answer::Yes);
    ASSERT_EQ(outcome(book->restoreVersion()), "Ok");
    EXPECT_EQ(storedNames(), names({"Sealed"}));
}
