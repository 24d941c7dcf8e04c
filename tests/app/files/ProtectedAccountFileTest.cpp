#include "CoreFixture.h"
#include "Outcomes.h"

#include "cipher/ProtectedFile.h"

#include <chrono>
#include <fstream>
#include <iterator>

namespace {

// The golden files and the table and login they were written with. Files written by earlier versions must keep
// opening, and the default file must stay what it always was.
std::string golden(const char* name)
{
    std::ifstream in(std::string(COFFERNOTE_TEST_DATA) + "/golden/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

AccountTable goldenTable()
{
    return {MakeHeaderRecord("golden", "correct horse", "2468"),
            {1, "Bank", "https://bank.example", "Branch 12", "jdoe", "s3cret!"},
            {2, "Ünïcödé ✓", "", "a note long enough to need more than one Base64 line in its field, surely", "me",
             "p@ss, word"}};
}

// The smallest settings the bounds allow, and a fixed salt: the golden protected file is written again byte for byte.
ProtectedHeader goldenHeader()
{
    ProtectedHeader h{{kMinKdfMemoryKiB, 1, 1}, {}};
    for (std::size_t i = 0; i < h.salt.size(); ++i)
        h.salt[i] = static_cast<unsigned char>(i + 1);
    return h;
}

} // namespace

class ProtectedAccountFileTest : public CoreFixture
{
protected:
    void SetUp() override
    {
        state.LoginUserName = "golden";
        state.LoginPassword1 = "correct horse";
        state.LoginPassword2 = "2468";
        state.kdfDefaults = goldenHeader().kdf;
    }
    std::unique_ptr<FileProtection> keyFor(const char* user, const char* p1, const char* pad)
    {
        return ProtectionFor(goldenHeader(), user, p1, pad);
    }
    // A start-up's load of what is in the folder: the protected file waits for the login.
    std::string loadAtStart()
    {
        OptionsRecord options;
        AccountTable table;
        return outcome(LoadAccountFile(state, options, table));
    }
};

TEST_F(ProtectedAccountFileTest, GoldenDefaultFileIsWrittenByteForByte)
{
    saveSample(goldenTable());
    EXPECT_EQ(folder.read("settings.dat"), golden("default-settings.dat"));
}

TEST_F(ProtectedAccountFileTest, GoldenProtectedFileOpensWithItsLoginAndIsWrittenAgainByteForByte)
{
    writeOuterWithStamp(golden("protected-settings.dat"));
    ASSERT_EQ(loadAtStart(), "Protected");
    EXPECT_EQ(state.lockedAccountFile, golden("protected-settings.dat"));

    AccountTable table;
    const Outcome<UnlockKind> opened = UnlockAccountFile(state, keyFor("golden", "correct horse", "2468"), table);
    ASSERT_EQ(outcome(opened.result), "Ok");
    ASSERT_EQ(opened.value, UnlockKind::Opened);
    EXPECT_EQ(table, goldenTable());
    ASSERT_TRUE(state.protection);
    EXPECT_TRUE(state.lockedAccountFile.empty());

    saveSample(table);
    EXPECT_EQ(folder.read("settings.dat"), golden("protected-settings.dat"));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ProtectedAccountFileTest, AFlippedByteIsCaughtByTheStampOrByAuthentication)
{
    const std::string file = golden("protected-settings.dat");
    for (std::size_t at : {0ul, 11ul, 14ul, 30ul, 42ul, 60ul, file.size() - 1}) {
        std::string changed = file;
        changed[at] ^= 0x20;
        // Whether the stamp still names the file as written (the file may come from another computer) or was made
        // to match the change, the header check or the login's key catches it, and nothing is written.
        for (const bool stampMatches : {false, true}) {
            SCOPED_TRACE(std::to_string(at) + (stampMatches ? ", stamp matches" : ", stamp of the file as written"));
            writeOuterWithStamp(stampMatches ? changed : file);
            folder.write("settings.dat", changed);
            const std::string options = folder.read("config.dat");
            platform.messages.clear();
            if (!IsProtectedFile(changed))
                platform.queueAnswer(Answer::No); // no magic: a damaged default file
            const std::string load = loadAtStart();
            platform.checkNothingLeft();
            if (load == "Protected") {
                AccountTable table;
                EXPECT_EQ(UnlockAccountFile(state, keyFor("golden", "correct horse", "2468"), table).value,
                          UnlockKind::WrongLogin);
                state.lockedAccountFile.clear();
            } else {
                EXPECT_EQ(load, "EndProgram"); // a header out of bounds (reported) or no magic (the question)
            }
            EXPECT_EQ(folder.read("settings.dat"), changed);
            EXPECT_EQ(folder.read("config.dat"), options);
        }
    }
}

TEST_F(ProtectedAccountFileTest, HeadersThatCannotBeReadAreReportedAndKept)
{
    const std::string file = golden("protected-settings.dat");
    auto withHeader = [&](KdfSettings kdf, unsigned char version) {
        std::string b = FormatProtectedHeader({kdf, goldenHeader().salt}) + file.substr(kProtectedHeaderLength);
        b[11] = static_cast<char>(version);
        return b;
    };
    const std::string cases[] = {
        withHeader({4u * 1024 * 1024, 3, 1}, 1),                                             // 4 GiB
        withHeader({kMinKdfMemoryKiB, 1000, 1}, 1), withHeader({kMinKdfMemoryKiB, 1, 1}, 2), // a later version
        file.substr(0, 20),                                                                  // truncated
    };
    for (const std::string& bytes : cases) {
        writeOuterWithStamp(bytes);
        platform.messages.clear();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(loadAtStart(), "EndProgram");
        std::printf("refused in %.3f ms\n",
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        auto reported = [&](const char* name) {
            ASSERT_EQ(platform.messages.size(), 1u);
            EXPECT_EQ(platform.messages[0].text,
                      "Coffernote cannot read its data files:\r\n" + folder.file(name) +
                          " is encrypted in a way this version of Coffernote cannot open, or its header is "
                          "damaged\r\nNothing was changed or deleted.  The program will now close.");
            platform.messages.clear();
        };
        reported("settings.dat");
        EXPECT_EQ(folder.read("settings.dat"), bytes);
        EXPECT_TRUE(state.lockedAccountFile.empty());

        // The stamp names it as "settings2.dat", left by a save interrupted between its renames: still
        // reported, and neither file is removed or replaced.
        folder.write("settings2.dat", bytes);
        folder.write("settings.dat", file);
        EXPECT_EQ(loadAtStart(), "EndProgram");
        reported("settings2.dat");
        EXPECT_EQ(folder.read("settings.dat"), file);
        std::filesystem::remove(folder.file("settings.dat"));
        EXPECT_EQ(loadAtStart(), "EndProgram");
        reported("settings2.dat");
        EXPECT_EQ(folder.read("settings2.dat"), bytes);
        std::filesystem::remove(folder.file("settings2.dat"));
    }
}

// Without a stamp, only the user's own file that nobody else can write waits for the login; any other asks the
// recovery question, as a default file does.
TEST_F(ProtectedAccountFileTest, AnUnstampedProtectedFileOthersCanWriteIsNotAdopted)
{
    const std::string file = golden("protected-settings.dat");
    folder.write("settings.dat", file);
    std::filesystem::permissions(folder.file("settings.dat"), std::filesystem::perms::group_write,
                                 std::filesystem::perm_options::add);
    platform.queueAnswer(Answer::No);
    EXPECT_EQ(loadAtStart(), "EndProgram");
    platform.checkNothingLeft();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].style, MsgQuestion);
    EXPECT_EQ(folder.read("settings.dat"), file);
    EXPECT_TRUE(state.lockedAccountFile.empty());
}

TEST_F(ProtectedAccountFileTest, WeakerSettingsAreDerivedAnewAtTheNextSave)
{
    state.protection = keyFor("golden", "correct horse", "2468");
    state.kdfDefaults = {kMinKdfMemoryKiB * 2, 2, 1};
    saveSample(goldenTable());
    const std::optional<ProtectedHeader> h = ReadProtectedHeader(folder.read("settings.dat"));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->kdf, state.kdfDefaults);
    EXPECT_NE(h->salt, goldenHeader().salt);
    EXPECT_EQ(state.protection->header, *h);

    // The next start opens it with the same login, under the new settings.
    state.protection.reset();
    ASSERT_EQ(loadAtStart(), "Protected");
    AccountTable table;
    EXPECT_EQ(UnlockAccountFile(state, ProtectionFor(*h, "golden", "correct horse", "2468"), table).value,
              UnlockKind::Opened);
    EXPECT_EQ(table, goldenTable());
}

// The stronger key replaces the old one only once a save put a file sealed under it in place: after a failed save
// the old key stays, and the file on disk still opens with it.
TEST_F(ProtectedAccountFileTest, AFailedSaveKeepsTheOldKeyTheFileIsSealedUnder)
{
    state.protection = keyFor("golden", "correct horse", "2468");
    saveSample(goldenTable());
    const std::string old = folder.read("settings.dat");
    state.kdfDefaults = {kMinKdfMemoryKiB * 2, 2, 1};
    SetFileFaultHookForTests([](FileFault f, const std::string&) { return f == FileFault::Rename; });
    EXPECT_FALSE(SaveAccountFile(state, goldenTable()).isOk());
    EXPECT_EQ(folder.read("settings.dat"), old);
    EXPECT_EQ(state.protection->header, goldenHeader());

    SetFileFaultHookForTests({});
    saveSample(goldenTable());
    const std::optional<ProtectedHeader> h = ReadProtectedHeader(folder.read("settings.dat"));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->kdf, state.kdfDefaults);
    EXPECT_EQ(state.protection->header, *h);
}

TEST_F(ProtectedAccountFileTest, ASaveInterruptedBetweenItsRenamesIsFinishedAndWaitsForTheLogin)
{
    state.protection = keyFor("golden", "correct horse", "2468");
    saveSample(goldenTable());
    const std::string written = folder.read("settings.dat");
    // Killed after the options' rename: the stamp names "settings2.dat", the old account file is gone.
    folder.write("settings2.dat", written);
    std::filesystem::remove(folder.file("settings.dat"));
    state.protection.reset();
    ASSERT_EQ(loadAtStart(), "Protected");
    EXPECT_EQ(folder.read("settings.dat"), written);
    EXPECT_FALSE(folder.exists("settings2.dat"));
    AccountTable table;
    EXPECT_EQ(UnlockAccountFile(state, keyFor("golden", "correct horse", "2468"), table).value, UnlockKind::Opened);
    EXPECT_TRUE(platform.messages.empty());
}
