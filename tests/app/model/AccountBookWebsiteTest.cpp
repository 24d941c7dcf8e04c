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
        book->shiftOnGo(true);
        lookUp("Alpha");
        edit(Box::Website, text);
        forgetMessages();
        platform.urls.clear();
    }
};

} // namespace

// What opens is the form the desktop's parse normalized, never the text as it stands.
TEST_F(AccountBookWebsite, WebAddressesOpenInTheirNormalForm)
{
    const std::pair<const char*, const char*> cases[] = {{"http://a.example", "http://a.example"},
                                                         {"HTTPS://b.example/x?y=1", "https://b.example/x?y=1"},
                                                         {"hTtP://C.Example", "http://c.example"}};
    for (const auto& [text, opened] : cases) {
        showWithWebsite(text);
        state.IdleTickCount = 5;
        click("cmdCopy1");
        EXPECT_EQ(platform.urls, (std::vector<std::string>{opened}));
        EXPECT_TRUE(platform.messages.empty()) << text;
        EXPECT_EQ(state.IdleTickCount, 0) << text;
    }
}

// Each address is opened, asked about (naming the host it really opens, in a form that cannot deceive) or
// refused. An address asked about opens, on Yes, in the form the question was asked about.
TEST_F(AccountBookWebsite, EachAddressIsOpenedAskedOrRefused)
{
    enum Decision { Opened, Asked, Refused };
    const auto opens = [](const std::string& host, const std::string& what) {
        return "This web address opens " + host + ", " + what + ".\r\nOpen it?";
    };
    const std::string self = "this computer itself";
    const std::string local = "a computer on your local network";
    const std::string number = "a computer named by its number only";
    const std::string alike = "a name spelt with characters that can pass for others";
    const struct
    {
        std::string text;
        Decision decision;
        std::string message; // the question, or the refusal
        std::string opened;  // what opens (on Yes)
    } cases[] = {
        {"http://b\u0430nk.example", Asked, opens("xn--bnk-6cd.example", alike), "http://xn--bnk-6cd.example"},
        {"http://xn--80ak6aa92e.com", Asked, opens("xn--80ak6aa92e.com", alike), "http://xn--80ak6aa92e.com"},
        {"http://bank\u3002example", Asked, opens("bank.example", alike), "http://bank.example"},
        {"http://bank\uFF0Eexample", Asked, opens("bank.example", alike), "http://bank.example"},
        {"http://bank\u200B.example/login", Asked, opens("bank.example", alike), "http://bank.example/login"},
        {"http://0x7f000001", Asked, opens("127.0.0.1", self), "http://127.0.0.1"},
        {"http://2130706433", Asked, opens("127.0.0.1", self), "http://127.0.0.1"},
        {"http://127.1", Asked, opens("127.0.0.1", self), "http://127.0.0.1"},
        {"http://0177.0.0.1", Asked, opens("127.0.0.1", self), "http://127.0.0.1"},
        {"http://127.0.0.1.", Asked, opens("127.0.0.1", self), "http://127.0.0.1."},
        {"http://0", Asked, opens("0.0.0.0", self), "http://0.0.0.0"},
        {"http://[::1]", Asked, opens("[::1]", self), "http://[::1]"},
        {"http://localhost", Asked, opens("localhost", self), "http://localhost"},
        {"http://app.localhost:3000", Asked, opens("app.localhost", self), "http://app.localhost:3000"},
        {"http://10.0.0.1", Asked, opens("10.0.0.1", local), "http://10.0.0.1"},
        {"http://192.168.1.1/admin", Asked, opens("192.168.1.1", local), "http://192.168.1.1/admin"},
        {"http://172.16.0.1", Asked, opens("172.16.0.1", local), "http://172.16.0.1"},
        {"http://172.31.255.254", Asked, opens("172.31.255.254", local), "http://172.31.255.254"},
        {"http://169.254.169.254/latest", Asked, opens("169.254.169.254", local), "http://169.254.169.254/latest"},
        {"http://[fe80::1]", Asked, opens("[fe80::1]", local), "http://[fe80::1]"},
        {"http://[::ffff:192.168.0.1]", Asked, opens("[::ffff:192.168.0.1]", local), "http://[::ffff:192.168.0.1]"},
        {"http://intranet/login", Asked, opens("intranet", local), "http://intranet/login"},
        {"http://bank.example@evil.example/login", Asked, "This web address opens evil.example. Open it?",
         "http://bank.example@evil.example/login"},
        {"http//x", Refused, "This is not a web address: http//x", ""},
        // Others asked, refused and opened.
        {"http://8.8.8.8", Asked, opens("8.8.8.8", number), "http://8.8.8.8"},
        {"http://b\u00e4nk.de/\u00e4", Asked, opens("xn--bnk-qla.de", alike), "http://xn--bnk-qla.de/%C3%A4"},
        {"http://999.1.1.1", Refused, "This is not a web address: http://999.1.1.1", ""},
        {"ftp://files.example.com", Refused, "This is not a web address: ftp://files.example.com", ""},
        {"http://http://x", Refused, "This is not a web address: http://http://x", ""},
        {"http://172.32.0.1", Asked, opens("172.32.0.1", number), "http://172.32.0.1"},
        {"https://bank.example/login", Opened, "", "https://bank.example/login"},
        {"HTTPS://Bank.Example/x?y=1", Opened, "", "https://bank.example/x?y=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        showWithWebsite(c.text);
        if (c.decision == Asked)
            platform.queueAnswer(Answer::Yes);
        click("cmdCopy1");
        if (c.decision == Opened) {
            EXPECT_TRUE(platform.messages.empty());
        } else {
            ASSERT_EQ(platform.messages.size(), 1u);
            EXPECT_EQ(platform.messages[0].text, c.message);
            EXPECT_EQ(platform.messages[0].style, c.decision == Asked ? MsgQuestionNoDefault : MsgExclamation);
        }
        EXPECT_EQ(platform.urls,
                  c.decision == Refused ? std::vector<std::string>{} : std::vector<std::string>{c.opened});
        EXPECT_EQ(boxText(Box::Website), c.text); // nothing prefixed or mended
    }
}

// A text without a scheme gets the prefix first; the address it makes is judged like any other.
TEST_F(AccountBookWebsite, APrefixedAddressIsJudgedToo)
{
    showWithWebsite("intranet/login");
    platform.queueAnswer(Answer::Yes);
    platform.queueAnswer(Answer::No);
    click("cmdCopy1");
    ASSERT_EQ(platform.messages.size(), 3u);
    EXPECT_EQ(platform.messages[0].text, kPrefixQuestion);
    EXPECT_EQ(platform.messages[2].text,
              "This web address opens intranet, a computer on your local network.\r\nOpen it?");
    EXPECT_TRUE(platform.urls.empty());
    EXPECT_EQ(boxText(Box::Website), "http://intranet/login");
    EXPECT_EQ(storedTable()[1].Website, "http://intranet/login");
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
