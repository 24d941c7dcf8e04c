#include "CoreFixture.h"
#include "Outcomes.h"
#include "Permissions.h"

#include "app/files/IntegrityStamp.h"

#include <cstring>
#include <functional>
#include <unistd.h>

// Tampering, damage and failures: whatever happens, stored accounts are never lost without the user's Yes.
class AccountFileFaultsTest : public CoreFixture
{
protected:
    void SetUp() override { login.LoginUserName = "user"; }

    struct Snapshot
    {
        std::string accounts;
        std::string options;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const { return {folder.read("settings.dat"), folder.read("config.dat")}; }

    bool questionAsked() const
    {
        for (const auto& m : platform.messages)
            if (m.style == MsgQuestion && m.text == kDamagedQuestionText)
                return true;
        return false;
    }

    // The files still load to the original table, without any question.
    void expectStillLoads(const AccountTable& original)
    {
        FakePlatform quiet;
        AppState fresh(folder.str(), quiet);
        Login freshLogin;
        LockedFile freshLocked;
        freshLogin.LoginUserName = "user";
        OptionsRecord options;
        AccountTable table;
        EXPECT_EQ(outcome(LoadAccountFile(fresh, freshLogin, options, table, freshLocked)), "Loaded");
        EXPECT_EQ(table, asLoaded(original));
        EXPECT_TRUE(quiet.messages.empty());
    }

    static constexpr const char* kDamagedQuestionText = "Coffernote is unable to start.  The\r\n"
                                                        "data file has been damaged.  Restore  \r\n"
                                                        "default settings?  Responding \r\n"
                                                        "'yes' will delete all saved accounts.  ";
};

// Ways the account file can be damaged behind the program's back (a whole file under another stamp is used).
struct Tamper
{
    const char* what;
    std::function<void(const TempFolder&)> apply;
};

static std::vector<Tamper> tamperings()
{
    return {
        {"one changed byte",
         [](const TempFolder& f) {
             std::string b = f.read("settings.dat");
             b[b.size() / 2] = b[b.size() / 2] == 'A' ? 'B' : 'A';
             f.write("settings.dat", b);
         }},
        {"cut short",
         [](const TempFolder& f) {
             const std::string b = f.read("settings.dat");
             f.write("settings.dat", b.substr(0, b.size() - 8));
         }},
    };
}

class AccountFilePermissions : public AccountFileFaultsTest
{
};

TEST_F(AccountFileFaultsTest, TamperedFileAsksAndNoKeepsEverything)
{
    for (const Tamper& t : tamperings()) {
        SCOPED_TRACE(t.what);
        TempFolder f;
        FakePlatform p;
        AppState s(f.str(), p);
        Login sLogin;
        LockedFile sLocked;
        f.write("config.dat", kDefaultOptionsLine);
        ASSERT_EQ(outcome(SaveAccountFile(s, sLogin, sampleTable())), "Ok");
        t.apply(f);
        const std::string accounts = f.read("settings.dat");
        const bool hadOptions = f.exists("config.dat");

        p.queueAnswer(Answer::No);
        OptionsRecord options;
        AccountTable table = {MakeHeaderRecord("", "", "")};
        EXPECT_EQ(outcome(LoadAccountFile(s, sLogin, options, table, sLocked)), "EndProgram");
        EXPECT_EQ(p.endCount, 0); // the caller ends the program
        ASSERT_FALSE(p.messages.empty());
        EXPECT_EQ(p.messages.back().text, kDamagedQuestionText);
        EXPECT_EQ(f.read("settings.dat"), accounts);
        EXPECT_EQ(f.exists("config.dat"), hadOptions);
        EXPECT_EQ(table.size(), 1u);
    }
}

TEST_F(AccountFileFaultsTest, TamperedFileAsksAndYesDeletesTheAccountsOnly)
{
    for (const Tamper& t : tamperings()) {
        SCOPED_TRACE(t.what);
        TempFolder f;
        FakePlatform p;
        AppState s(f.str(), p);
        Login sLogin;
        LockedFile sLocked;
        sLogin.LoginUserName = "user";
        OptionsRecord masked = OptionsRecord::defaults();
        masked.set(OptionsRecord::MaskNotes, "true");
        ASSERT_TRUE(WriteOptionsFile(f.str(), masked).isOk());
        ASSERT_EQ(outcome(SaveAccountFile(s, sLogin, sampleTable())), "Ok");
        t.apply(f);

        p.queueAnswer(Answer::Yes);
        OptionsRecord options;
        AccountTable table;
        EXPECT_EQ(outcome(LoadAccountFile(s, sLogin, options, table, sLocked)), "Recovered");
        EXPECT_FALSE(p.ended());
        EXPECT_FALSE(f.exists("settings.dat"));
        EXPECT_EQ(options.get(OptionsRecord::IntegrityStamp), "");
        EXPECT_EQ(options.get(OptionsRecord::MaskNotes), "true");
        ASSERT_EQ(table.size(), 1u);
        EXPECT_EQ(table[0], MakeHeaderRecord("user", "", ""));
    }
}

TEST_F(AccountFileFaultsTest, DamagedContentUnderAMatchingStampGoesToTheQuestion)
{
    const std::string header = "\"" + EncryptField(" 0").value + "\",\"" + EncryptField(kHeaderMarker).value + "\",\"" +
                               EncryptField("na").value + "\",\"\",\"\",\"\"\r\n";
    struct Case
    {
        const char* what;
        std::function<void(const TempFolder&, Platform&)> write;
    };
    const Case cases[] = {
        {"empty file", [](const TempFolder& f, Platform& p) { ::writeOuterWithStamp(f, p, ""); }},
        {"not Base64", [](const TempFolder& f, Platform& p) { ::writeOuterWithStamp(f, p, "=====\r\n"); }},
        {"Base64 of foreign bytes",
         [](const TempFolder& f, Platform& p) { ::writeOuterWithStamp(f, p, "SGVsbG8gd29ybGQhIQ=="); }},
        {"truncated cipher text",
         [](const TempFolder& f, Platform& p) {
             AppState s(f.str(), p);
             Login sLogin;
             ASSERT_EQ(outcome(SaveAccountFile(s, sLogin, sampleTable())), "Ok");
             const std::string outer = f.read("settings.dat");
             ::writeOuterWithStamp(f, p, outer.substr(0, outer.size() - 40));
         }},
        {"inner layer with a bad record number",
         [](const TempFolder& f, Platform& p) {
             ::writeAccountFileWithStamp(f, p, "\"" + EncryptField("x").value + "\",\"a\",\"b\",\"c\",\"d\",\"e\"\r\n");
         }},
        {"inner layer with a short last record",
         [&header](const TempFolder& f, Platform& p) {
             ::writeAccountFileWithStamp(
                 f, p, header + "\"" + EncryptField(" 1").value + "\",\"" + EncryptField("a").value + "\"\r\n");
         }},
        {"inner layer of blank lines",
         [](const TempFolder& f, Platform& p) { ::writeAccountFileWithStamp(f, p, "\r\n"); }},
    };
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (answer == Answer::Yes ? " / yes" : " / no"));
            TempFolder f;
            FakePlatform p;
            AppState s(f.str(), p);
            Login sLogin;
            LockedFile sLocked;
            sLogin.LoginUserName = "user";
            c.write(f, p);
            const std::string accounts = f.read("settings.dat");

            p.queueAnswer(answer);
            OptionsRecord options;
            AccountTable table;
            const LoadResult r = LoadAccountFile(s, sLogin, options, table, sLocked);
            ASSERT_FALSE(p.messages.empty());
            EXPECT_EQ(p.messages.back().text, kDamagedQuestionText);
            if (answer == Answer::No) {
                EXPECT_EQ(outcome(r), "EndProgram");
                EXPECT_EQ(f.read("settings.dat"), accounts);
                EXPECT_TRUE(table.empty()); // nothing half loaded
            } else {
                EXPECT_EQ(outcome(r), "Recovered");
                EXPECT_FALSE(f.exists("settings.dat"));
                EXPECT_EQ(table, AccountTable{MakeHeaderRecord("user", "", "")});
            }
        }
    }
}

// The cipher shows nothing itself: the load says what its component reported, OK only, before the question.
TEST_F(AccountFileFaultsTest, CipherFailureIsSaidByTheLoadBeforeTheQuestion)
{
    writeOuterWithStamp("SGVsbG8gd29ybGQhIQ==");
    platform.queueAnswer(Answer::No);
    OptionsRecord options;
    AccountTable table;
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, table, locked)), "EndProgram");
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].text,
              "The data cannot be decrypted: it is damaged or was not encrypted with these keys.");
    EXPECT_EQ(platform.messages[0].style, MsgOk);
    EXPECT_EQ(platform.messages[0].caption, "Coffernote");
    EXPECT_EQ(platform.messages[1].text, kDamagedQuestionText);
}

TEST_F(AccountFileFaultsTest, HeaderWithoutMarkerAsksButKeepsTheRecordsLoaded)
{
    std::string inner;
    for (const char* no : {" 0", " 1"}) {
        std::string line;
        for (const char* v : {no, "Not the marker", "na", "", "", ""})
            line += (line.empty() ? "\"" : ",\"") + EncryptField(v == no ? no : v).value + "\"";
        inner += line + "\r\n";
    }
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Yes ? "yes" : "no");
        platform.messages.clear();
        writeAccountFileWithStamp(inner);
        platform.queueAnswer(answer);
        OptionsRecord options;
        AccountTable table;
        const LoadResult r = LoadAccountFile(state, login, options, table, locked);
        EXPECT_TRUE(questionAsked());
        ASSERT_EQ(table.size(), 2u);
        EXPECT_EQ(table[0].AccountName, "Not the marker");
        if (answer == Answer::No) {
            EXPECT_EQ(outcome(r), "EndProgram");
            EXPECT_TRUE(folder.exists("settings.dat"));
        } else {
            EXPECT_EQ(outcome(r), "Loaded");
            EXPECT_FALSE(folder.exists("settings.dat"));
            EXPECT_EQ(options.get(OptionsRecord::IntegrityStamp), "");
        }
    }
}

TEST_F(AccountFileFaultsTest, LeftoverTemporaryFileIsRemovedNeverRead)
{
    const AccountTable table = sampleTable();
    saveSample(table);
    // An interrupted run's temporary file: a valid, different account file, and an inner layer in clear.
    {
        TempFolder other;
        FakePlatform p;
        AppState s(other.str(), p);
        Login sLogin;
        ASSERT_EQ(outcome(SaveAccountFile(s, sLogin,
                                          AccountTable{MakeHeaderRecord("", "", ""), {1, "Intruder", "", "", "", ""}})),
                  "Ok");
        folder.write("settings2.dat", other.read("settings.dat"));
    }
    OptionsRecord options;
    AccountTable loaded;
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, loaded, locked)), "Loaded");
    EXPECT_EQ(loaded, asLoaded(table));
    EXPECT_FALSE(folder.exists("settings2.dat"));

    folder.write("settings2.dat", EncodeInnerLayer(login, table).value);
    saveSample(table);
    EXPECT_FALSE(folder.exists("settings2.dat"));
    expectStillLoads(table);
}

TEST_F(AccountFileFaultsTest, UnreadableAccountFileIsReportedAndNeverDeleted)
{
    makeBlockingFolder("settings.dat");
    folder.write("config.dat", kDefaultOptionsLine);

    OptionsRecord options;
    AccountTable table;
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, table, locked)), "EndProgram");
    EXPECT_EQ(platform.endCount, 0);         // the caller ends the program
    ASSERT_EQ(platform.messages.size(), 1u); // no recovery question
    EXPECT_EQ(platform.messages[0].style, MsgExclamation);
    EXPECT_NE(platform.messages[0].text.find(folder.file("settings.dat")), std::string::npos);
    EXPECT_TRUE(folder.exists("settings.dat/inside"));

    platform.messages.clear();
    const Result r = SaveAccountFile(state, login, sampleTable());
    EXPECT_EQ(outcome(r), "Failed");
    EXPECT_NE(r.message().find(folder.file("settings.dat")), std::string::npos) << r.message();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(folder.exists("settings.dat/inside"));
    EXPECT_EQ(folder.read("config.dat"), kDefaultOptionsLine);
}

TEST_F(AccountFilePermissions, AccountFileWithoutReadPermissionIsReportedAndNeverDeleted)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    saveSample(sampleTable());
    const Snapshot before = snapshot();
    std::filesystem::permissions(folder.file("settings.dat"), std::filesystem::perms::none);
    OptionsRecord options;
    AccountTable table;
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, table, locked)), "EndProgram");
    EXPECT_FALSE(questionAsked());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.find(folder.file("settings.dat")), std::string::npos);
    std::filesystem::permissions(folder.file("settings.dat"), std::filesystem::perms::owner_read);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(AccountFileFaultsTest, UnreadableOptionsFileIsNotTakenForAMismatch)
{
    saveSample(sampleTable());
    const std::string accounts = folder.read("settings.dat");
    std::filesystem::remove(folder.file("config.dat"));
    makeBlockingFolder("config.dat");

    OptionsRecord options;
    AccountTable table;
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, table, locked)), "EndProgram");
    EXPECT_FALSE(questionAsked());
    EXPECT_NE(platform.messages.at(0).text.find(folder.file("config.dat")), std::string::npos);
    EXPECT_EQ(folder.read("settings.dat"), accounts);

    const Result r = SaveAccountFile(state, login, sampleTable());
    EXPECT_EQ(outcome(r), "Failed");
    EXPECT_EQ(folder.read("settings.dat"), accounts);
}

TEST_F(AccountFileFaultsTest, FailedSaveLeavesTheOldFilesMatching)
{
    struct Case
    {
        const char* what;
        std::function<void(AccountFileFaultsTest&)> inject;
    };
    auto hook = [](FileFault fault, const char* name) {
        return [fault, name](AccountFileFaultsTest&) {
            SetFileFaultHookForTests([fault, name](FileFault f, const std::string& path) {
                return f == fault && path.size() >= std::strlen(name) &&
                       path.compare(path.size() - std::strlen(name), std::string::npos, name) == 0;
            });
        };
    };
    const Case cases[] = {
        {"temporary account file cannot be created",
         [](AccountFileFaultsTest& t) { t.makeBlockingFolder("settings2.dat"); }},
        {"temporary options file cannot be created",
         [](AccountFileFaultsTest& t) { t.makeBlockingFolder("config2.dat"); }},
        {"disk full halfway through the account file", hook(FileFault::WriteHalfway, "/settings2.dat")},
        {"disk full halfway through the options file", hook(FileFault::WriteHalfway, "/config2.dat")},
        {"options file cannot be replaced", hook(FileFault::Rename, "/config.dat")},
        {"account file cannot be replaced", hook(FileFault::Rename, "/settings.dat")},
    };
    const AccountTable original = sampleTable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        saveSample(original);
        const Snapshot before = snapshot();

        AccountTable changed = original;
        changed[1].Password = "changed";
        changed.push_back({4, "New", "", "", "", ""});
        c.inject(*this);
        state.IdleTickCount = 5;
        const Result r = SaveAccountFile(state, login, changed);
        SetFileFaultHookForTests({});

        EXPECT_EQ(outcome(r), "Failed");
        EXPECT_NE(r.message().find(folder.file("settings.dat")), std::string::npos) << r.message();
        EXPECT_EQ(snapshot(), before);
        EXPECT_TRUE(platform.messages.empty());
        EXPECT_EQ(state.IdleTickCount, 0);
        for (const char* temp : {"settings2.dat", "config2.dat"}) {
            if (folder.exists(temp)) {
                EXPECT_TRUE(folder.exists(std::string(temp) + "/inside")) << temp; // only the blocking folder
            }
        }
        // A folder under a data file's name is reported at load; gone, the old pair loads.
        std::filesystem::remove_all(folder.file("settings2.dat"));
        std::filesystem::remove_all(folder.file("config2.dat"));
        expectStillLoads(original);
        // Once the fault is gone the same save goes through.
        ASSERT_EQ(outcome(SaveAccountFile(state, login, changed)), "Ok");
        expectStillLoads(changed);
    }
}

// The renames are done when the folder cannot be flushed: the save says so, and the new pair is whole and loads.
TEST_F(AccountFileFaultsTest, FailedFolderFlushIsAFailedSaveOverWholeFiles)
{
    const AccountTable original = sampleTable();
    saveSample(original);
    AccountTable changed = original;
    changed[1].Password = "changed";
    SetFileFaultHookForTests([](FileFault f, const std::string&) { return f == FileFault::FolderFlush; });
    const Result r = SaveAccountFile(state, login, changed);
    SetFileFaultHookForTests({});

    EXPECT_EQ(outcome(r), "Failed");
    EXPECT_EQ(r.message(), "Coffernote could not save the accounts to\r\n" + folder.file("settings.dat") +
                               "\r\n(cannot flush the folder " + folder.str() +
                               ": Input/output error).\r\nThe files in place are whole and hold the change, but it "
                               "may not survive a power cut.");
    EXPECT_FALSE(folder.exists("settings2.dat"));
    EXPECT_FALSE(folder.exists("config2.dat"));
    expectStillLoads(changed);
    ASSERT_EQ(outcome(SaveAccountFile(state, login, changed)), "Ok"); // no stamp disagrees with the files in place
    EXPECT_FALSE(questionAsked());
}

TEST_F(AccountFilePermissions, ReadOnlyFolderFailsTheSaveCleanly)
{
    SKIP_WHERE_PERMISSIONS_DO_NOT_BIND();
    saveSample(sampleTable());
    const Snapshot before = snapshot();
    std::filesystem::permissions(folder.str(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    AccountTable changed = sampleTable();
    changed[1].Notes = "changed";
    const Result r = SaveAccountFile(state, login, changed);
    std::filesystem::permissions(folder.str(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    EXPECT_EQ(outcome(r), "Failed");
    EXPECT_EQ(snapshot(), before);
}

TEST_F(AccountFileFaultsTest, StampMismatchBeforeASave)
{
    const AccountTable table = sampleTable();
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Yes ? "yes" : "no");
        std::filesystem::remove(folder.file("settings.dat"));
        saveSample(table);
        tamperings()[0].apply(folder);
        const Snapshot before = snapshot();
        platform.messages.clear();
        platform.queueAnswer(answer);

        AccountTable changed = table;
        changed[2].Website = "changed";
        const Result r = SaveAccountFile(state, login, changed);
        EXPECT_TRUE(questionAsked());
        if (answer == Answer::No) {
            EXPECT_EQ(outcome(r), "EndProgram");
            EXPECT_EQ(platform.endCount, 0); // the caller ends the program
            EXPECT_EQ(snapshot(), before);
        } else {
            // The accounts in memory are stored again under a fresh stamp.
            EXPECT_EQ(outcome(r), "Ok");
            expectStillLoads(changed);
        }
    }
}
