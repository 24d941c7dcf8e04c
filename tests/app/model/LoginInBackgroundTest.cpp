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
        state.kdfDefaults = {kMinKdfMemoryKiB, 1, 1};
        writeDefaultOptions();
        LoginEntries e;
        e.userName = "owner";
        e.password = e.confirm = "first secret";
        e.numpad = "2468";
        e.encrypt = true;
        platform.queueAnswer(Answer::Yes); // the consent
        const auto settings = std::make_shared<LoginSettings>(
            state, [this] { return SaveAccountFile(state, table); }, nullptr);
        ASSERT_EQ(outcome(SubmitSettings(*settings, e)), "Ok");
        nextPlatform->holdBackgroundWork = true;
        next = std::make_unique<Session>(folder.str(), *nextPlatform);
        ASSERT_EQ(outcome(next->start()), "Login");
        login().start();
    }
    LoginCheck& login() { return next->login(); }
    void submit(const std::string& user, const std::string& p1, const std::string& pad)
    {
        for (char d : pad)
            login().padDigit(d);
        login().submitLogin(
            SecretString(user), SecretString(p1),
            {[this](bool d) { deriving.push_back(d); }, [this](const Result& r) { finished.push_back(outcome(r)); }});
    }
};

} // namespace

TEST_F(LoginInBackground, TheKeyIsDerivedInTheBackgroundThenTheFileOpensOrTheFailureCounts)
{
    submit("owner", "first secret", "2469");
    EXPECT_TRUE(login().busy());
    EXPECT_EQ(deriving, std::vector<bool>{true});
    // While it works, a further OK, Cancel and the pad do nothing.
    submit("owner", "first secret", "2468");
    EXPECT_EQ(outcome(login().cancelLogin()), "Ok");
    EXPECT_EQ(nextPlatform->backgroundWaiting(), 1u);
    EXPECT_TRUE(finished.empty());
    EXPECT_TRUE(nextPlatform->messages.empty());

    nextPlatform->finishBackgroundWork();
    EXPECT_EQ(finished, std::vector<std::string>{"Reported"});
    EXPECT_EQ(deriving, (std::vector<bool>{true, false}));
    ASSERT_EQ(nextPlatform->messages.size(), 1u);
    EXPECT_EQ(nextPlatform->messages[0].text, kInvalid);
    EXPECT_EQ(login().failedLogins(), 1);
    EXPECT_FALSE(login().busy());
    EXPECT_EQ(login().numpadEntry(), "");

    submit("owner", "first secret", "2468");
    nextPlatform->finishBackgroundWork();
    EXPECT_EQ(finished, (std::vector<std::string>{"Reported", "Ok"}));
    EXPECT_TRUE(login().loggedIn());
    EXPECT_EQ(next->state().LoginPassword1, "first secret");
    EXPECT_TRUE(next->state().protection);
    EXPECT_EQ(next->table().size(), 2u);
    EXPECT_EQ(nextPlatform->messages.size(), 1u);
}

// A file derived with less than today's settings: the login derives the stronger key in the background too, and
// the next save seals under it, the key becoming the login's once the file is in place.
TEST_F(LoginInBackground, AWeakerFileGetsItsStrongerKeyInTheBackgroundForItsNextSave)
{
    const KdfSettings stronger{kMinKdfMemoryKiB, 2, 1};
    next->state().kdfDefaults = stronger;
    submit("owner", "first secret", "2468");
    nextPlatform->finishBackgroundWork(); // the login's key, then the stronger one
    ASSERT_TRUE(login().loggedIn());
    ASSERT_TRUE(next->state().strongerProtection);
    const ProtectedHeader ready = next->state().strongerProtection->header;
    EXPECT_EQ(ready.kdf, stronger);
    EXPECT_EQ(next->state().protection->header.kdf, (KdfSettings{kMinKdfMemoryKiB, 1, 1}));

    ASSERT_TRUE(SaveAccountFile(next->state(), next->table()).isOk());
    EXPECT_EQ(*ReadProtectedHeader(folder.read(kAccountFileName)), ready);
    EXPECT_EQ(next->state().protection->header, ready);
    EXPECT_FALSE(next->state().strongerProtection);
}
