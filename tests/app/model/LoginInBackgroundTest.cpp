#include "ProgramFolderFixture.h"
#include "Submit.h"

#include "app/model/LoginCheck.h"
#include "app/model/LoginSettings.h"
#include "cipher/ProtectedFile.h"

#include <memory>

namespace {

const char* const kInvalid = "Invalid login, please try again!  ";

// An account file encrypted with a login, and the next start's login check, whose derivations wait until the test
// lets them end.
class LoginInBackground : public ProgramFolderFixture
{
protected:
    AccountTable table{MakeHeaderRecord("", "", ""), {1, "Bank", "bank.example", "notes", "jdoe", "s3cret"}};
    std::unique_ptr<FakePlatform> nextPlatform = std::make_unique<FakePlatform>();
    std::unique_ptr<Session> next;
    std::vector<std::string> finished; // what each OK finished with
    std::vector<bool> deriving;        // what each OK said of the derivation

    void SetUp() override
    {
        login.kdfDefaults = {kMinKdfMemoryKiB, 1, 1};
        writeDefaultOptions();
        LoginEntries e;
        e.userName = "owner";
        e.password = e.confirm = "first secret";
        e.numpad = "2468";
        e.encrypt = true;
        platform.queueAnswer(Answer::Yes); // the consent
        const auto settings = std::make_shared<LoginSettings>(
            state, login, [this] { return SaveAccountFile(state, login, table); }, nullptr);
        ASSERT_EQ(outcome(SubmitSettings(*settings, e)), "Ok");
        nextPlatform->holdBackgroundWork = true;
        next = std::make_unique<Session>(folder.str(), *nextPlatform);
        ASSERT_EQ(outcome(next->start()), "Login");
        check().start();
    }
    LoginCheck& check() { return next->loginCheck(); }
    void submit(const std::string& user, const std::string& p1, const std::string& pad)
    {
        for (char d : pad)
            check().padDigit(d);
        check().submitLogin(
            SecretString(user), SecretString(p1),
            {[this](bool d) { deriving.push_back(d); }, [this](const Result& r) { finished.push_back(outcome(r)); }});
    }
};

} // namespace

TEST_F(LoginInBackground, TheKeyIsDerivedInTheBackgroundThenTheFileOpensOrTheFailureCounts)
{
    submit("owner", "first secret", "2469");
    EXPECT_TRUE(check().busy());
    EXPECT_EQ(deriving, std::vector<bool>{true});
    // While it works, a further OK, Cancel and the pad do nothing.
    submit("owner", "first secret", "2468");
    EXPECT_EQ(outcome(check().cancelLogin()), "Ok");
    EXPECT_EQ(nextPlatform->backgroundWaiting(), 1u);
    EXPECT_TRUE(finished.empty());
    EXPECT_TRUE(nextPlatform->messages.empty());

    nextPlatform->finishBackgroundWork();
    EXPECT_EQ(finished, std::vector<std::string>{"Reported"});
    EXPECT_EQ(deriving, (std::vector<bool>{true, false}));
    ASSERT_EQ(nextPlatform->messages.size(), 1u);
    EXPECT_EQ(nextPlatform->messages[0].text, kInvalid);
    EXPECT_EQ(check().failedLogins(), 1);
    EXPECT_FALSE(check().busy());
    EXPECT_EQ(check().numpadEntry(), "");

    submit("owner", "first secret", "2468");
    nextPlatform->finishBackgroundWork();
    EXPECT_EQ(finished, (std::vector<std::string>{"Reported", "Ok"}));
    EXPECT_TRUE(check().loggedIn());
    EXPECT_EQ(next->login().LoginPassword1, "first secret");
    EXPECT_TRUE(next->login().protection);
    EXPECT_EQ(next->table().size(), 2u);
    EXPECT_EQ(nextPlatform->messages.size(), 1u);
}

// A file derived with less than today's settings: the login derives the stronger key in the background too, and
// the next save seals under it, the key becoming the login's once the file is in place.
TEST_F(LoginInBackground, AWeakerFileGetsItsStrongerKeyInTheBackgroundForItsNextSave)
{
    const KdfSettings stronger{kMinKdfMemoryKiB, 2, 1};
    next->login().kdfDefaults = stronger;
    submit("owner", "first secret", "2468");
    nextPlatform->finishBackgroundWork(); // the login's key, then the stronger one
    ASSERT_TRUE(check().loggedIn());
    ASSERT_TRUE(next->login().strongerProtection);
    const ProtectedHeader ready = next->login().strongerProtection->header;
    EXPECT_EQ(ready.kdf, stronger);
    EXPECT_EQ(next->login().protection->header.kdf, (KdfSettings{kMinKdfMemoryKiB, 1, 1}));

    ASSERT_TRUE(SaveAccountFile(next->state(), next->login(), next->table()).isOk());
    EXPECT_EQ(*ReadProtectedHeader(folder.read(kAccountFileName)), ready);
    EXPECT_EQ(next->login().protection->header, ready);
    EXPECT_FALSE(next->login().strongerProtection);
}
