#include "cipher/CipherService.h"

#include "TempFolder.h"
#include "cipher/Base64.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace {

// The arguments of one file operation, as a caller builds them right before the call.
struct FileCall
{
    std::string source;
    std::string target;
    SecretString key1 = kKey1;
    SecretString key2 = kKey2;

    FileCall(const TempFolder& folder, const std::string& from, const std::string& to)
        : source(folder.file(from)), target(folder.file(to))
    {
    }
    Result encrypt(bool overwrite = true, bool base64 = true, int suite = 1)
    {
        return EncryptFile(suite, source, target, overwrite, base64, key1, key2);
    }
    Result decrypt(bool overwrite = true, bool base64 = true, int suite = 1)
    {
        return DecryptFile(suite, source, target, overwrite, base64, key1, key2);
    }
    bool untouched(const TempFolder& folder, const std::string& from, const std::string& to) const
    {
        return source == folder.file(from) && target == folder.file(to) && key1 == kKey1 && key2 == kKey2;
    }
    bool emptied() const { return source.empty() && target.empty() && key1.empty() && key2.empty(); }
};

std::size_t fileCount(const TempFolder& folder)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.str()))
        ++n;
    return n;
}

std::string sampleBytes(std::size_t size)
{
    std::mt19937 random(static_cast<unsigned>(size));
    std::string s(size, '\0');
    for (auto& c : s)
        c = static_cast<char>(random());
    return s;
}

bool onlyBase64Lines(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n')
                return false;
            ++i;
            continue;
        }
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '='))
            return false;
    }
    return true;
}

} // namespace

TEST(CipherFileTest, FileIsPresentWhenItsLengthCanBeRead)
{
    TempFolder folder;
    folder.write("empty.dat", "");
    folder.write("some.dat", "x");
    std::filesystem::create_directory(folder.file("sub"));
    EXPECT_TRUE(FileIsPresent(folder.file("empty.dat")));
    EXPECT_TRUE(FileIsPresent(folder.file("some.dat")));
    EXPECT_FALSE(FileIsPresent(folder.file("missing.dat")));
    EXPECT_FALSE(FileIsPresent(folder.file("sub")));
    EXPECT_FALSE(FileIsPresent(""));
    EXPECT_FALSE(FileIsPresent(folder.file("missing/x.dat")));
}

TEST(CipherFileTest, Base64FileRoundTripsExactly)
{
    for (std::size_t size : {1u, 56u, 57u, 58u, 1000u, 70000u}) {
        SCOPED_TRACE(size);
        TempFolder folder;
        const std::string plain = sampleBytes(size);
        folder.write("plain.txt", plain);

        FileCall enc(folder, "plain.txt", "settings.dat");
        ASSERT_TRUE(enc.encrypt().isOk());
        EXPECT_TRUE(enc.emptied());
        const std::string stored = folder.read("settings.dat");
        EXPECT_TRUE(onlyBase64Lines(stored));
        Bytes expected;
        {
            SecretString key1 = kKey1, key2 = kKey2;
            Bytes data(plain.begin(), plain.end());
            expected = EncryptBytes(1, data, key1, key2).value;
        }
        EXPECT_EQ(stored, Base64Encode(expected));
        EXPECT_EQ(folder.read("plain.txt"), plain);

        FileCall dec(folder, "settings.dat", "settings2.dat");
        ASSERT_TRUE(dec.decrypt().isOk());
        EXPECT_TRUE(dec.emptied());
        EXPECT_EQ(folder.read("settings2.dat"), plain);
        EXPECT_EQ(fileCount(folder), 3u) << "no temporary file is left behind";
    }
}

TEST(CipherFileTest, RawFileRoundTrips)
{
    TempFolder folder;
    const std::string plain = sampleBytes(333);
    folder.write("a", plain);
    FileCall enc(folder, "a", "b");
    ASSERT_TRUE(enc.encrypt(true, false).isOk());
    EXPECT_EQ(folder.read("b").size(), plain.size() + 17);
    FileCall dec(folder, "b", "c");
    ASSERT_TRUE(dec.decrypt(true, false).isOk());
    EXPECT_EQ(folder.read("c"), plain);
}

TEST(CipherFileTest, EncryptFileChecksComeFirstAndTouchNothing)
{
    TempFolder folder;
    folder.write("plain.txt", "data");
    folder.write("settings.dat", "old target");

    FileCall missing(folder, "nothing.txt", "new.dat");
    EXPECT_FALSE(missing.encrypt().isOk());
    EXPECT_TRUE(missing.untouched(folder, "nothing.txt", "new.dat"));
    EXPECT_FALSE(folder.exists("new.dat"));

    FileCall noOverwrite(folder, "plain.txt", "settings.dat");
    EXPECT_FALSE(noOverwrite.encrypt(false).isOk());
    EXPECT_TRUE(noOverwrite.untouched(folder, "plain.txt", "settings.dat"));
    EXPECT_EQ(folder.read("settings.dat"), "old target");

    FileCall overwrite(folder, "plain.txt", "settings.dat");
    EXPECT_TRUE(overwrite.encrypt(true).isOk());
    EXPECT_NE(folder.read("settings.dat"), "old target");
    EXPECT_EQ(fileCount(folder), 2u);
}

TEST(CipherFileTest, EmptySourceFailsBeforeTheTargetIsTouched)
{
    TempFolder folder;
    folder.write("empty.txt", "");
    folder.write("settings.dat", "old target");
    FileCall enc(folder, "empty.txt", "settings.dat");
    EXPECT_FALSE(enc.encrypt().isOk());
    EXPECT_TRUE(enc.emptied());
    EXPECT_EQ(folder.read("settings.dat"), "old target");

    FileCall dec(folder, "empty.txt", "plain.txt");
    EXPECT_FALSE(dec.decrypt().isOk());
    EXPECT_TRUE(dec.emptied());
    EXPECT_FALSE(folder.exists("plain.txt"));
}

// A failing encryption must not cost the existing target: the cipher bytes are made before it is replaced.
TEST(CipherFileTest, FailedEncryptionKeepsTheExistingTarget)
{
    TempFolder folder;
    folder.write("plain.txt", "new data");
    folder.write("settings.dat", "old target");

    FileCall unsupported(folder, "plain.txt", "settings.dat");
    // The component's failure comes back as its description, for the caller to show.
    const Result unsupportedResult = unsupported.encrypt(true, true, 0); // suite 0: an algorithm the component lacks
    EXPECT_TRUE(unsupportedResult.isFailed());
    EXPECT_EQ(unsupportedResult.message(), "The cipher algorithm is not supported.");
    EXPECT_TRUE(unsupported.emptied());
    EXPECT_EQ(folder.read("settings.dat"), "old target");

    FileCall noSuite(folder, "plain.txt", "settings.dat");
    const Result noSuiteResult = noSuite.encrypt(true, true, 14);
    EXPECT_TRUE(noSuiteResult.isFailed());
    EXPECT_EQ(noSuiteResult.message(), "") << "no component call, nothing to say";
    EXPECT_EQ(folder.read("settings.dat"), "old target");
    EXPECT_EQ(fileCount(folder), 2u);
}

TEST(CipherFileTest, UnwritableTargetFailsAndLeavesNoTemporaryFile)
{
    TempFolder folder;
    folder.write("plain.txt", "data");
    std::filesystem::create_directory(folder.file("settings.dat"));

    FileCall onDirectory(folder, "plain.txt", "settings.dat");
    EXPECT_FALSE(onDirectory.encrypt().isOk());
    EXPECT_TRUE(onDirectory.emptied());
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("settings.dat")));
    EXPECT_EQ(fileCount(folder), 2u);

    FileCall noFolder(folder, "plain.txt", "missing/settings.dat");
    EXPECT_FALSE(noFolder.encrypt().isOk());
    EXPECT_EQ(fileCount(folder), 2u);
    EXPECT_EQ(folder.read("plain.txt"), "data");
}

TEST(CipherFileTest, DecryptFileNeverWritesOverAnExistingTarget)
{
    TempFolder folder;
    folder.write("plain.txt", "data");
    FileCall enc(folder, "plain.txt", "settings.dat");
    ASSERT_TRUE(enc.encrypt().isOk());
    const std::string stored = folder.read("settings.dat");

    for (bool overwrite : {true, false}) {
        FileCall dec(folder, "settings.dat", "plain.txt");
        EXPECT_FALSE(dec.decrypt(overwrite).isOk());
        EXPECT_TRUE(dec.untouched(folder, "settings.dat", "plain.txt"));
        EXPECT_EQ(folder.read("plain.txt"), "data");
        EXPECT_EQ(folder.read("settings.dat"), stored);
    }

    FileCall missing(folder, "nothing.dat", "out.txt");
    EXPECT_FALSE(missing.decrypt().isOk());
    EXPECT_TRUE(missing.untouched(folder, "nothing.dat", "out.txt"));
    EXPECT_FALSE(folder.exists("out.txt"));
}

TEST(CipherFileTest, DamagedSourceFailsWithoutATarget)
{
    TempFolder folder;
    folder.write("plain.txt", "account data");
    FileCall enc(folder, "plain.txt", "settings.dat");
    ASSERT_TRUE(enc.encrypt().isOk());
    std::string stored = folder.read("settings.dat");
    stored[5] = stored[5] == 'A' ? 'B' : 'A';
    folder.write("damaged.dat", stored);
    folder.write("padding.dat", "==\r\n==\r\n");
    folder.write("foreign.dat", Base64Encode(Bytes(64, 0x42)));

    for (const char* name : {"damaged.dat", "foreign.dat"}) {
        SCOPED_TRACE(name);
        FileCall dec(folder, name, "out.txt");
        EXPECT_EQ(dec.decrypt().message(),
                  "The data cannot be decrypted: it is damaged or was not encrypted with these keys.");
        EXPECT_TRUE(dec.emptied());
        EXPECT_FALSE(folder.exists("out.txt"));
    }

    FileCall padding(folder, "padding.dat", "out.txt");
    EXPECT_EQ(padding.decrypt().message(), "the source is not Base64") << "bad Base64 is no component failure";
    EXPECT_TRUE(padding.emptied());
    EXPECT_FALSE(folder.exists("out.txt"));
}

TEST(CipherFileTest, Base64FileDecodesDespiteExtraLineBreaks)
{
    TempFolder folder;
    folder.write("plain.txt", sampleBytes(200));
    FileCall enc(folder, "plain.txt", "settings.dat");
    ASSERT_TRUE(enc.encrypt().isOk());
    std::string stored = folder.read("settings.dat");
    stored.insert(10, "\r\n");
    stored += "\r\n\r\n";
    folder.write("edited.dat", stored);
    FileCall dec(folder, "edited.dat", "out.txt");
    ASSERT_TRUE(dec.decrypt().isOk());
    EXPECT_EQ(folder.read("out.txt"), sampleBytes(200));
}
