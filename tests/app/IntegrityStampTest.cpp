#include "CoreFixture.h"

#include "app/BinaryFileStream.h"
#include "app/CRC32.h"
#include "app/IntegrityStamp.h"

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
};

TEST_F(IntegrityStampTest, StampIsTheEncryptedHexOfTheFileCrc)
{
    folder.write("settings.dat", "123456789");
    EXPECT_EQ(ComputeIntegrityStamp(folder.str()), 0xCBF43926u);
    ASSERT_TRUE(ComputeStamp(state));
    EXPECT_EQ(state.AccountFileCrc, 0xCBF43926u);
    EXPECT_EQ(state.ComputedStamp, EncryptField("CBF43926"));
    EXPECT_FALSE(state.ComputedStamp.empty());

    // The same input gives the same stamp, from one object or run to the next.
    AppState again(folder.str(), platform);
    ASSERT_TRUE(ComputeStamp(again));
    EXPECT_EQ(again.ComputedStamp, state.ComputedStamp);

    // In memory and on disk alike.
    AppState inMemory(folder.str(), platform);
    ASSERT_TRUE(ComputeStampOf(inMemory, "123456789"));
    EXPECT_EQ(inMemory.ComputedStamp, state.ComputedStamp);
}

TEST_F(IntegrityStampTest, EmptyFileHasStampOfZero)
{
    folder.write("settings.dat", "");
    ASSERT_TRUE(ComputeStamp(state));
    EXPECT_EQ(state.AccountFileCrc, 0u);
    EXPECT_EQ(state.ComputedStamp, EncryptField("0"));
}

TEST_F(IntegrityStampTest, MissingAccountFileRaisesError53)
{
    try {
        ComputeIntegrityStamp(folder.str());
        ADD_FAILURE() << "no error";
    } catch (const FileStreamError& e) {
        EXPECT_EQ(e.number(), 53);
    }
    EXPECT_FALSE(ComputeStamp(state));
}

TEST_F(IntegrityStampTest, CheckComparesExactly)
{
    folder.write("settings.dat", "account bytes");
    ASSERT_TRUE(ComputeStamp(state));
    const std::string good = state.ComputedStamp;

    struct Case
    {
        std::optional<std::string> stored; // nothing: no options file
        StampCheck expected;
    };
    std::string lower = good;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const Case cases[] = {
        {good, StampCheck::Match},
        {"", StampCheck::Mismatch},
        {good + " ", StampCheck::Mismatch},
        {lower, StampCheck::Mismatch},
        {std::nullopt, StampCheck::Mismatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(no options file)"));
        std::filesystem::remove(folder.file("config.dat"));
        if (c.stored)
            storeStamp(*c.stored);
        OptionsRecord options;
        EXPECT_EQ(CheckStamp(state, options), c.expected);
        if (c.stored) {
            EXPECT_EQ(options.get(OptionsRecord::IntegrityStamp), *c.stored);
        }
    }
}

TEST_F(IntegrityStampTest, OneChangedByteIsAMismatch)
{
    std::string bytes(20000, 'Q');
    folder.write("settings.dat", bytes);
    ASSERT_TRUE(ComputeStamp(state));
    storeStamp(state.ComputedStamp);
    bytes[12345] = 'R';
    folder.write("settings.dat", bytes);
    OptionsRecord options;
    EXPECT_EQ(CheckStamp(state, options), StampCheck::Mismatch);
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
        std::string error;
        EXPECT_EQ(CheckStamp(s, options, &error), StampCheck::Unreadable);
        EXPECT_NE(error.find(other.file(blocked)), std::string::npos) << error;
    }
}
