#include "CoreFixture.h"

#include "app/files/CRC32.h"
#include "app/files/IntegrityStamp.h"

#include <cctype>

class IntegrityStampTest : public CoreFixture
{
protected:
    void storeStamp(const std::string& value)
    {
        OptionsRecord r = OptionsRecord::defaults();
        r.set(OptionsRecord::IntegrityStamp, value);
        ASSERT_TRUE(WriteOptionsFile(folder.str(), r).isOk());
    }

    static std::string stampOutcome(const Outcome<bool>& checked)
    {
        if (!checked.result.isOk())
            return "Failed";
        return checked.value ? "Match" : "Mismatch";
    }
};

TEST_F(IntegrityStampTest, StampIsTheEncryptedHexOfTheFileCrc)
{
    folder.write("settings.dat", "123456789");
    const Outcome<std::uint32_t> crc = ComputeIntegrityStamp(folder.str());
    EXPECT_TRUE(crc.result.isOk());
    EXPECT_EQ(crc.value, 0xCBF43926u);
    ASSERT_TRUE(ComputeStamp(state).isOk());
    EXPECT_EQ(state.AccountFileCrc, 0xCBF43926u);
    EXPECT_EQ(state.ComputedStamp, EncryptField("CBF43926").value);
    EXPECT_FALSE(state.ComputedStamp.empty());

    // The same input gives the same stamp, from one object or run to the next.
    AppState again(folder.str(), platform);
    ASSERT_TRUE(ComputeStamp(again).isOk());
    EXPECT_EQ(again.ComputedStamp, state.ComputedStamp);

    // In memory and on disk alike.
    AppState inMemory(folder.str(), platform);
    ASSERT_TRUE(ComputeStampOf(inMemory, "123456789").isOk());
    EXPECT_EQ(inMemory.ComputedStamp, state.ComputedStamp);
}

TEST_F(IntegrityStampTest, EmptyFileHasStampOfZero)
{
    folder.write("settings.dat", "");
    ASSERT_TRUE(ComputeStamp(state).isOk());
    EXPECT_EQ(state.AccountFileCrc, 0u);
    EXPECT_EQ(state.ComputedStamp, EncryptField("0").value);
}

TEST_F(IntegrityStampTest, MissingAccountFileRaisesError53)
{
    const Outcome<std::uint32_t> crc = ComputeIntegrityStamp(folder.str());
    EXPECT_TRUE(crc.result.isFailed());
    EXPECT_NE(crc.result.message().find("(error 53)"), std::string::npos) << crc.result.message();
    EXPECT_FALSE(ComputeStamp(state).isOk());
}

TEST_F(IntegrityStampTest, CheckComparesExactly)
{
    folder.write("settings.dat", "account bytes");
    ASSERT_TRUE(ComputeStamp(state).isOk());
    const std::string good = state.ComputedStamp;

    struct Case
    {
        std::optional<std::string> stored; // nothing: no options file
        const char* expected;
    };
    std::string lower = good;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const Case cases[] = {
        {good, "Match"}, {"", "Mismatch"}, {good + " ", "Mismatch"}, {lower, "Mismatch"}, {std::nullopt, "Mismatch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(no options file)"));
        std::filesystem::remove(folder.file("config.dat"));
        if (c.stored)
            storeStamp(*c.stored);
        OptionsRecord options;
        EXPECT_EQ(stampOutcome(CheckStamp(state, options)), c.expected);
        if (c.stored) {
            EXPECT_EQ(options.get(OptionsRecord::IntegrityStamp), *c.stored);
        }
    }
}

TEST_F(IntegrityStampTest, OneChangedByteIsAMismatch)
{
    std::string bytes(20000, 'Q');
    folder.write("settings.dat", bytes);
    ASSERT_TRUE(ComputeStamp(state).isOk());
    storeStamp(state.ComputedStamp);
    bytes[12345] = 'R';
    folder.write("settings.dat", bytes);
    OptionsRecord options;
    EXPECT_EQ(stampOutcome(CheckStamp(state, options)), "Mismatch");
}

TEST_F(IntegrityStampTest, UnreadableFilesAreNotAMismatch)
{
    // The account file, then the options file holding the stamp, cannot be read.
    for (const char* blocked : {"settings.dat", "config.dat"}) {
        SCOPED_TRACE(blocked);
        TempFolder other;
        AppState s(other.str(), platform);
        other.write("settings.dat", "account bytes");
        other.write("config.dat", kDefaultOptionsLine);
        std::filesystem::remove(other.file(blocked));
        std::filesystem::create_directories(other.file(blocked) + "/inside");
        OptionsRecord options;
        const Outcome<bool> checked = CheckStamp(s, options);
        EXPECT_EQ(stampOutcome(checked), "Failed");
        EXPECT_NE(checked.result.message().find(other.file(blocked)), std::string::npos) << checked.result.message();
    }
}
