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

// What the website button does with each kind of text: the questions and refusals the user sees (in order),
// the answers given, what goes to the browser and what the account file holds afterwards.
TEST_F(Form1Website, EachAddressIsOpenedAskedRefusedOrPrefixed)
{
    const std::string label64(64, 'a');
    const char* const unchanged = "alpha.example";
    const auto opens = [](const std::string& host) { return "This web address opens " + host + ". Open it?"; };
    const auto refused = [](const std::string& text) { return "This is not a web address: " + text; };
    const struct
    {
        std::string text;
        std::vector<Answer> answers;
        std::vector<std::string> messages;
        std::vector<std::string> launched;
        std::string stored;
    } cases[] = {
        // A user part in front of the host: asked, naming the host it really opens.
        {"http://bank.example@evil.example/login",
         {Answer::Yes},
         {opens("evil.example")},
         {"http://bank.example@evil.example/login"},
         unchanged},
        {"http://bank.example@evil.example/login", {Answer::No}, {opens("evil.example")}, {}, unchanged},
        {"http://a:pw@host", {Answer::Yes}, {opens("host")}, {"http://a:pw@host"}, unchanged},
        // International hosts are named in ASCII; without a user part they open as they stand.
        {"http://b\u00e4nk.example@\u0430pple.com/",
         {Answer::Yes},
         {opens("xn--pple-43d.com")},
         {"http://b\u00e4nk.example@\u0430pple.com/"},
         unchanged},
        {"http://\u0430pple.com/", {}, {}, {"http://\u0430pple.com/"}, unchanged},
        {"http://\u0430pple.com:99999", {}, {refused("http://xn--pple-43d.com:99999")}, {}, unchanged},
        // A scheme of its own, or no web address: refused as it stands, never prefixed.
        {"http://my bank site", {}, {refused("http://my bank site")}, {}, unchanged},
        {"http://" + label64 + ".example", {}, {refused("http://" + label64 + ".example")}, {}, unchanged},
        {"http://bank.example:99999", {}, {refused("http://bank.example:99999")}, {}, unchanged},
        {"ftp://files.example.com", {}, {refused("ftp://files.example.com")}, {}, unchanged},
        {"http://http://x", {}, {refused("http://http://x")}, {}, unchanged},
        {"mailto:me@evil.example", {}, {refused("mailto:me@evil.example")}, {}, unchanged},
        // No scheme: offered the prefix, stored only when it makes a web address.
        {"my bank site", {Answer::Yes}, {kPrefixQuestion, refused("http://my bank site")}, {}, unchanged},
        {label64 + ".example",
         {Answer::Yes},
         {kPrefixQuestion, refused("http://" + label64 + ".example")},
         {},
         unchanged},
        {"bank.example:99999", {Answer::Yes}, {kPrefixQuestion, refused("http://bank.example:99999")}, {}, unchanged},
        {"bank.example", {Answer::No}, {kPrefixQuestion}, {}, unchanged},
        {"bank.example", {Answer::Yes}, {kPrefixQuestion, kSaved}, {"http://bank.example"}, "http://bank.example"},
        {"intranet:8080/x",
         {Answer::Yes},
         {kPrefixQuestion, kSaved},
         {"http://intranet:8080/x"},
         "http://intranet:8080/x"},
        {"bank.example@evil.example",
         {Answer::Yes, Answer::No},
         {kPrefixQuestion, kSaved, opens("evil.example")},
         {},
         "http://bank.example@evil.example"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        showWithWebsite("");
        box("txtWebsite")->setText(QString::fromStdString(c.text)); // typing takes only ASCII in this test
        ASSERT_EQ(box("txtWebsite")->text().toStdString(), c.text);
        for (Answer a : c.answers)
            platform.queueAnswer(a);
        click("cmdCopy1");
        EXPECT_EQ(messageTexts(), c.messages);
        for (const auto& m : platform.messages) {
            if (m.text.rfind("This web address opens ", 0) == 0) {
                EXPECT_EQ(m.style, MsgQuestionNoDefault);
            } else if (m.text.rfind("This is not", 0) == 0) {
                EXPECT_EQ(m.style, MsgExclamation);
            }
        }
        EXPECT_EQ(platform.urls, c.launched);
        EXPECT_EQ(storedTable()[1].Website, c.stored);
        const bool prefixed = c.stored != unchanged;
        EXPECT_EQ(box("txtWebsite")->text().toStdString(), prefixed ? c.stored : c.text);
        if (prefixed) { // the next case starts from the stored website again
            showWithWebsite(unchanged);
            click("cmdChange");
        }
        menuItem("New")->trigger();
    }
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
