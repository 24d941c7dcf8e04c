#include "CoreFixture.h"
#include "ProgramFolderFixture.h"
#include "Submit.h"

#include "app/files/AccountVersions.h"
#include "app/files/DamagedData.h"
#include "app/model/LoginCheck.h"
#include "app/model/LoginSettings.h"
#include "base/AtomicFile.h"
#include "cipher/ProtectedFile.h"

#include <array>
#include <fstream>
#include <iterator>

namespace {

const char* const kInvalid = "Invalid login, please try again!  ";
const char* const kNoLogin = "No login will be required to view your accounts.  Continue?  ";
const char* const kConsent =
    "The account file will be encrypted with this login.  Without it nobody can open your "
    "accounts, not even from a backup, and a forgotten login cannot be recovered.  Continue?  ";
const char* const kNeedsPassword = "An encrypted account file needs a login with a password.  Please enter a password.";
const char* const kShort = "This login is short: the user name, the password and the number pad hold fewer than 12 "
                           "characters together, so the encrypted file is easier to break.  Use it anyway?  ";
const char* const kUnprotect = "The account file will no longer be encrypted with your login: anyone with a copy of "
                               "it and of Coffernote will be able to read your accounts.  Continue?  ";

// The smallest settings the bounds allow: each derivation takes milliseconds.
constexpr KdfSettings kQuick{kMinKdfMemoryKiB, 1, 1};

// A run of the program: turns the encryption on, off or changes the login through the login settings, and a later
// start opens what it left with the login dialog's rules.
class ProtectedLoginTest : public ProgramFolderFixture
{
protected:
    void SetUp() override
    {
        login.kdfDefaults = kQuick;
        writeDefaultOptions();
    }

    // OK in the login settings with the given entries; the save is the program's own.
    Result settingsOk(const std::string& user, const std::string& p1, const std::string& pad, bool encrypt,
                      const AccountTable& table)
    {
        LoginEntries e;
        e.userName = user;
        e.password = p1;
        e.confirm = p1;
        e.numpad = pad;
        e.encrypt = encrypt;
        const auto settings = std::make_shared<LoginSettings>(
            state, login, [&] { return SaveAccountFile(state, login, table); }, nullptr);
        return SubmitSettings(*settings, e);
    }

    AccountTable accounts() const
    {
        return {MakeHeaderRecord("", "", ""), {1, "Bank", "bank.example", "notes", "jdoe", "s3cret"}};
    }

    // A new start in the same folder: its session, loaded, with the login dialog's rules ready.
    struct Restart
    {
        FakePlatform platform;
        Session session;
        explicit Restart(const std::string& folder) : session(folder, platform) {}
        Result attempt(const std::string& user, const std::string& p1, const std::string& pad)
        {
            for (char d : pad)
                session.loginCheck().padDigit(d);
            return SubmitLogin(session.loginCheck(), user, p1);
        }
    };
    std::unique_ptr<Restart> restart(const char* expectedFirstWindow = "Login")
    {
        auto r = std::make_unique<Restart>(folder.str());
        EXPECT_EQ(outcome(r->session.start()), expectedFirstWindow);
        r->session.loginCheck().start();
        return r;
    }
    void encryptWith(const std::string& user, const std::string& p1, const std::string& pad)
    {
        platform.queueAnswer(Answer::Yes); // the consent
        ASSERT_EQ(outcome(settingsOk(user, p1, pad, true, accounts())), "Ok");
        platform.checkNothingLeft();
    }
    std::vector<std::string> texts(const FakePlatform& p) const
    {
        std::vector<std::string> t;
        for (const auto& m : p.messages)
            t.push_back(m.text);
        return t;
    }
};

} // namespace

// A changed byte of the body, under a stamp made to match: with the right login a version 02 file asks the recovery
// question (Yes keeps the file among the versions), never the failed login that a wrong login still counts; a
// version 01 file, without a key check, cannot tell them apart and still counts it.
TEST_F(ProtectedLoginTest, ADamagedBodyIsToldFromAWrongLogin)
{
    encryptWith("owner", "first secret", "2468");
    std::string damaged02 = folder.read(kAccountFileName);
    damaged02.back() ^= 0x01;
    std::ifstream in(std::string(COFFERNOTE_TEST_DATA) + "/golden/protected-settings.dat", std::ios::binary);
    std::string damaged01(std::istreambuf_iterator<char>(in), {});
    damaged01.back() ^= 0x01;
    const struct
    {
        const char* name;
        const std::string& file;
        std::array<const char*, 3> login;
        const char* told;
        int failed;
    } cases[] = {
        {"02, wrong login", damaged02, {"owner", "first secret", "2469"}, kInvalid, 1},
        {"02, right login", damaged02, {"owner", "first secret", "2468"}, kDamagedDataQuestion, 0},
        {"01, right login", damaged01, {"golden", "correct horse", "2468"}, kInvalid, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(VersionsFolder(folder.str()));
        writeOuterWithStamp(folder, platform, c.file);
        auto next = restart();
        if (c.failed == 0)
            next->platform.queueAnswer(Answer::Yes);
        EXPECT_EQ(outcome(next->attempt(c.login[0], c.login[1], c.login[2])), c.failed ? "Reported" : "Ok");
        next->platform.checkNothingLeft();
        EXPECT_EQ(texts(next->platform), std::vector<std::string>{c.told});
        EXPECT_EQ(next->session.loginCheck().failedLogins(), c.failed);
        EXPECT_EQ(next->session.loginCheck().loggedIn(), c.failed == 0);
        const std::vector<KeptVersion> kept = ListVersions(folder.str());
        if (c.failed == 0) {
            EXPECT_FALSE(folder.exists(kAccountFileName));
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(ReadWholeFile(kept[0].path).value, c.file);
        } else {
            EXPECT_EQ(folder.read(kAccountFileName), c.file);
            EXPECT_TRUE(kept.empty());
        }
    }
}

TEST_F(ProtectedLoginTest, TurnedOnTheFileIsProtectedAndOnlyItsLoginOpensIt)
{
    encryptWith("owner", "first secret", "2468");
    EXPECT_EQ(texts(platform), std::vector<std::string>{kConsent});
    const std::string file = folder.read(kAccountFileName);
    ASSERT_TRUE(ReadProtectedHeader(file));
    EXPECT_EQ(ReadProtectedHeader(file)->kdf, kQuick);
    EXPECT_EQ(file.find("Bank"), std::string::npos);

    // Each wrong part is the failed login the dialog always had, counted.
    auto next = restart();
    const std::vector<std::array<const char*, 3>> wrong = {
        {"Owner", "first secret", "2468"}, {"owner", "first secreT", "2468"}, {"owner", "first secret", "2469"}};
    for (std::size_t i = 0; i < wrong.size(); ++i) {
        EXPECT_EQ(outcome(next->attempt(wrong[i][0], wrong[i][1], wrong[i][2])), "Reported");
        EXPECT_EQ(next->session.loginCheck().failedLogins(), static_cast<int>(i + 1));
        EXPECT_EQ(next->platform.messages.back().text, kInvalid);
        EXPECT_EQ(next->platform.messages.back().caption, "Login");
        EXPECT_FALSE(next->session.login().protection);
    }
    EXPECT_EQ(outcome(next->attempt("owner", "first secret", "2468")), "Ok");
    EXPECT_TRUE(next->session.loginCheck().loggedIn());
    EXPECT_EQ(next->session.table(), AccountTable({MakeHeaderRecord("owner", "first secret", "2468"),
                                                   {1, "Bank", "bank.example", "notes", "jdoe", "s3cret"}}));
    EXPECT_EQ(next->session.login().LoginPassword1, "first secret"); // the lock screen's password
    ASSERT_TRUE(next->session.login().protection);
    EXPECT_EQ(folder.read(kAccountFileName), file); // opening changed nothing
}

TEST_F(ProtectedLoginTest, TheSeventhWrongLoginEndsTheProgram)
{
    encryptWith("owner", "first secret", "2468");
    auto next = restart();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(outcome(next->attempt("owner", "wrong", "")), "Reported");
    EXPECT_TRUE(next->attempt("owner", "first secret", "").mustEnd());
    EXPECT_EQ(next->platform.messages.size(), 7u);
    EXPECT_TRUE(folder.exists(kAccountFileName));
}

TEST_F(ProtectedLoginTest, ConsentAndShortLoginQuestionsStoreNothingOnNo)
{
    const std::string before = "no file yet";
    platform.queueAnswer(Answer::No);
    EXPECT_EQ(outcome(settingsOk("owner", "first secret", "2468", true, accounts())), "Ok");
    EXPECT_FALSE(folder.exists(kAccountFileName));
    EXPECT_FALSE(login.protection);
    EXPECT_TRUE(login.LoginUserName.empty());

    // Under 12 characters together: warned.
    platform.queueAnswer(Answer::Yes);
    platform.queueAnswer(Answer::No);
    EXPECT_EQ(outcome(settingsOk("ab", "cdefg", "1234", true, accounts())), "Ok"); // 11 characters
    EXPECT_FALSE(login.protection);
    EXPECT_FALSE(folder.exists(kAccountFileName));
    platform.messages.clear();
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(settingsOk("ab", "cdefg", "12345", true, accounts())), "Ok"); // 12: no warning
    EXPECT_EQ(texts(platform), std::vector<std::string>{kConsent});
    EXPECT_TRUE(login.protection);
    platform.checkNothingLeft();

    // An empty password is refused with a message, before any question.
    platform.messages.clear();
    EXPECT_EQ(outcome(settingsOk("a very long user name", "", "12345", true, accounts())), "Reported");
    EXPECT_EQ(texts(platform), std::vector<std::string>{kNeedsPassword});
    EXPECT_EQ(login.LoginUserName, "ab");
}

TEST_F(ProtectedLoginTest, ChangingTheLoginReencryptsUnderTheNewOneWithANewSalt)
{
    encryptWith("owner", "first secret", "2468");
    const ProtectedHeader first = *ReadProtectedHeader(folder.read(kAccountFileName));
    // The same login again: same key, same salt, same bytes.
    const std::string bytes = folder.read(kAccountFileName);
    EXPECT_EQ(outcome(settingsOk("owner", "first secret", "2468", true, accounts())), "Ok");
    EXPECT_EQ(folder.read(kAccountFileName), bytes);

    EXPECT_EQ(outcome(settingsOk("owner", "second secret", "13579", true, accounts())), "Ok");
    const ProtectedHeader second = *ReadProtectedHeader(folder.read(kAccountFileName));
    EXPECT_NE(second.salt, first.salt);
    platform.checkNothingLeft();

    auto next = restart();
    EXPECT_EQ(outcome(next->attempt("owner", "first secret", "2468")), "Reported");
    EXPECT_EQ(outcome(next->attempt("owner", "second secret", "13579")), "Ok");
}

TEST_F(ProtectedLoginTest, TurningOffOrRemovingTheLoginAsksOnceMoreThenWritesTheDefaultFile)
{
    encryptWith("owner", "first secret", "2468");
    const std::string protectedFile = folder.read(kAccountFileName);
    platform.messages.clear();

    platform.queueAnswer(Answer::No);
    EXPECT_EQ(outcome(settingsOk("owner", "first secret", "2468", false, accounts())), "Ok");
    EXPECT_EQ(texts(platform), std::vector<std::string>{kUnprotect});
    EXPECT_EQ(folder.read(kAccountFileName), protectedFile);
    EXPECT_TRUE(login.protection);

    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(settingsOk("owner", "first secret", "2468", false, accounts())), "Ok");
    EXPECT_FALSE(login.protection);
    EXPECT_FALSE(IsProtectedFile(folder.read(kAccountFileName)));
    auto next = restart();
    EXPECT_EQ(outcome(next->attempt("owner", "first secret", "2468")), "Ok");

    // Removing the login of a protected file: the removal's question, then this one.
    encryptWith("owner", "first secret", "2468");
    platform.messages.clear();
    platform.queueAnswer(Answer::Yes);
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(settingsOk("", "", "", true, accounts())), "Ok");
    EXPECT_EQ(texts(platform), (std::vector<std::string>{kNoLogin, kUnprotect}));
    EXPECT_FALSE(login.protection);
    EXPECT_FALSE(IsProtectedFile(folder.read(kAccountFileName)));
    restart("Main");

    // An empty stamp (options put back from a backup): the file is the user's own and opens with the key it was
    // written with, so turning the encryption off asks no recovery question.
    encryptWith("owner", "first secret", "2468");
    OptionsRecord unstamped = OptionsRecord::defaults();
    ASSERT_TRUE(WriteOptionsFile(folder.str(), unstamped).isOk());
    platform.messages.clear();
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(settingsOk("owner", "first secret", "2468", false, accounts())), "Ok");
    EXPECT_EQ(texts(platform), std::vector<std::string>{kUnprotect});
    EXPECT_FALSE(IsProtectedFile(folder.read(kAccountFileName)));
}

TEST_F(ProtectedLoginTest, AFileThatOpensButLacksTheMarkerIsDamagedData)
{
    // Sealed under the login, but its first record is no header.
    login.LoginUserName = "owner";
    login.LoginPassword1 = "first secret";
    login.LoginPassword2 = "2468";
    login.protection = NewProtection(kQuick, login.LoginUserName, login.LoginPassword1, login.LoginPassword2);
    const Outcome<std::string> inner =
        EncodeInnerLayer(login, {MakeHeaderRecord("owner", "first secret", "2468"), {1, "Bank", "", "", "", ""}});
    std::string noMarker = inner.value.substr(inner.value.find("\r\n") + 2); // the account line alone
    noMarker += noMarker;
    std::string file;
    ASSERT_TRUE(SealProtectedFile(*login.protection, reinterpret_cast<const unsigned char*>(noMarker.data()),
                                  noMarker.size(), file));
    writeOuterWithStamp(folder, platform, file);

    auto next = restart();
    next->platform.queueAnswer(Answer::No);
    EXPECT_TRUE(next->attempt("owner", "first secret", "2468").mustEnd());
    ASSERT_EQ(next->platform.messages.size(), 1u);
    EXPECT_NE(next->platform.messages[0].text.find("The\r\ndata file has been damaged."), std::string::npos);
    EXPECT_EQ(folder.read(kAccountFileName), file);
}

TEST_F(ProtectedLoginTest, AFailedSaveKeepsTheLoginAndTheKeyThatMatchTheFileOnDisk)
{
    struct Case
    {
        const char* what;
        const char* password;
        bool encrypt;
        FileFault fault;
        bool inPlace; // the new files are in place all the same: the new login and key count
    };
    const Case cases[] = {
        {"turned off, rename refused", "first secret", false, FileFault::Rename, false},
        {"login changed, rename refused", "second secret", true, FileFault::Rename, false},
        {"login changed, folder flush failed", "second secret", true, FileFault::FolderFlush, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        login.protection.reset();
        encryptWith("owner", "first secret", "2468");
        const std::string before = folder.read(kAccountFileName);
        const FileProtection* key = login.protection.get();
        if (!c.encrypt)
            platform.queueAnswer(Answer::Yes); // turn it off
        const FileFault fault = c.fault;
        SetFileFaultHookForTests([fault](FileFault f, const std::string&) { return f == fault; });
        EXPECT_EQ(outcome(settingsOk("owner", c.password, "2468", c.encrypt, accounts())), "Ok");
        SetFileFaultHookForTests({});
        platform.checkNothingLeft();
        if (c.inPlace) {
            EXPECT_EQ(login.LoginPassword1, c.password);
            ASSERT_TRUE(login.protection);
            EXPECT_EQ(login.protection->header, *ReadProtectedHeader(folder.read(kAccountFileName)));
        } else {
            EXPECT_EQ(login.LoginPassword1, "first secret");
            EXPECT_EQ(login.protection.get(), key);
            EXPECT_EQ(folder.read(kAccountFileName), before);
        }
    }

    // A copy without the data folder's lock asks nothing and changes nothing.
    platform.holdsLock = false;
    platform.messages.clear();
    const std::string before = folder.read(kAccountFileName);
    EXPECT_EQ(outcome(settingsOk("owner", "third secret", "2468", false, accounts())), "Reported");
    EXPECT_EQ(texts(platform), std::vector<std::string>{"The login was not changed:\r\nthis copy of Coffernote does "
                                                        "not hold the lock on its data folder; another copy may be "
                                                        "using it."});
    EXPECT_EQ(login.LoginPassword1, "second secret");
    EXPECT_TRUE(login.protection);
    EXPECT_EQ(folder.read(kAccountFileName), before);
}

// The questions added for the encryption lose the accounts or weaken their protection on Yes: No is their default,
// so Enter alone never agrees. The question of the login's removal keeps the default it always had.
TEST_F(ProtectedLoginTest, TheQuestionsThatWeakenTheProtectionDefaultToNo)
{
    const struct
    {
        const char* question;
        bool encryptFirst; // the cases run in order, each on what the one before left
        std::array<const char*, 3> login;
        bool encrypt;
        int style;
    } cases[] = {
        {kConsent, false, {"owner", "first secret", "2468"}, true, MsgQuestionNoDefault},
        {kShort, true, {"ab", "cdefg", "1234"}, true, MsgQuestionNoDefault},
        {kUnprotect, false, {"owner", "first secret", "2468"}, false, MsgQuestionNoDefault}, // still encrypted
        {kNoLogin, false, {"", "", ""}, false, MsgQuestion},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.question);
        if (c.encryptFirst)
            encryptWith("owner", "first secret", "2468");
        platform.messages.clear();
        platform.queueAnswer(Answer::No);
        EXPECT_EQ(outcome(settingsOk(c.login[0], c.login[1], c.login[2], c.encrypt, accounts())), "Ok");
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, c.question);
        EXPECT_EQ(platform.messages[0].style, c.style);
    }
}
