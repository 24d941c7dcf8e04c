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
        login.LoginUserName = "golden";
        login.LoginPassword1 = "correct horse";
        login.LoginPassword2 = "2468";
        login.kdfDefaults = goldenHeader().kdf;
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
        return outcome(LoadAccountFile(state, login, options, table, locked));
    }
};

TEST_F(ProtectedAccountFileTest, GoldenDefaultFileIsWrittenByteForByte)
{
    saveSample(goldenTable());
    EXPECT_EQ(folder.read("settings.dat"), golden("default-settings.dat"));
}

// A file of version 01 opens as before and is written as version 02 at its next save, under the same key and salt.
TEST_F(ProtectedAccountFileTest, GoldenProtectedFilesOpenWithTheirLoginAndAreWrittenAsVersion02)
{
    for (const char* name : {"protected-settings.dat", "protected-settings-02.dat"}) {
        SCOPED_TRACE(name);
        login.protection.reset();
        writeOuterWithStamp(golden(name));
        ASSERT_EQ(loadAtStart(), "Protected");
        EXPECT_EQ(locked.bytes, golden(name));

        AccountTable table;
        const Outcome<UnlockKind> opened =
            UnlockAccountFile(state, login, locked, keyFor("golden", "correct horse", "2468"), table);
        ASSERT_EQ(outcome(opened.result), "Ok");
        ASSERT_EQ(opened.value, UnlockKind::Opened);
        EXPECT_EQ(table, goldenTable());
        ASSERT_TRUE(login.protection);
        EXPECT_TRUE(locked.bytes.empty());

        saveSample(table);
        EXPECT_EQ(folder.read("settings.dat"), golden("protected-settings-02.dat"));
        EXPECT_TRUE(platform.messages.empty());
    }
}

// Every bit of a file changed in turn under a stamp made to match it, as a start with the right login reads it:
// a version 02 file is never taken for a wrong login; a version 01 file has no key check and still is.
TEST_F(ProtectedAccountFileTest, AChangedBitIsToldAsDamageNeverAsAWrongLogin)
{
    auto readAs = [&](const std::string& bytes) -> std::string {
        writeOuterWithStamp(bytes);
        platform.messages.clear();
        platform.queueAnswer(Answer::No); // the recovery question, when it comes
        const std::string load = loadAtStart();
        std::string reading = load == "EndProgram" ? "refused" : "?";
        if (load == "Protected") {
            AccountTable table;
            const Outcome<UnlockKind> u =
                UnlockAccountFile(state, login, locked, keyFor("golden", "correct horse", "2468"), table);
            reading = u.value == UnlockKind::WrongLogin ? "wrong login"
                      : u.value == UnlockKind::Opened   ? "opened"
                                                        : "?";
            locked.bytes.clear();
            login.protection.reset();
        }
        if (platform.answers.empty())
            reading = "damage";
        platform.answers.clear();
        return reading;
    };
    constexpr std::size_t kEnd = ~std::size_t{0};
    const struct
    {
        const char* file;
        std::size_t from, to; // the bytes, to the end at most
        const char* reading;
    } cases[] = {
        {"protected-settings-02.dat", 0, 10, "damage"},      // no magic: a default file that does not decode
        {"protected-settings-02.dat", 11, 25, "refused"},    // version, algorithms, settings
        {"protected-settings-02.dat", 26, 41, "refused"},    // the salt
        {"protected-settings-02.dat", 42, 57, "refused"},    // the key check
        {"protected-settings-02.dat", 58, 61, "refused"},    // the header digest
        {"protected-settings-02.dat", 62, 77, "damage"},     // the SIV
        {"protected-settings-02.dat", 78, kEnd, "damage"},   // the cipher text
        {"protected-settings.dat", 0, 10, "damage"},         // no magic
        {"protected-settings.dat", 26, 41, "wrong login"},   // the salt
        {"protected-settings.dat", 42, kEnd, "wrong login"}, // the SIV and the cipher text
    };
    for (const auto& c : cases) {
        const std::string file = golden(c.file);
        ASSERT_EQ(readAs(file), "opened");
        const std::size_t to = std::min(c.to, file.size() - 1);
        // Each byte near the ends of the range, and some between, with one bit of it each in turn.
        for (std::size_t at = c.from; at <= to;
             at = at < c.from + 3 || at + 4 > to ? at + 1 : std::min(at + 53, to - 3)) {
            std::string changed = file;
            changed[at] = static_cast<char>(changed[at] ^ (1 << (at % 8)));
            ASSERT_EQ(readAs(changed), c.reading) << c.file << " byte " << at;
            EXPECT_EQ(folder.read("settings.dat"), changed); // nothing written or moved
        }
    }
}

TEST_F(ProtectedAccountFileTest, HeadersThatCannotBeReadAreReportedAndKept)
{
    const std::string file = golden("protected-settings.dat");
    auto withHeader = [&](KdfSettings kdf, unsigned char version) {
        std::string b = file;
        b[11] = static_cast<char>(version);
        for (int i = 0; i < 4; ++i) {
            b[14 + i] = static_cast<char>(kdf.memoryKiB >> (8 * i));
            b[18 + i] = static_cast<char>(kdf.passes >> (8 * i));
        }
        return b;
    };
    const std::string cases[] = {
        withHeader({4u * 1024 * 1024, 3, 1}, 1), // 4 GiB
        withHeader({kMinKdfMemoryKiB, 1000, 1}, 1),
        withHeader({kMinKdfMemoryKiB, 1, 1}, 3), // a later version
        withHeader({kMinKdfMemoryKiB, 1, 1}, 2), // no digest
        file.substr(0, 20),                      // truncated
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
        EXPECT_TRUE(locked.bytes.empty());

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
    EXPECT_TRUE(locked.bytes.empty());
}

TEST_F(ProtectedAccountFileTest, WeakerSettingsAreDerivedAnewAtTheNextSave)
{
    login.protection = keyFor("golden", "correct horse", "2468");
    login.kdfDefaults = {kMinKdfMemoryKiB * 2, 2, 1};
    saveSample(goldenTable());
    const std::optional<ProtectedHeader> h = ReadProtectedHeader(folder.read("settings.dat"));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->kdf, login.kdfDefaults);
    EXPECT_NE(h->salt, goldenHeader().salt);
    EXPECT_EQ(login.protection->header, *h);

    // The next start opens it with the same login, under the new settings.
    login.protection.reset();
    ASSERT_EQ(loadAtStart(), "Protected");
    AccountTable table;
    EXPECT_EQ(
        UnlockAccountFile(state, login, locked, ProtectionFor(*h, "golden", "correct horse", "2468"), table).value,
        UnlockKind::Opened);
    EXPECT_EQ(table, goldenTable());
}

// The stronger key replaces the old one only once a save put a file sealed under it in place: after a failed save
// the old key stays, and the file on disk still opens with it.
TEST_F(ProtectedAccountFileTest, AFailedSaveKeepsTheOldKeyTheFileIsSealedUnder)
{
    login.protection = keyFor("golden", "correct horse", "2468");
    saveSample(goldenTable());
    const std::string old = folder.read("settings.dat");
    login.kdfDefaults = {kMinKdfMemoryKiB * 2, 2, 1};
    SetFileFaultHookForTests([](FileFault f, const std::string&) { return f == FileFault::Rename; });
    EXPECT_FALSE(SaveAccountFile(state, login, goldenTable()).isOk());
    EXPECT_EQ(folder.read("settings.dat"), old);
    EXPECT_EQ(login.protection->header, goldenHeader());

    SetFileFaultHookForTests({});
    saveSample(goldenTable());
    const std::optional<ProtectedHeader> h = ReadProtectedHeader(folder.read("settings.dat"));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->kdf, login.kdfDefaults);
    EXPECT_EQ(login.protection->header, *h);
}

TEST_F(ProtectedAccountFileTest, ASaveInterruptedBetweenItsRenamesIsFinishedAndWaitsForTheLogin)
{
    login.protection = keyFor("golden", "correct horse", "2468");
    saveSample(goldenTable());
    const std::string written = folder.read("settings.dat");
    // Killed after the options' rename: the stamp names "settings2.dat", the old account file is gone.
    folder.write("settings2.dat", written);
    std::filesystem::remove(folder.file("settings.dat"));
    login.protection.reset();
    ASSERT_EQ(loadAtStart(), "Protected");
    EXPECT_EQ(folder.read("settings.dat"), written);
    EXPECT_FALSE(folder.exists("settings2.dat"));
    AccountTable table;
    EXPECT_EQ(UnlockAccountFile(state, login, locked, keyFor("golden", "correct horse", "2468"), table).value,
              UnlockKind::Opened);
    EXPECT_TRUE(platform.messages.empty());
}
