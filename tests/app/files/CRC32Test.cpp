#include "TempFolder.h"

#include "app/files/BinaryFileStream.h"
#include "app/files/CRC32.h"
#include "app/files/IntegrityStamp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

namespace {

// The CRC exactly as the one-table, byte-at-a-time algorithm defines it.
std::uint32_t referenceCrc(const std::string& bytes)
{
    std::uint32_t table[256];
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        table[i] = c;
    }
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        crc = (crc >> 8) ^ table[(crc ^ b) & 0xFF];
    return crc ^ 0xFFFFFFFFu;
}

std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(gen());
    return s;
}

std::uint32_t crcOf(const std::string& s)
{
    return cCRC32().GetByteArrayCrc32(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

} // namespace

TEST(CRC32Test, CheckValueAndEmptyInput)
{
    EXPECT_EQ(crcOf("123456789"), 0xCBF43926u);
    EXPECT_EQ(crcOf(""), 0u);
    EXPECT_EQ(crcOf("a"), 0xE8B7BE43u);
}

TEST(CRC32Test, MatchesTheByteAtATimeDefinitionForEveryLength)
{
    for (std::size_t size : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 100u, 8191u, 8192u, 8193u, 24581u}) {
        SCOPED_TRACE(size);
        const std::string bytes = randomBytes(size, static_cast<unsigned>(size));
        EXPECT_EQ(crcOf(bytes), referenceCrc(bytes));
    }
}

TEST(CRC32Test, MatchesTheDefinitionAtEveryLengthAndAlignmentOfTheFastPath)
{
    const std::string bytes = randomBytes(600, 99);
    for (std::size_t offset = 0; offset < 16; ++offset) {
        for (std::size_t size = 0; size + offset <= 600; size += (size < 260 ? 1 : 37)) {
            const std::string part = bytes.substr(offset, size);
            ASSERT_EQ(crcOf(part), referenceCrc(part)) << "offset " << offset << " size " << size;
        }
    }
}

TEST(CRC32Test, FileCrcEqualsArrayCrcAcrossChunkBoundaries)
{
    TempFolder folder;
    for (std::size_t size : {0u, 1u, 8191u, 8192u, 8193u, 16384u, 3u * 8192u + 5u}) {
        SCOPED_TRACE(size);
        const std::string bytes = randomBytes(size, static_cast<unsigned>(size) + 1);
        folder.write("f.bin", bytes);
        cBinaryFileStream stream;
        stream.File(folder.file("f.bin"));
        EXPECT_EQ(stream.Length(), static_cast<std::int32_t>(size));
        EXPECT_EQ(cCRC32().GetFileCrc32(stream), referenceCrc(bytes));
        EXPECT_FALSE(stream.isOpen()); // the end of the file closed it
    }
}

TEST(BinaryFileStreamTest, ExactMultipleOfTheChunkDeliversItThenZeroAndCloses)
{
    TempFolder folder;
    folder.write("f.bin", randomBytes(2 * 8192, 3));
    cBinaryFileStream stream;
    stream.File(folder.file("f.bin"));
    EXPECT_EQ(stream.File(), folder.file("f.bin"));
    unsigned char buffer[8192];
    EXPECT_EQ(stream.Read(buffer, 8192), 8192);
    EXPECT_EQ(stream.Read(buffer, 8192), 8192);
    EXPECT_TRUE(stream.isOpen());
    EXPECT_EQ(stream.Read(buffer, 8192), 0);
    EXPECT_FALSE(stream.isOpen());
    EXPECT_EQ(stream.Read(buffer, 8192), 0);
}

TEST(BinaryFileStreamTest, ShortLastChunkLeavesTheRestOfTheBufferAsItWas)
{
    TempFolder folder;
    const std::string bytes = randomBytes(8193, 4);
    folder.write("f.bin", bytes);
    cBinaryFileStream stream;
    stream.File(folder.file("f.bin"));
    unsigned char buffer[8192];
    ASSERT_EQ(stream.Read(buffer, 8192), 8192);
    ASSERT_EQ(std::memcmp(buffer, bytes.data(), 8192), 0);
    ASSERT_EQ(stream.Read(buffer, 8192), 1);
    EXPECT_EQ(buffer[0], static_cast<unsigned char>(bytes[8192]));
    EXPECT_EQ(std::memcmp(buffer + 1, bytes.data() + 1, 8191), 0);
    EXPECT_EQ(stream.Read(buffer, 8192), 0);
    EXPECT_FALSE(stream.isOpen());
}

TEST(BinaryFileStreamTest, EmptyFileGivesZeroAtOnce)
{
    TempFolder folder;
    folder.write("f.bin", "");
    cBinaryFileStream stream;
    stream.File(folder.file("f.bin"));
    unsigned char buffer[16] = {};
    EXPECT_EQ(stream.Read(buffer, 16), 0);
    EXPECT_FALSE(stream.isOpen());
}

TEST(BinaryFileStreamTest, MissingFileOrFolderIsError53)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.file("dir.dat"));
    for (const char* name : {"missing.dat", "dir.dat"}) {
        SCOPED_TRACE(name);
        cBinaryFileStream stream;
        try {
            stream.File(folder.file(name));
            ADD_FAILURE() << "no error raised";
        } catch (const FileStreamError& e) {
            EXPECT_EQ(e.number(), 53);
            EXPECT_NE(std::string(e.what()).find("coffernote.File"), std::string::npos);
        }
        EXPECT_FALSE(stream.isOpen());
    }
}

TEST(StampTextTest, UpperCaseHexWithoutLeadingZeros)
{
    struct Case
    {
        std::uint32_t crc;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {0xF, "F"},
        {0xA0, "A0"},
        {0xABCD, "ABCD"},
        {0x00012345, "12345"},
        {0xCBF43926, "CBF43926"},
        {0x80000000, "80000000"},
        {0xFFFFFFFF, "FFFFFFFF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StampText(c.crc), c.text);
}
