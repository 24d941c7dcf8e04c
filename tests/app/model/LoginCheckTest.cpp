#include "ProgramFolderFixture.h"
#include "Submit.h"

#include "app/files/Paths.h"
#include "app/model/LoginCheck.h"

namespace {

// An account file left by an earlier run whose header holds the given login, with a matching stamp.
void storeLogin(const TempFolder& folder, const std::string& user, const std::string& password1,
                const std::string& password2)
{
    if (!folder.exists(kOptionsFileName)) {
        ASSERT_TRUE(WriteOptionsFile(folder.str(), OptionsRecord::defaults()).isOk());
    }
    FakePlatform quiet;
    AppState earlier(folder.str(), quiet);
    Login earlierLogin;
    earlierLogin.LoginUserName = user;
    earlierLogin.LoginPassword1 = password1;
    earlierLogin.LoginPassword2 = password2;
    AccountTable table{MakeHeaderRecord(user, password1, password2),
                       {1, "Bank", "example.org", "notes of Bank", "user", "pw"}};
    const Result saved = SaveAccountFile(earlier, earlierLogin, table);
    ASSERT_TRUE(saved.isOk()) << saved.message();
}

const char* const kInvalid = "Invalid login, please try again!  ";
const char* const kTooMany =
    "You have exceeded the maximum number   \r\nof failed logins. Coffernote will now close.  ";

// The login dialog's rules on the header of the table the session loaded at start.
class LoginCheckTest : public ProgramFolderFixture
{
protected:
    LoginCheck& check = session.loginCheck();

    void load(const std::string& user, const std::string& p1, const std::string& p2)
    {
        storeLogin(folder, user, p1, p2);
        ASSERT_EQ(outcome(session.start()), "Login");
        check.start();
        ASSERT_TRUE(platform.messages.empty());
    }
    Result attempt(const std::string& user, const std::string& p1, const std::string& pad)
    {
        for (char d : pad)
            check.padDigit(d);
        return SubmitLogin(check, user, p1);
    }
    bool noLogin() const
    {
        return login.LoginUserName.empty() && login.LoginPassword1.empty() && login.LoginPassword2.empty();
    }
};

TEST_F(LoginCheckTest, TheRightEntrySetsTheLogin)
{
    load("Alice", "Secret", "4711");
    EXPECT_TRUE(attempt("Alice", "Secret", "4711").isOk());
    EXPECT_TRUE(check.loggedIn());
    EXPECT_EQ(login.LoginUserName, "Alice");
    EXPECT_EQ(login.LoginPassword1, "Secret");
    EXPECT_EQ(login.LoginPassword2, "4711");
    EXPECT_EQ(check.numpadEntry(), "");
    EXPECT_TRUE(platform.messages.empty());
    // The check is over: neither a further OK nor Cancel does anything.
    EXPECT_TRUE(attempt("x", "y", "1").isOk());
    EXPECT_TRUE(check.cancelLogin().isOk());
    EXPECT_EQ(check.failedLogins(), 0);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LoginCheckTest, TheHeaderDecidesNotTheProgramWideSettings)
{
    load("Alice", "Secret", "4711");
    login.LoginUserName = "Bob";
    EXPECT_TRUE(attempt("Bob", "Secret", "4711").isReported());
    EXPECT_TRUE(attempt("Alice", "Secret", "4711").isOk());
    EXPECT_EQ(login.LoginUserName, "Alice");
}

TEST_F(LoginCheckTest, EveryDifferenceIsAFailure)
{
    struct Case
    {
        const char* what;
        std::string user, p1, pad;
    };
    const Case cases[] = {
        {"user name case", "alice", "Secret", "4711"},
        {"password case", "Alice", "SECRET", "4711"},
        {"pad digits", "Alice", "Secret", "4712"},
        {"pad too short", "Alice", "Secret", "471"},
        {"empty everything", "", "", ""},
        {"trailing blank", "Alice ", "Secret", "4711"},
    };
    load("Alice", "Secret", "4711");
    int failures = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform.messages.clear();
        EXPECT_EQ(outcome(attempt(c.user, c.p1, c.pad)), "Reported");
        EXPECT_EQ(check.failedLogins(), ++failures);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, kInvalid);
        EXPECT_EQ(platform.messages[0].style, MsgExclamation);
        EXPECT_EQ(platform.messages[0].caption, "Login");
        EXPECT_EQ(check.numpadEntry(), ""); // emptied for the next attempt
        EXPECT_TRUE(noLogin());
    }
    EXPECT_FALSE(check.loggedIn());
    EXPECT_FALSE(check.finished());
}

TEST_F(LoginCheckTest, TheSeventhFailureEndsTheProgram)
{
    load("Alice", "Secret", "4711");
    for (int i = 1; i <= 6; ++i)
        EXPECT_TRUE(attempt("Alice", "wrong", "4711").isReported());
    ASSERT_EQ(platform.messages.size(), 6u);
    for (const auto& m : platform.messages)
        EXPECT_EQ(m.text, kInvalid);

    EXPECT_TRUE(attempt("Alice", "Secret", "9").mustEnd());
    ASSERT_EQ(platform.messages.size(), 7u);
    EXPECT_EQ(platform.messages[6].text, kTooMany);
    EXPECT_EQ(platform.messages[6].style, MsgInformation);
    EXPECT_EQ(platform.messages[6].caption, "Coffernote");
    EXPECT_TRUE(check.finished());
    EXPECT_FALSE(platform.ended()); // the model never ends the process itself

    // Nothing counts after the end, not even the right entry.
    EXPECT_TRUE(attempt("Alice", "Secret", "4711").isOk());
    EXPECT_EQ(platform.messages.size(), 7u);
    EXPECT_FALSE(check.loggedIn());
    EXPECT_TRUE(noLogin());
}

TEST_F(LoginCheckTest, EmptySettingsMatchEmptyEntries)
{
    load("Bob", "", "");
    EXPECT_TRUE(attempt("Bob", "", "").isOk());
    EXPECT_TRUE(check.loggedIn());
    EXPECT_EQ(login.LoginUserName, "Bob");
}

TEST_F(LoginCheckTest, ThePadKeepsTheFirstTwentyDigitsInOneBufferThatIsOverwritten)
{
    load("Alice", "Secret", "4711");
    const char* buffer = check.numpadEntry().data();
    for (char d : std::string("12345678900987654321"))
        check.padDigit(d);
    check.padDigit('5'); // the 21st digit is dropped
    EXPECT_EQ(check.numpadEntry(), "12345678900987654321");
    EXPECT_EQ(check.numpadEntry().size(), LoginCheck::kMaxPadDigits);
    // One buffer all along, so growing left no copies of the digits; a failed attempt overwrites it.
    EXPECT_EQ(check.numpadEntry().data(), buffer);
    EXPECT_TRUE(SubmitLogin(check, "Alice", "Secret").isReported());
    EXPECT_EQ(check.numpadEntry().data(), buffer);
    EXPECT_EQ(std::string(buffer, LoginCheck::kMaxPadDigits + 1), std::string(LoginCheck::kMaxPadDigits + 1, '\0'));
}

TEST_F(LoginCheckTest, CancelEndsTheProgram)
{
    load("Alice", "Secret", "4711");
    check.padDigit('4');
    EXPECT_TRUE(check.cancelLogin().mustEnd());
    EXPECT_EQ(check.numpadEntry(), "");
    EXPECT_TRUE(check.cancelLogin().isOk()); // once
    EXPECT_FALSE(check.loggedIn());
    EXPECT_TRUE(noLogin());
}

TEST_F(LoginCheckTest, WithoutAnAccountFileOkDoesNothing)
{
    load("Alice", "Secret", "4711");
    ASSERT_TRUE(RemoveFile(folder.file(kAccountFileName)));
    EXPECT_TRUE(attempt("Alice", "Secret", "4711").isOk());
    EXPECT_TRUE(attempt("", "", "").isOk());
    EXPECT_EQ(check.failedLogins(), 0);
    EXPECT_FALSE(check.loggedIn());
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(check.finished());
}

} // namespace
