#include "cipher/Base64.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

Bytes bytesOf(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes counting(std::size_t size)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<unsigned char>(i * 7 + 3);
    return b;
}

} // namespace

TEST(Base64Test, Rfc4648Vectors)
{
    struct Case
    {
        std::string plain;
        std::string encoded;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(Base64Encode(bytesOf(c.plain)), c.encoded);
        if (!c.plain.empty()) {
            EXPECT_EQ(Base64Decode(c.encoded), bytesOf(c.plain));
        }
    }
}

TEST(Base64Test, LinesOf76CharactersEndInCrLfOnlyWhenComplete)
{
    struct Case
    {
        std::size_t bytes;
        std::size_t length;
        std::size_t lineBreaks;
        bool endsWithBreak;
    };
    const Case cases[] = {
        {56, 76, 0, false},   {57, 76, 0, false},  {58, 82, 1, false},      {114, 156, 2, true},
        {115, 160, 2, false}, {171, 234, 3, true}, {1000, 1370, 17, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string text = Base64Encode(counting(c.bytes));
        ASSERT_EQ(text.size(), c.length);
        std::size_t breaks = 0;
        for (std::size_t pos = text.find("\r\n"); pos != std::string::npos; pos = text.find("\r\n", pos + 2)) {
            ++breaks;
            EXPECT_EQ((pos + 2) % 78, 0u) << "a line break after " << pos << " characters";
        }
        EXPECT_EQ(breaks, c.lineBreaks);
        EXPECT_EQ(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0, c.endsWithBreak);
        EXPECT_EQ(Base64Decode(text), counting(c.bytes));
    }
}

TEST(Base64Test, FiftyEightBytesGiveOneLineAndFourCharacters)
{
    const std::string text = Base64Encode(counting(58));
    EXPECT_EQ(text.substr(76, 2), "\r\n");
    EXPECT_EQ(text.substr(78).size(), 4u);
    EXPECT_EQ(text.substr(0, 76), Base64Encode(counting(57)).substr(0, 76));
}

TEST(Base64Test, EveryLengthAndByteValueRoundTrips)
{
    for (std::size_t size = 1; size <= 300; ++size) {
        Bytes data(size);
        for (std::size_t i = 0; i < size; ++i)
            data[i] = static_cast<unsigned char>((i * 131 + size) & 0xFF);
        const std::string text = Base64Encode(data);
        for (char c : text)
            ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=' || c == '\r' ||
                        c == '\n');
        ASSERT_EQ(Base64Decode(text), data) << size;
    }
}

TEST(Base64Test, CrLfAnywhereAndMissingPaddingChangeNothing)
{
    const std::string text = "Zm9vYmFyYg==";
    const Bytes expected = bytesOf("foobarb");
    for (std::size_t at = 0; at <= text.size(); ++at) {
        std::string broken = text;
        broken.insert(at, "\r\n");
        EXPECT_EQ(Base64Decode(broken), expected) << at;
    }
    EXPECT_EQ(Base64Decode("Zm9vYmFyYg"), expected);
    EXPECT_EQ(Base64Decode("Zm9vYmFyYg="), expected);
    EXPECT_EQ(Base64Decode("Zm=9vY=mFyYg"), expected);
    EXPECT_EQ(Base64Decode("\r\nZm9v\r\n\r\nYmFyYg\r\n==\r\n"), expected);
}

TEST(Base64Test, LenientDecoding)
{
    struct Case
    {
        const char* name;
        std::string text;
        Bytes expected;
    };
    const Case cases[] = {
        {"a single leftover character is ignored", "Zm9vY", bytesOf("foo")},
        {"two leftover values give one byte", "Zm9vYm", bytesOf("foob")},
        {"three leftover values give two bytes", "Zm9vYmE", bytesOf("fooba")},
        {"a lone line feed counts as A and shifts the groups", "Zm9v\nYmFy", Bytes{0x66, 0x6f, 0x6f, 0x01, 0x89, 0x85}},
        {"a lone carriage return counts as A", "Zm9v\rYmFy", Bytes{0x66, 0x6f, 0x6f, 0x01, 0x89, 0x85}},
        {"a line feed before the carriage return is no pair", "Zm9v\n\rYmFy", Base64Decode("Zm9vAAYmFy").value()},
        {"unknown characters count as A", "Zm9v!# \xC3", Base64Decode("Zm9vAAAA").value()},
        {"a lone character decodes to nothing", "Z", Bytes{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Bytes> decoded = Base64Decode(c.text);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, c.expected);
    }
    EXPECT_NE(Base64Decode("Zm9v\nYmFy"), bytesOf("foobar"));
}

TEST(Base64Test, TextEmptyAfterCleanUpIsAnError)
{
    for (const std::string text : {"", "=", "====", "\r\n", "==\r\n==\r\n", "\r\n\r\n="}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Base64Decode(text).has_value());
    }
}

TEST(Base64Test, NoBytesGiveNoText)
{
    EXPECT_EQ(Base64Encode(nullptr, 5), "");
    EXPECT_EQ(Base64Encode(Bytes{}), "");
}

TEST(Base64Test, Utf8AndBinaryBytesComeBack)
{
    const Bytes bytes = bytesOf(std::string("Gr\xC3\xBC\xC3\x9F"
                                            "e\0\xFF",
                                            9));
    EXPECT_EQ(Base64Decode(Base64Encode(bytes)), bytes);
}
