#include "app/model/PasswordGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <set>
#include <string>

namespace {

// A random source that hands out the scripted bytes, then fails.
struct ScriptedSource
{
    std::deque<unsigned char> bytes;
    int calls = 0;
    bool operator()(unsigned char* buffer, std::size_t length)
    {
        ++calls;
        for (std::size_t i = 0; i < length; ++i) {
            if (bytes.empty())
                return false;
            buffer[i] = bytes.front();
            bytes.pop_front();
        }
        return true;
    }
};

int classOf(char c)
{
    if (c >= 'A' && c <= 'Z')
        return 0;
    if (c >= 'a' && c <= 'z')
        return 1;
    if (c >= '0' && c <= '9')
        return 2;
    return -1;
}

} // namespace

TEST(PasswordGenerator, ManyPasswordsKeepEveryRuleAndSpreadEvenly)
{
    constexpr int kCount = 6000;
    std::array<std::array<int, 3>, PasswordGenerator::kLength> classCount{};
    std::array<int, 26> firstLetter{};
    std::array<int, 10> digits{};
    std::set<std::string> seen;
    for (int n = 0; n < kCount; ++n) {
        SecretString password;
        ASSERT_TRUE(PasswordGenerator::generate(password).isOk());
        ASSERT_EQ(password.size(), 10u) << password.str();
        ASSERT_GE(password[0], 'A') << password.str();
        ASSERT_LE(password[0], 'Z') << password.str();
        ++firstLetter[password[0] - 'A'];
        for (int i = 0; i < PasswordGenerator::kLength; ++i) {
            const int cls = classOf(password[i]);
            ASSERT_GE(cls, 0) << "character outside the alphabet in " << password.str();
            ++classCount[i][cls];
            if (cls == 2)
                ++digits[password[i] - '0'];
        }
        seen.insert(password.str());
    }
    // No repeats: a clock-seeded generator would repeat within a second.
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kCount));

    // Each later position takes each class about a third of the time (2000 expected, spread about 37).
    for (int i = 1; i < PasswordGenerator::kLength; ++i)
        for (int cls = 0; cls < 3; ++cls) {
            EXPECT_GT(classCount[i][cls], 1600) << "position " << i + 1 << " class " << cls + 1;
            EXPECT_LT(classCount[i][cls], 2400) << "position " << i + 1 << " class " << cls + 1;
        }
    // Within a class every character is as likely as another (about 231 per letter, 1800 per digit).
    for (int count : firstLetter) {
        EXPECT_GT(count, 140);
        EXPECT_LT(count, 330);
    }
    for (int count : digits) {
        EXPECT_GT(count, 1500);
        EXPECT_LT(count, 2100);
    }
}

TEST(PasswordGenerator, OneDrawForTheFirstCharacterAndTwoForEveryOther)
{
    ScriptedSource source;
    // First character: offset 2 -> 'C'. Then (class, offset) pairs: class = byte % 3.
    source.bytes = {2, 0, 25, 1, 0, 2, 9, 3, 1, 4, 25, 5, 9, 6, 0, 7, 5, 8, 3};
    SecretString password;
    ASSERT_TRUE(PasswordGenerator::generate(password, std::ref(source)).isOk());
    EXPECT_EQ(password, "CZa9Bz9Af3");
    EXPECT_TRUE(source.bytes.empty());
    EXPECT_EQ(source.calls, 19);
}

TEST(PasswordGenerator, BytesThatWouldFavourSomeValuesAreDrawnAgain)
{
    struct Case
    {
        int n;
        std::deque<unsigned char> bytes;
        int expected;
    };
    const Case cases[] = {
        {26, {234, 255, 27}, 1},  // 234 and above would give 0..21 one time too often
        {26, {233}, 233 % 26},    // the last byte still taken
        {10, {250, 255, 249}, 9}, // 250 and above are refused for digits
        {3, {255, 254}, 254 % 3}, // 255 is refused for three classes, 254 is not
        {1, {200}, 0},
    };
    for (const Case& c : cases) {
        ScriptedSource source;
        source.bytes = c.bytes;
        int value = -1;
        ASSERT_TRUE(PasswordGenerator::uniform(c.n, value, std::ref(source)).isOk()) << "n=" << c.n;
        EXPECT_EQ(value, c.expected) << "n=" << c.n;
        EXPECT_TRUE(source.bytes.empty()) << "n=" << c.n;
    }
}

TEST(PasswordGenerator, AFailingRandomSourceGivesNoPassword)
{
    ScriptedSource source;
    source.bytes = {1, 2, 3}; // runs dry after the second character
    SecretString password = "old";
    const Result made = PasswordGenerator::generate(password, std::ref(source));
    EXPECT_EQ(made.message(), "No random password could be made: the system's random source failed.  ");
    EXPECT_TRUE(password.empty());

    // A source that only ever gives refused bytes is given up on, not looped on forever.
    int value = 0;
    EXPECT_FALSE(PasswordGenerator::uniform(26, value, [](unsigned char* b, std::size_t n) {
                     return std::fill(b, b + n, 255), true;
                 }).isOk());
    EXPECT_FALSE(PasswordGenerator::uniform(0, value).isOk());
    EXPECT_FALSE(PasswordGenerator::uniform(257, value).isOk());
}
