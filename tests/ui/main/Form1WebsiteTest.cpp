// The website button and Online Help.
// (The rules are checked on the model: tests/app/model/AccountBookWebsiteTest.cpp; these check the window.)
#include "MainWindowFixture.h"

namespace {

const char* const kPrefixQuestion = "'http://' will be added to your URL.  Accept?   ";
const char* const kSaved = "Settings have been saved successfully.";

class Form1Website : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "alpha.example", "n", "u", "p")});
        openWindow();
    }
    // Shows the stored account without opening its website, then puts text into the website box.
    void showWithWebsite(const QString& text)
    {
        QTest::keyClick(button("cmdGo"), Qt::Key_Shift, Qt::ShiftModifier);
        lookUp("Alpha");
        box("txtWebsite")->selectAll();
        if (text.isEmpty())
            QTest::keyClick(box("txtWebsite"), Qt::Key_Delete);
        else
            typeInto("txtWebsite", text);
        forgetMessages();
        platform.urls.clear();
    }
};

} // namespace

// The button goes through the desktop's parse and the model's policy (tests/app/model/AccountBookWebsiteTest.cpp
// checks the policy): a number that stands for this computer is asked about, and opens in its normalized form.
TEST_F(Form1Website, TheButtonOpensWhatThePolicyApproved)
{
    showWithWebsite("http://0x7f000001");
    platform.queueAnswer(Answer::Yes);
    click("cmdCopy1");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "This web address opens 127.0.0.1, this computer itself.\r\nOpen it?");
    EXPECT_EQ(platform.messages[0].style, MsgQuestionNoDefault);
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http://127.0.0.1"}));
    EXPECT_EQ(box("txtWebsite")->text(), "http://0x7f000001");
}

TEST_F(Form1Website, ARefusedTextIsShownOnOneLine)
{
    clearCombo();
    typeInCombo("Fresh");
    box("txtWebsite")->setText("x\r\ny"); // as an imported value can hold it
    platform.queueAnswer(Answer::Yes);
    click("cmdCopy1");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{
                                  kPrefixQuestion, "This is not a web address: http://x\xEF\xBF\xBD\xEF\xBF\xBDy"}));
    EXPECT_TRUE(platform.urls.empty());
}

TEST_F(Form1Website, ADesktopWithoutABrowserIsReported)
{
    platform.urlOpens = false;
    showWithWebsite("https://bank.example");
    click("cmdCopy1");
    menuItem("Online")->trigger();
    ASSERT_EQ(platform.urls.size(), 2u);
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].text, "No browser could be started for this web address: https://bank.example");
    EXPECT_EQ(platform.messages[1].text, "No browser could be started for this web address: " + platform.urls[1]);
    for (const auto& m : platform.messages) {
        EXPECT_EQ(m.style, MsgExclamation);
        EXPECT_EQ(m.caption, "Coffernote");
    }
}

TEST_F(Form1Website, AcceptingThePrefixStoresItAtOnceForAStoredAccount)
{
    showWithWebsite("my.bank");
    typeInto("txtUserid", "-edited");
    platform.queueAnswer(Answer::Yes);
    click("cmdCopy1");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kPrefixQuestion, kSaved}));
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http://my.bank"}));
    EXPECT_EQ(box("txtWebsite")->text(), "http://my.bank");
    // Only the website is stored; the other edit waits for Change, and Cancel drops it.
    EXPECT_EQ(storedTable()[1].Website, "http://my.bank");
    EXPECT_EQ(storedTable()[1].UserId, "u");
    EXPECT_FALSE(menuItem("LoginSelect")->isChecked()); // the box changed: Edit mode
    EXPECT_FALSE(button("cmdGo")->isEnabled());
    click("cmdCancel");
    EXPECT_EQ(box("txtWebsite")->text(), "http://my.bank");
    EXPECT_EQ(box("txtUserid")->text(), "u");
}

TEST_F(Form1Website, AFullLengthWebsiteKeepsEveryCharacterWithThePrefix)
{
    const QString hundred = "w.example/" + QString(90, u'x');
    showWithWebsite(hundred);
    ASSERT_EQ(box("txtWebsite")->text(), hundred); // typing stops at 100 characters
    platform.queueAnswer(Answer::Yes);
    click("cmdCopy1");
    const std::string expected = "http://" + hundred.toStdString();
    EXPECT_EQ(box("txtWebsite")->text().toStdString(), expected);
    EXPECT_EQ(platform.urls, (std::vector<std::string>{expected}));
    EXPECT_EQ(storedTable()[1].Website, expected);

    // Shown again in full by the next lookup, and typing still cannot make it longer.
    menuItem("New")->trigger();
    platform.urls.clear();
    lookUp("Alpha");
    EXPECT_EQ(box("txtWebsite")->text().toStdString(), expected);
    EXPECT_EQ(platform.urls, (std::vector<std::string>{expected}));
    typeInto("txtWebsite", "zz");
    EXPECT_EQ(box("txtWebsite")->text().toStdString(), expected);
    menuItem("New")->trigger();
    typeInto("txtWebsite", QString(120, u'y'));
    EXPECT_EQ(box("txtWebsite")->text(), QString(100, u'y'));
}

TEST_F(Form1Website, OnlineHelpOpensTheSupportPageOrTheUserGuide)
{
    state.IdleTickCount = 3;
    menuItem("Online")->trigger();
    ASSERT_EQ(platform.urls.size(), 1u);
    const QString url = QString::fromStdString(platform.urls[0]);
    EXPECT_TRUE(url.startsWith("http://") ? url.endsWith("/support.htm") : url.endsWith("/user-guide.html"))
        << url.toStdString();
    EXPECT_EQ(state.IdleTickCount, 3);
    EXPECT_TRUE(platform.messages.empty());
}
