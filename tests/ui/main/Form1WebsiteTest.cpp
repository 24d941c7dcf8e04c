// The website button and Online Help.
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

TEST_F(Form1Website, AddressesThatBeginWithHttpOpenAsTheyStand)
{
    for (const char* url : {"http://a.example", "HTTPS://b.example/x?y=1", "hTtP://c", "httpfoo", "HTTP"}) {
        showWithWebsite(QString::fromLatin1(url));
        state.IdleTickCount = 5;
        click("cmdCopy1");
        EXPECT_EQ(platform.urls, (std::vector<std::string>{url}));
        EXPECT_TRUE(platform.messages.empty()) << url;
        EXPECT_EQ(state.IdleTickCount, 0) << url;
    }
}

TEST_F(Form1Website, AnEmptyWebsiteDoesNothing)
{
    showWithWebsite("");
    click("cmdCopy1");
    EXPECT_TRUE(platform.urls.empty());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Form1Website, OtherAddressesAreOfferedThePrefix)
{
    // No: nothing stored, nothing opened.
    for (const char* text : {"www.x.example", "htt", "h"}) {
        showWithWebsite(QString::fromLatin1(text));
        platform.queueAnswer(Answer::No);
        const std::string before = folder.read("settings.dat");
        click("cmdCopy1");
        ASSERT_EQ(platform.messages.size(), 1u) << text;
        EXPECT_EQ(platform.messages[0].text, kPrefixQuestion);
        EXPECT_EQ(platform.messages[0].style, MsgQuestion);
        EXPECT_EQ(platform.messages[0].caption, "Coffernote");
        EXPECT_TRUE(platform.urls.empty()) << text;
        EXPECT_EQ(box("txtWebsite")->text(), QString::fromLatin1(text));
        EXPECT_EQ(folder.read("settings.dat"), before);
    }
}

TEST_F(Form1Website, AcceptingThePrefixStoresItAtOnceForAStoredAccount)
{
    showWithWebsite(" my.bank"); // nothing is trimmed: the prefix goes right in front
    typeInto("txtUserid", "-edited");
    platform.queueAnswer(Answer::Yes);
    click("cmdCopy1");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kPrefixQuestion, kSaved}));
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http:// my.bank"}));
    EXPECT_EQ(box("txtWebsite")->text(), "http:// my.bank");
    // Only the website is stored; the other edit waits for Change, and Cancel drops it.
    EXPECT_EQ(storedTable()[1].Website, "http:// my.bank");
    EXPECT_EQ(storedTable()[1].UserId, "u");
    EXPECT_FALSE(menuItem("LoginSelect")->isChecked()); // the box changed: Edit mode
    EXPECT_FALSE(button("cmdGo")->isEnabled());
    click("cmdCancel");
    EXPECT_EQ(box("txtWebsite")->text(), "http:// my.bank");
    EXPECT_EQ(box("txtUserid")->text(), "u");
}

TEST_F(Form1Website, AnAccountNotStoredGetsThePrefixOnlyInTheBox)
{
    clearCombo();
    typeInCombo("Fresh");
    typeInto("txtWebsite", "fresh.example");
    const std::string before = folder.read("settings.dat");
    platform.queueAnswer(Answer::Yes);
    click("cmdCopy1");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kPrefixQuestion}));
    EXPECT_EQ(box("txtWebsite")->text(), "http://fresh.example");
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http://fresh.example"}));
    EXPECT_EQ(folder.read("settings.dat"), before);
}

TEST_F(Form1Website, AFullLengthWebsiteKeepsEveryCharacterWithThePrefix)
{
    const QString hundred = "w" + QString(99, u'x');
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

TEST_F(Form1Website, OnlineHelpOpensTheSupportPage)
{
    state.IdleTickCount = 3;
    menuItem("Online")->trigger();
    ASSERT_EQ(platform.urls.size(), 1u);
    const std::string& url = platform.urls[0];
    EXPECT_EQ(url.rfind("http://", 0), 0u) << url;
    EXPECT_GT(url.size(), std::string("http:///support.htm").size()) << url;
    EXPECT_EQ(url.substr(url.size() - 12), "/support.htm") << url;
    EXPECT_EQ(state.IdleTickCount, 3);
    EXPECT_TRUE(platform.messages.empty());
}
