// The session's start: the start-up sequence and the one load of the account file.
#include "CoreFixture.h"
#include "Outcomes.h"
#include "Permissions.h"

#include "app/model/Session.h"

#include <unistd.h>

class StartupTest : public CoreFixture
{
protected:
    Session session{folder.str(), platform};

    static constexpr const char* kDamagedQuestionText = "Coffernote is unable to start.  The\r\n"
                                                        "data file has been damaged.  Restore  \r\n"
                                                        "default settings?  Responding \r\n"
                                                        "'yes' will delete all saved accounts.  ";
};

TEST_F(StartupTest, SecondCopyIsRefusedAndTouchesNothing)
{
    platform.otherInstance = true;
    EXPECT_EQ(outcome(session.start()), "EndProgram");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Coffernote is already running.  ");
    EXPECT_EQ(platform.messages[0].style, 64);
    EXPECT_EQ(platform.messages[0].caption, "Coffernote");
    EXPECT_EQ(platform.endCount, 0); // the caller ends the program
    EXPECT_FALSE(folder.exists("config.dat"));
}

TEST_F(StartupTest, FirstRunWritesTheDefaultOptionsAndOpensTheMainWindow)
{
    EXPECT_EQ(outcome(session.start()), "Main");
    EXPECT_EQ(folder.read("config.dat"), kDefaultOptionsLine);
    EXPECT_FALSE(folder.exists("settings.dat"));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartupTest, ExistingOptionsAreLeftAlone)
{
    folder.write("config.dat", "\"\",\"\",\"\",\"false\"\r\n");
    EXPECT_EQ(outcome(session.start()), "Main");
    EXPECT_EQ(folder.read("config.dat"), "\"\",\"\",\"\",\"false\"\r\n");
}

TEST_F(StartupTest, LoginSettingsInTheHeaderOpenTheLoginDialog)
{
    struct Case
    {
        const char* user;
        const char* pw1;
        const char* pw2;
        FirstWindow expected;
    };
    const Case cases[] = {
        {"", "", "", FirstWindow::Main},
        {"user", "", "", FirstWindow::Login},
        {"", "first", "", FirstWindow::Login},
        {"", "", "1234", FirstWindow::Login},
        {"user", "first", "1234", FirstWindow::Login},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.pw1 + "/" + c.pw2);
        TempFolder f;
        FakePlatform p;
        {
            AppState writer(f.str(), p);
            Login writerLogin;
            writerLogin.LoginUserName = c.user;
            writerLogin.LoginPassword1 = c.pw1;
            writerLogin.LoginPassword2 = c.pw2;
            f.write("config.dat", kDefaultOptionsLine);
            ASSERT_EQ(outcome(SaveAccountFile(writer, writerLogin, sampleTable())), "Ok");
        }
        Session fresh(f.str(), p); // a new run: no login settings in memory yet
        const StartupResult first = fresh.start();
        EXPECT_TRUE(first.result.isOk());
        EXPECT_EQ(first.value, c.expected);
        EXPECT_TRUE(p.messages.empty());
        EXPECT_TRUE(f.exists("settings.dat"));
    }
}

TEST_F(StartupTest, BackupPutBackWithoutOptionsFileStartsWithoutAQuestion)
{
    // The documented way to restore a backup: put "settings.dat" in place and delete "config.dat".
    login.LoginUserName = "user";
    const AccountTable original = sampleTable();
    saveSample(original);
    const std::string backup = folder.read("settings.dat");
    AccountTable changed = original;
    changed.pop_back();
    ASSERT_EQ(outcome(SaveAccountFile(state, login, changed)), "Ok");
    folder.write("settings.dat", backup);
    std::filesystem::remove(folder.file("config.dat"));

    FakePlatform p;
    Session run(folder.str(), p);
    EXPECT_EQ(outcome(run.start()), "Login");
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(folder.read("settings.dat"), backup);
    OptionsRecord expected = OptionsRecord::defaults();
    expected.set(OptionsRecord::IntegrityStamp, run.state().ComputedStamp);
    EXPECT_EQ(folder.read("config.dat"), FormatOptionsLine(expected));
    EXPECT_EQ(run.table(), asLoaded(original)); // the table the start loaded
}

TEST_F(StartupTest, UnwritableFolderIsNamedOnceAndTheRunGoesOn)
{
    const std::string expected =
        "Coffernote cannot write to its data folder\r\n" + folder.file("missing") +
        "\r\n(No such file or directory).\r\n"
        "You can look accounts up, but no change can be saved until the folder can be written.";
    EXPECT_EQ(ReadOnlyFolderMessage(folder.file("missing"), "No such file or directory"), expected);
    EXPECT_EQ(ReadOnlyFolderMessage("/data/100%2", "Permission denied").substr(44, 20), "/data/100%2\r\n(Permis");

    FakePlatform p;
    Session run(folder.file("missing"), p);
    EXPECT_EQ(outcome(run.start()), "Main");
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].text, expected);
    EXPECT_EQ(p.messages[0].style, MsgExclamation);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(outcome(session.start()), "Main"); // a writable folder: not a word
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartupTest, HeaderWithoutMarkerAndYesOpensTheMainWindowWithNoAccounts)
{
    std::string line;
    for (const char* v : {" 0", "no marker", "na", "user", "", ""})
        line += (line.empty() ? "\"" : ",\"") + EncryptField(v).value + "\"";
    line += "\r\n\"" + EncryptField(" 1").value + "\",\"" + EncryptField("Bank").value + "\"";
    for (int i = 0; i < 4; ++i)
        line += ",\"" + EncryptField("x").value + "\"";
    writeAccountFileWithStamp(line + "\r\n");
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(session.start()), "Main");
    EXPECT_FALSE(folder.exists("settings.dat"));
    // The account file is gone: the main window finds the header alone, as on a first start.
    EXPECT_EQ(session.table(), AccountTable{MakeHeaderRecord("", "", "")});
}

TEST_F(StartupTest, ADamagedFileAsksTheRecoveryQuestionAndNoKeepsIt)
{
    saveSample(sampleTable());
    std::string bytes = folder.read("settings.dat");
    bytes[0] = bytes[0] == 'A' ? 'B' : 'A';
    folder.write("settings.dat", bytes);
    platform.queueAnswer(Answer::No);
    EXPECT_EQ(outcome(session.start()), "EndProgram");
    ASSERT_EQ(platform.messages.size(), 2u); // what the cipher found, then the question
    EXPECT_EQ(platform.messages[1].text, kDamagedQuestionText);
    EXPECT_EQ(folder.read("settings.dat"), bytes);
    EXPECT_TRUE(session.table().empty()); // nothing of it stays in memory
}

TEST_F(StartupTest, UnreadableAccountFileEndsWithoutDeletingIt)
{
    folder.write("config.dat", kDefaultOptionsLine);
    makeBlockingFolder("settings.dat");
    EXPECT_EQ(outcome(session.start()), "EndProgram");
    EXPECT_EQ(platform.endCount, 0); // the caller ends the program
    EXPECT_TRUE(folder.exists("settings.dat/inside"));
}

TEST_F(StartupTest, LeftoverTemporaryFileIsRemoved)
{
    folder.write("settings2.dat", "interrupted");
    EXPECT_EQ(outcome(session.start()), "Main");
    EXPECT_FALSE(folder.exists("settings2.dat"));
}

TEST(ChooseFirstWindowTest, LoginOnlyWithAnAccountFileAndALoginSetting)
{
    EXPECT_EQ(ChooseFirstWindow(false, "user", "pw", "1"), FirstWindow::Main);
    EXPECT_EQ(ChooseFirstWindow(true, "", "", ""), FirstWindow::Main);
    EXPECT_EQ(ChooseFirstWindow(true, "user", "", ""), FirstWindow::Login);
    EXPECT_EQ(ChooseFirstWindow(true, "", "pw", ""), FirstWindow::Login);
    EXPECT_EQ(ChooseFirstWindow(true, "", "", "1"), FirstWindow::Login);
}

class StartupPermissions : public StartupTest
{
};

TEST_F(StartupPermissions, ReadOnlyFolderIsNamedWithTheReason)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    std::filesystem::permissions(folder.str(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const StartupResult first = session.start();
    std::filesystem::permissions(folder.str(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    EXPECT_EQ(outcome(first), "Main");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, ReadOnlyFolderMessage(folder.str(), "Permission denied"));
}

TEST_F(StartupTest, AFolderThatCannotBeLockedIsNamedInsteadOfAnotherCopy)
{
    platform.otherInstance = true;
    platform.refusal = "the data folder cannot be locked";
    EXPECT_EQ(outcome(session.start()), "EndProgram");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "the data folder cannot be locked");
    EXPECT_EQ(platform.messages[0].style, MsgExclamation);
    EXPECT_FALSE(folder.exists("config.dat"));
}

// Where the data are kept is said once, after the defaults are written; a run without the folder's lock (the
// user's files opened read-only) is warned, and writes, renames and removes nothing.
TEST_F(StartupTest, TheStartNoticeIsSaidOnceAndAReadOnlyRunChangesNothing)
{
    session.state().startNotice = "where the data are";
    EXPECT_EQ(outcome(session.start()), "Main");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "where the data are");
    EXPECT_EQ(platform.messages[0].style, MsgInformation);
    EXPECT_EQ(folder.read("config.dat"), kDefaultOptionsLine);

    TempFolder other;
    other.write("settings2.dat", "interrupted");
    other.write("config2.dat", "interrupted");
    FakePlatform p;
    p.holdsLock = false;
    Session reader(other.str(), p);
    reader.state().startNotice = "read-only";
    EXPECT_EQ(outcome(reader.start()), "Main");
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].style, MsgExclamation);
    EXPECT_FALSE(other.exists("config.dat"));
    EXPECT_TRUE(other.exists("settings2.dat"));
    EXPECT_TRUE(other.exists("config2.dat"));
}

// Without a stamp, only the user's own file that nobody else can write is taken; any other asks the question.
TEST_F(StartupTest, AnUnstampedFileOthersCanWriteIsNotAdopted)
{
    saveSample(sampleTable());
    std::filesystem::remove(folder.file("config.dat"));
    const std::string bytes = folder.read("settings.dat");
    std::filesystem::permissions(folder.file("settings.dat"), std::filesystem::perms::group_write,
                                 std::filesystem::perm_options::add);
    platform.queueAnswer(Answer::No);
    EXPECT_EQ(outcome(session.start()), "EndProgram");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, kDamagedQuestionText);
    EXPECT_EQ(folder.read("settings.dat"), bytes);
}
