// The website button on the main window's model.
#include "AccountBookFixture.h"

namespace {

const char* const kPrefixQuestion = "'http://' will be added to your URL.  Accept?   ";
const char* const kSaved = "Settings have been saved successfully.";

class AccountBookWebsite : public AccountBookFixture
{
protected:
    void SetUp() override
    {
        storeAccounts({account("Alpha", "alpha.example", "n", "u", "p")});
        open();
    }
    // Shows the stored account without opening its website, then puts text into the website box.
    void showWithWebsite(const std::string& text)
    {
        book->cmdGo_KeyDown(true);
        lookUp("Alpha");
        edit(Box::Website, text);
        forgetMessages();
        platform.urls.clear();
    }
};

} // namespace

TEST_F(AccountBookWebsite, WebAddressesOpenAsTheyStand)
{
    for (const char* url : {"http://a.example", "HTTPS://b.example/x?y=1", "hTtP://c", "http://user@host"}) {
        showWithWebsite(url);
        state.IdleTickCount = 5;
        click("cmdCopy1");
        EXPECT_EQ(platform.urls, (std::vector<std::string>{url}));
        EXPECT_TRUE(platform.messages.empty()) << url;
        EXPECT_EQ(state.IdleTickCount, 0) << url;
    }
}

// Texts that merely begin with the letters, or name another scheme, are offered the prefix like any other
// text; with it they open only when they have become a web address.
TEST_F(AccountBookWebsite, OtherTextsOpenOnlyAsAWebAddressAfterThePrefix)
{
    const struct
    {
        const char* text;
        const char* opened; // after Yes; nullptr: refused
    } cases[] = {
        {"HTTP", "http://HTTP"},
        {"http.desktop", "http://http.desktop"},
        {"httpx-handler:run", nullptr},
        {"javascript:alert(1)", nullptr},
        {"file:///etc/passwd", "http://file:///etc/passwd"}, // a web address of host "file", no local file
        {"http:///x", "http://http:///x"},
        {"http://exa mple.com", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string prefixed = std::string("http://") + c.text;
        showWithWebsite(c.text);
        platform.queueAnswer(Answer::No);
        click("cmdCopy1");
        EXPECT_EQ(messageTexts(), std::vector<std::string>{kPrefixQuestion});
        EXPECT_TRUE(platform.urls.empty());

        forgetMessages();
        state.IdleTickCount = 5;
        platform.queueAnswer(Answer::Yes);
        click("cmdCopy1");
        EXPECT_EQ(storedTable()[1].Website, prefixed); // the prefix the user accepted is stored either way
        EXPECT_EQ(state.IdleTickCount, 0);
        if (c.opened) {
            EXPECT_EQ(messageTexts(), (std::vector<std::string>{kPrefixQuestion, kSaved}));
            EXPECT_EQ(platform.urls, std::vector<std::string>{c.opened});
            continue;
        }
        EXPECT_TRUE(platform.urls.empty());
        ASSERT_EQ(platform.messages.size(), 3u);
        EXPECT_EQ(platform.messages[2].text, "This is not a web address: " + prefixed);
        EXPECT_EQ(platform.messages[2].style, MsgExclamation);
        EXPECT_EQ(platform.messages[2].caption, "Coffernote");
    }
}

// An imported file can plant such a text in every account: GO hands it to nobody either.
TEST_F(AccountBookWebsite, GoOpensAPlantedTextOnlyAsAWebAddress)
{
    book = nullptr;
    storeAccounts({account("Planted", "httpx-handler:run"), account("Plain", "https://plain.example")});
    open();
    platform.queueAnswer(Answer::No);
    lookUp("Planted");
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kPrefixQuestion});
    EXPECT_TRUE(platform.urls.empty());
    EXPECT_EQ(recordLabel(), "1");
    EXPECT_TRUE(book->dragDrop());

    forgetMessages();
    lookUp("Plain");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(platform.urls, std::vector<std::string>{"https://plain.example"});
}

TEST_F(AccountBookWebsite, AnEmptyWebsiteDoesNothing)
{
    showWithWebsite("");
    click("cmdCopy1");
    EXPECT_TRUE(platform.urls.empty());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(AccountBookWebsite, OtherAddressesAreOfferedThePrefix)
{
    // No: nothing stored, nothing opened.
    for (const char* text : {"www.x.example", "htt", "h", "httpfoo"}) {
        showWithWebsite(text);
        platform.queueAnswer(Answer::No);
        const std::string before = folder.read("settings.dat");
        click("cmdCopy1");
        ASSERT_EQ(platform.messages.size(), 1u) << text;
        EXPECT_EQ(platform.messages[0].text, kPrefixQuestion);
        EXPECT_EQ(platform.messages[0].style, MsgQuestion);
        EXPECT_EQ(platform.messages[0].caption, "Coffernote");
        EXPECT_TRUE(platform.urls.empty()) << text;
        EXPECT_EQ(boxText(Box::Website), text);
        EXPECT_EQ(folder.read("settings.dat"), before);
    }
}

TEST_F(AccountBookWebsite, AnAccountNotStoredGetsThePrefixOnlyInTheBox)
{
    clearCombo();
    typeInCombo("Fresh");
    typeInto(Box::Website, "fresh.example");
    const std::string before = folder.read("settings.dat");
    platform.queueAnswer(Answer::Yes);
    click("cmdCopy1");
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{kPrefixQuestion}));
    EXPECT_EQ(boxText(Box::Website), "http://fresh.example");
    EXPECT_EQ(platform.urls, (std::vector<std::string>{"http://fresh.example"}));
    EXPECT_EQ(folder.read("settings.dat"), before);
}
