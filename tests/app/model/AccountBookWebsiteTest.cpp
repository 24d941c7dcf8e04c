// The website button on the main window's model.
#include "AccountBookFixture.h"

namespace {

const char* const kPrefixQuestion = "'http://' will be added to your URL.  Accept?   ";

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
    for (const char* url : {"http://a.example", "HTTPS://b.example/x?y=1", "hTtP://c"}) {
        showWithWebsite(url);
        state.IdleTickCount = 5;
        click("cmdCopy1");
        EXPECT_EQ(platform.urls, (std::vector<std::string>{url}));
        EXPECT_TRUE(platform.messages.empty()) << url;
        EXPECT_EQ(state.IdleTickCount, 0) << url;
    }
}

// An imported file can plant such a text in every account: GO hands it to nobody either, and opens an address
// with a user part only when the user agrees.
TEST_F(AccountBookWebsite, GoOpensAPlantedTextOnlyAsAWebAddress)
{
    book = nullptr;
    storeAccounts({account("Planted", "httpx-handler:run"), account("Plain", "https://plain.example"),
                   account("Hidden", "http://bank.example@evil.example/login")});
    open();
    lookUp("Planted");
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"This is not a web address: httpx-handler:run"});
    EXPECT_TRUE(platform.urls.empty());
    EXPECT_EQ(recordLabel(), "1");
    EXPECT_TRUE(book->dragDrop());

    forgetMessages();
    lookUp("Plain");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(platform.urls, std::vector<std::string>{"https://plain.example"});

    forgetMessages();
    platform.urls.clear();
    platform.queueAnswer(Answer::No);
    lookUp("Hidden");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "This web address opens evil.example. Open it?");
    EXPECT_EQ(platform.messages[0].style, MsgQuestionNoDefault);
    EXPECT_EQ(platform.messages[0].caption, "Coffernote");
    EXPECT_TRUE(platform.urls.empty());
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
