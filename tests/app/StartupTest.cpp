#include "CoreFixture.h"

#include "app/Startup.h"

class StartupTest : public CoreFixture
{
protected:
    static constexpr const char* kDamagedQuestionText = "Coffernote is unable to start.  The\r\n"
                                                        "data file has been damaged.  Restore  \r\n"
                                                        "default settings?  Responding \r\n"
                                                        "'yes' will delete all saved accounts.  ";
};

TEST_F(StartupTest, SecondCopyIsRefusedAndTouchesNothing)
{
    platform.otherInstance = true;
    EXPECT_EQ(RunStartupSequence(state), FirstWindow::Ended);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Coffernote is already running.  ");
    EXPECT_EQ(platform.messages[0].style, 64);
    EXPECT_EQ(platform.messages[0].caption, "Coffernote");
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_FALSE(folder.exists("config.dat"));
}

TEST_F(StartupTest, FirstRunWritesTheDefaultOptionsAndOpensTheMainWindow)
{
    EXPECT_EQ(RunStartupSequence(state), FirstWindow::Main);
    EXPECT_EQ(folder.read("config.dat"), kDefaultOptionsLine);
    EXPECT_FALSE(folder.exists("settings.dat"));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartupTest, ExistingOptionsAreLeftAlone)
{
    folder.write("config.dat", "\"\",\"\",\"\",\"false\"\r\n");
    EXPECT_EQ(RunStartupSequence(state), FirstWindow::Main);
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
            writer.LoginUserName = c.user;
            writer.LoginPassword1 = c.pw1;
            writer.LoginPassword2 = c.pw2;
            f.write("config.dat", kDefaultOptionsLine);
            ASSERT_EQ(SaveAccountFile(writer, sampleTable()).status, SaveResult::Saved);
        }
        AppState fresh(f.str(), p); // a new run: no login settings in memory yet
        EXPECT_EQ(RunStartupSequence(fresh), c.expected);
        EXPECT_TRUE(p.messages.empty());
        EXPECT_TRUE(f.exists("settings.dat"));
    }
}

TEST_F(StartupTest, DeletedOptionsFileLeadsToTheQuestion)
{
    state.LoginUserName = "user";
    saveSample(sampleTable());
    const std::string accounts = folder.read("settings.dat");
    std::filesystem::remove(folder.file("config.dat"));

    {
        FakePlatform p;
        AppState run(folder.str(), p);
        p.queueAnswer(Answer::No);
        EXPECT_EQ(RunStartupSequence(run), FirstWindow::Ended);
        EXPECT_EQ(p.messages.back().text, kDamagedQuestionText);
        EXPECT_EQ(p.endCount, 1);
        EXPECT_EQ(folder.read("settings.dat"), accounts);
        EXPECT_EQ(folder.read("config.dat"), kDefaultOptionsLine); // the defaults, empty stamp
    }
    {
        // The same question at the next start; Yes opens the main window without a login.
        FakePlatform p;
        AppState run(folder.str(), p);
        p.queueAnswer(Answer::Yes);
        EXPECT_EQ(RunStartupSequence(run), FirstWindow::Main);
        EXPECT_EQ(p.messages.back().text, kDamagedQuestionText);
        EXPECT_FALSE(p.ended());
        EXPECT_FALSE(folder.exists("settings.dat"));
        EXPECT_EQ(folder.read("config.dat"), kDefaultOptionsLine);
    }
}

TEST_F(StartupTest, HeaderWithoutMarkerAndYesOpensTheMainWindow)
{
    std::string line;
    for (const char* v : {" 0", "no marker", "na", "user", "", ""})
        line += (line.empty() ? "\"" : ",\"") + EncryptField(v) + "\"";
    writeAccountFileWithStamp(line + "\r\n");
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(RunStartupSequence(state), FirstWindow::Main);
    EXPECT_FALSE(folder.exists("settings.dat"));
}

TEST_F(StartupTest, UnreadableAccountFileEndsWithoutDeletingIt)
{
    folder.write("config.dat", kDefaultOptionsLine);
    makeBlockingFolder("settings.dat");
    EXPECT_EQ(RunStartupSequence(state), FirstWindow::Ended);
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(folder.exists("settings.dat/inside"));
}

TEST_F(StartupTest, LeftoverTemporaryFileIsRemoved)
{
    folder.write("settings2.dat", "interrupted");
    EXPECT_EQ(RunStartupSequence(state), FirstWindow::Main);
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
