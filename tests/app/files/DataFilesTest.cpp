#include "CoreFixture.h"
#include "Outcomes.h"

#include "app/files/DamagedData.h"
#include "app/files/DataFiles.h"
#include "app/model/Session.h"

#include <cstdio>
#include <sys/stat.h>

// Bad things under the data files' names are reported and left as they are; a save never replaces what it must not.
class DataFilesTest : public CoreFixture
{
protected:
    void SetUp() override { login.LoginUserName = "user"; }
    void TearDown() override
    {
        SetFileSizeBoundForTests(0);
        CoreFixture::TearDown();
    }

    // The one message of a load that ended: an exclamation naming the file, never the recovery question.
    void expectEndedNaming(const LoadResult& r, const std::string& path, const std::string& why)
    {
        EXPECT_EQ(outcome(r), "EndProgram");
        EXPECT_EQ(platform.endCount, 0); // the caller ends the program
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].style, MsgExclamation);
        EXPECT_NE(platform.messages[0].text.find(path), std::string::npos) << platform.messages[0].text;
        EXPECT_NE(platform.messages[0].text.find(why), std::string::npos) << platform.messages[0].text;
    }

    AccountTable changed() const
    {
        AccountTable t = sampleTable();
        t[1].Password = "changed";
        return t;
    }
};

TEST_F(DataFilesTest, NonRegularDataFilesAreReportedNeverOpenedOrDeleted)
{
    struct Kind
    {
        const char* what;
        const char* says;
        void (*plant)(const std::string& path);
    };
    const Kind kinds[] = {
        {"pipe", "not a regular file", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"folder", "is a folder", [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"link to a pipe", "not a regular file",
         [](const std::string& p) {
             ASSERT_EQ(::mkfifo((p + ".fifo").c_str(), 0600), 0);
             std::filesystem::create_symlink(p + ".fifo", p);
         }},
    };
    for (const char* name : {"settings.dat", "settings2.dat", "config.dat", "config2.dat"}) {
        for (const Kind& k : kinds) {
            SCOPED_TRACE(std::string(name) + " is a " + k.what);
            std::filesystem::remove_all(folder.str());
            std::filesystem::create_directories(folder.str());
            platform.messages.clear();
            platform.endCount = 0;
            if (std::string(name) != "settings.dat")
                saveSample(sampleTable());
            std::filesystem::remove(folder.file(name));
            k.plant(folder.file(name));

            OptionsRecord options;
            AccountTable table;
            expectEndedNaming(LoadAccountFile(state, login, options, table, locked), folder.file(name), k.says);
            EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(folder.file(name))));
            EXPECT_EQ(outcome(SaveAccountFile(state, login, changed())), "Failed");
            EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(folder.file(name))));
        }
    }
}

TEST_F(DataFilesTest, FilesOverTheBoundAreRefusedAndKept)
{
    // The bound is 256 MB; a small one stands in for it here.
    for (const char* name : {"settings.dat", "config.dat"}) {
        SCOPED_TRACE(name);
        std::filesystem::remove_all(folder.str());
        std::filesystem::create_directories(folder.str());
        platform.messages.clear();
        platform.endCount = 0;
        const std::string big(101, 'A');
        folder.write(name, big);
        SetFileSizeBoundForTests(100);
        // An options file that cannot be read is not replaced, not even with no account file beside it.
        EXPECT_EQ(outcome(Session(folder.str(), platform).start()), "EndProgram");
        SetFileSizeBoundForTests(0);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, "Coffernote cannot read its data files:\r\ncannot read " +
                                                 folder.file(name) +
                                                 ": it is larger than 100 bytes, the most Coffernote reads\r\n"
                                                 "Nothing was changed or deleted.  The program will now close.");
        EXPECT_EQ(folder.read(name), big);
    }
    EXPECT_EQ(kMaxDataFileBytes, 268435456u);
}

TEST_F(DataFilesTest, MoreRecordsThanTheTableCanNumberAreDamage)
{
    AccountTable table{MakeHeaderRecord("user", "", "")};
    for (std::size_t i = 1; i <= kMaxRecords; ++i)
        table.push_back({static_cast<std::int16_t>(i), "a", "", "", "", ""});
    ASSERT_EQ(table.size(), kMaxRecords + 1);
    writeAccountFileWithStamp(EncodeInnerLayer(login, table).value);
    const std::string accounts = folder.read("settings.dat");

    platform.queueAnswer(Answer::No);
    OptionsRecord options;
    AccountTable loaded;
    EXPECT_EQ(outcome(LoadAccountFile(state, login, options, loaded, locked)), "EndProgram");
    EXPECT_EQ(platform.messages.back().text, kDamagedDataQuestion);
    EXPECT_TRUE(loaded.empty());
    EXPECT_EQ(folder.read("settings.dat"), accounts);
    // The program never writes such a file either.
    EXPECT_EQ(outcome(SaveAccountFile(state, login, table)), "Failed");
    EXPECT_EQ(folder.read("settings.dat"), accounts);
}

TEST_F(DataFilesTest, ASaveWithoutTheLockReplacesNothing)
{
    saveSample(sampleTable());
    const std::string accounts = folder.read("settings.dat"), options = folder.read("config.dat");
    platform.holdsLock = false;
    const Result r = SaveAccountFile(state, login, changed());
    EXPECT_EQ(outcome(r), "Failed");
    EXPECT_EQ(r.message(),
              "Coffernote could not save the accounts to\r\n" + folder.file("settings.dat") +
                  "\r\n(this copy of Coffernote does not hold the lock on its data folder; another copy "
                  "may be using it).\r\nThe file on disk was left as it was; the change is kept only until "
                  "the program ends.");
    EXPECT_EQ(outcome(SaveAccountFile(state, login, {MakeHeaderRecord("", "", "")})), "Failed");
    EXPECT_EQ(folder.read("settings.dat"), accounts);
    EXPECT_EQ(folder.read("config.dat"), options);
    EXPECT_FALSE(folder.exists("settings2.dat"));
    EXPECT_FALSE(folder.exists("config2.dat"));
}

TEST_F(DataFilesTest, RollbackAfterAFailedSecondRenameRestoresOnlyItsOwnStamp)
{
    const std::string foreign =
        "\"\",\"\",\"someone else's stamp\",\"true\",\"false\",\"false\",\"true\",\"\",\"true\",\"true\"\r\n";
    struct Case
    {
        const char* what;
        bool foreignWrite;  // another copy writes the options file meanwhile
        bool rollbackFails; // the old options cannot be put back
    };
    const Case cases[] = {{"another copy's stamp", true, false}, {"rollback fails", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(folder.file("settings.dat"));
        saveSample(sampleTable());
        const std::string accounts = folder.read("settings.dat");
        bool accountsRenameFailed = false;
        SetFileFaultHookForTests([&](FileFault f, const std::string& path) {
            if (f != FileFault::Rename)
                return false;
            if (path == folder.file("settings.dat")) {
                if (c.foreignWrite)
                    folder.write("config.dat", foreign);
                accountsRenameFailed = true;
                return true;
            }
            return c.rollbackFails && accountsRenameFailed && path == folder.file("config.dat");
        });
        const Result r = SaveAccountFile(state, login, changed());
        SetFileFaultHookForTests({});
        EXPECT_EQ(outcome(r), "Failed");
        EXPECT_EQ(folder.read("settings.dat"), accounts);
        if (c.foreignWrite) {
            EXPECT_EQ(folder.read("config.dat"), foreign);
        } else {
            // The new stamp stayed: the next load finishes the save, without a question.
            FakePlatform quiet;
            AppState next(folder.str(), quiet);
            Login nextLogin;
            LockedFile nextLocked;
            OptionsRecord options;
            AccountTable loaded;
            EXPECT_EQ(outcome(LoadAccountFile(next, nextLogin, options, loaded, nextLocked)), "Loaded");
            EXPECT_EQ(loaded, asLoaded(changed()));
            EXPECT_TRUE(quiet.messages.empty());
        }
    }
}

TEST_F(DataFilesTest, NoStampToDisagreeWithTakesOnlyAnAuthenticFile)
{
    struct Case
    {
        const char* what;
        bool deleteOptions; // else the stamp is emptied
        bool damaged;
    };
    const Case cases[] = {{"options deleted", true, false},
                          {"stamp emptied", false, false},
                          {"options deleted, file damaged", true, true},
                          {"stamp emptied, file damaged", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(folder.file("config.dat"));
        std::filesystem::remove(folder.file("settings.dat"));
        saveSample(sampleTable());
        if (c.damaged) {
            std::string b = folder.read("settings.dat");
            b[b.size() / 2] = b[b.size() / 2] == 'A' ? 'B' : 'A';
            folder.write("settings.dat", b);
        }
        const std::string accounts = folder.read("settings.dat");
        for (bool viaSave : {false, true}) {
            if (c.deleteOptions)
                std::filesystem::remove(folder.file("config.dat"));
            else
                folder.write("config.dat", kDefaultOptionsLine);
            platform.messages.clear();
            if (c.damaged)
                platform.queueAnswer(Answer::No);
            OptionsRecord options;
            AccountTable table;
            if (viaSave) {
                EXPECT_EQ(outcome(SaveAccountFile(state, login, changed())), c.damaged ? "EndProgram" : "Ok");
            } else {
                EXPECT_EQ(outcome(LoadAccountFile(state, login, options, table, locked)),
                          c.damaged ? "EndProgram" : "Loaded");
                EXPECT_EQ(folder.read("settings.dat"), accounts);
            }
            if (c.damaged) {
                // The cipher's own word on the damage may come first; the question ends it.
                ASSERT_FALSE(platform.messages.empty());
                EXPECT_EQ(platform.messages.back().text, kDamagedDataQuestion);
                EXPECT_EQ(folder.read("settings.dat"), accounts);
            } else {
                EXPECT_TRUE(platform.messages.empty());
                EXPECT_EQ(stamp(), state.ComputedStamp); // the file now has its stamp
            }
        }
    }
}

// Ownership is that of the file whose bytes were read, as its descriptor told: a file put under the name after
// the read changes nothing (by name, a forged file swapped for a private one would pass).
TEST(OwnedByUserAlone, IsTheFileReadNotTheOneUnderTheNameNow)
{
    const struct
    {
        const char* what;
        mode_t read, after;
        bool own;
    } cases[] = {
        {"private", 0600, 0600, true},
        {"group-writable, then a private file put in its place", 0620, 0600, false},
        {"writable by all, then a private file put in its place", 0602, 0600, false},
        {"private, then a group-writable file put in its place", 0600, 0620, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        dir.write("settings.dat", "read");
        ASSERT_EQ(::chmod(dir.file("settings.dat").c_str(), c.read), 0);
        FileIdentity read;
        ASSERT_TRUE(ReadWholeFile(dir.file("settings.dat"), read).result.isOk());
        dir.write("other", "other");
        ASSERT_EQ(::chmod(dir.file("other").c_str(), c.after), 0);
        ASSERT_EQ(::rename(dir.file("other").c_str(), dir.file("settings.dat").c_str()), 0);
        EXPECT_EQ(OwnedByUserAlone(read), c.own);
    }
}
