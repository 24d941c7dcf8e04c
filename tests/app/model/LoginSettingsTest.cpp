#include "CoreFixture.h"
#include "Submit.h"

#include "app/model/LoginSettings.h"

namespace {

const char* const kNoLogin = "No login will be required to view your accounts.  Continue?  ";
const char* const kMismatch = "The password you entered does not match the confirmed password.";

class LoginSettingsTest : public CoreFixture
{
protected:
    int saves = 0;
    Result saveResult = Result::ok();
    bool open = true;
    // What the settings held when the save ran.
    std::string savedUser, savedPassword1, savedPassword2;

    LoginSettings settings{state, login,
                           [this] {
                               ++saves;
                               savedUser = login.LoginUserName.str();
                               savedPassword1 = login.LoginPassword1.str();
                               savedPassword2 = login.LoginPassword2.str();
                               return saveResult;
                           },
                           [this] { return open; }};

    void setLogin(const std::string& user, const std::string& p1, const std::string& p2)
    {
        login.LoginUserName = user;
        login.LoginPassword1 = p1;
        login.LoginPassword2 = p2;
    }
    static void fill(LoginEntries& e, const std::string& user, const std::string& p, const std::string& c,
                     const std::string& n)
    {
        e.userName = user;
        e.password = p;
        e.confirm = c;
        e.numpad = n;
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> t;
        for (const auto& m : platform.messages)
            t.push_back(m.text);
        return t;
    }
};

TEST_F(LoginSettingsTest, TheBoxesStartWithTheLoginAndTheConfirmationEqualToThePassword)
{
    setLogin("Alice", "Secret", "4711");
    LoginEntries e;
    settings.fillEntries(e);
    EXPECT_EQ(e.userName, "Alice");
    EXPECT_EQ(e.password, "Secret");
    EXPECT_EQ(e.confirm, "Secret");
    EXPECT_EQ(e.numpad, "4711");

    // OK at once stores the same login again and saves.
    EXPECT_TRUE(SubmitSettings(settings, e).isOk());
    EXPECT_TRUE(settings.closes());
    EXPECT_FALSE(settings.removed());
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(savedUser, "Alice");
    EXPECT_TRUE(platform.messages.empty()); // the save tells the user, not the settings
}

TEST_F(LoginSettingsTest, AnyMixIsStoredBeforeTheSave)
{
    struct Case
    {
        const char *user, *password, *numpad;
    };
    const Case cases[] = {{"Carol", "Pa55 word", "9021"}, {"Dave", "", ""}, {"", "only", ""}, {"", "", "12"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        setLogin("Alice", "Secret", "4711");
        LoginEntries e;
        fill(e, c.user, c.password, c.password, c.numpad);
        EXPECT_TRUE(SubmitSettings(settings, e).isOk());
        EXPECT_TRUE(settings.closes());
        EXPECT_FALSE(settings.removed());
        EXPECT_EQ(savedUser, c.user);
        EXPECT_EQ(savedPassword1, c.password);
        EXPECT_EQ(savedPassword2, c.numpad);
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(LoginSettingsTest, RemovingTheLoginAsksFirst)
{
    setLogin("Alice", "Secret", "4711");
    LoginEntries e;
    fill(e, "", "", "", "");
    platform.queueAnswer(Answer::No);
    EXPECT_TRUE(SubmitSettings(settings, e).isOk());
    EXPECT_EQ(texts(), std::vector<std::string>{kNoLogin});
    EXPECT_EQ(platform.messages[0].style, MsgQuestion);
    EXPECT_FALSE(settings.closes());
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(login.LoginUserName, "Alice");

    platform.queueAnswer(Answer::Yes);
    EXPECT_TRUE(SubmitSettings(settings, e).isOk());
    EXPECT_TRUE(settings.closes());
    EXPECT_TRUE(settings.removed());
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(login.hasLogin());
}

TEST_F(LoginSettingsTest, APasswordThatDiffersFromItsConfirmationIsNotStored)
{
    struct Case
    {
        const char *user, *password, *confirm;
        bool removing;
    };
    const Case cases[] = {{"Eve", "Secret", "secret", false},
                          {"Eve", "Secret", "Secret ", false},
                          {"Eve", "Secret", "", false},
                          {"", "", "Secret", true}}; // removing, with the confirmation left
    for (const Case& c : cases) {
        SCOPED_TRACE(c.confirm);
        setLogin("Alice", "Secret", "4711");
        platform.messages.clear();
        if (c.removing)
            platform.queueAnswer(Answer::Yes);
        LoginEntries e;
        fill(e, c.user, c.password, c.confirm, "");
        const Result r = SubmitSettings(settings, e);
        EXPECT_TRUE(r.isReported());
        EXPECT_EQ(texts().back(), kMismatch);
        EXPECT_EQ(platform.messages.back().style, MsgExclamation);
        EXPECT_EQ(platform.messages.back().caption, "Coffernote");
        EXPECT_EQ(texts().size(), c.removing ? 2u : 1u);
        EXPECT_FALSE(settings.closes());
        EXPECT_EQ(login.LoginUserName, "Alice");
        EXPECT_EQ(login.LoginPassword1, "Secret");
    }
    EXPECT_EQ(saves, 0);
}

TEST_F(LoginSettingsTest, ClosedWhileAskingStoresNothing)
{
    setLogin("Alice", "Secret", "4711");
    LoginEntries e;
    fill(e, "", "", "", "");
    platform.whilePromptOpen = [this](const std::string&) { open = false; };
    platform.queueAnswer(Answer::Yes);
    EXPECT_TRUE(SubmitSettings(settings, e).isOk());
    EXPECT_FALSE(settings.closes());
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(login.LoginUserName, "Alice");
    platform.whilePromptOpen = nullptr;
}

TEST_F(LoginSettingsTest, ClosedDuringTheSaveKeepsWhatWasStored)
{
    setLogin("Alice", "Secret", "4711");
    LoginEntries e;
    fill(e, "Bob", "x", "x", "1");
    LoginSettings closing(
        state, login, [this] { return open = false, Result::ok(); }, [this] { return open; });
    EXPECT_TRUE(SubmitSettings(closing, e).isOk());
    EXPECT_FALSE(closing.closes()); // the dialog is gone already: nothing to unload, nothing to show
    EXPECT_EQ(login.LoginUserName, "Bob");
}

TEST_F(LoginSettingsTest, ASaveThatEndsTheProgramIsPassedOn)
{
    saveResult = Result::endProgram();
    LoginEntries e;
    fill(e, "Bob", "", "", "");
    EXPECT_TRUE(SubmitSettings(settings, e).mustEnd());
    EXPECT_FALSE(settings.closes());
    EXPECT_FALSE(platform.ended());
}

TEST_F(LoginSettingsTest, IsNumberLetsOnlyDigitsAndBackspaceThrough)
{
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(LoginSettings::isNumber(code), code == 8 || (code >= '0' && code <= '9')) << code;
    EXPECT_FALSE(LoginSettings::isNumber(22)); // Ctrl+V
}

TEST_F(LoginSettingsTest, OnlyNumbersRefusesAnythingButDigits)
{
    EXPECT_TRUE(LoginSettings::onlyNumbers(u""));
    EXPECT_TRUE(LoginSettings::onlyNumbers(u"0123456789"));
    for (const std::u16string text : {u"12a", u" 12", u"-3", u"\t7", u"\u0663", u"1\b"})
        EXPECT_FALSE(LoginSettings::onlyNumbers(text));
}

} // namespace
