#include "cipher/SecretString.h"

#include "CheckingAllocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <type_traits>

namespace {

using Checked = BasicSecretString<CheckingAllocator>;

// The bytes past the text, up to and including the room for the terminating zero: the buffer is still the
// string's own, so they can be read.
bool tailIsZero(const Checked& s)
{
    return std::all_of(s.data() + s.size(), s.data() + s.capacity() + 1, [](char c) { return c == '\0'; });
}

// A secret is copied only by str() and lent only by view(): `std::string s = secret;`, `s = secret;` and a
// secret handed where a string_view is expected do not compile.
static_assert(!std::is_convertible_v<const SecretString&, std::string>, "a plain copy is made only by str()");
static_assert(!std::is_convertible_v<const SecretString&, std::string_view>, "the text is lent only by view()");
static_assert(!std::is_constructible_v<std::string, const SecretString&>);
static_assert(!std::is_assignable_v<std::string&, const SecretString&>);
static_assert(std::is_nothrow_move_constructible_v<SecretString> && std::is_nothrow_move_assignable_v<SecretString>);

} // namespace

TEST(SecretStringTest, EveryBufferGivenBackIsOverwritten)
{
    struct Case
    {
        const char* name;
        std::function<void()> run;
        int releases; // how many buffers the case gives back
    };
    // One line per case.
    // clang-format off
    const Case cases[] = {
        {"destruction", [] { Checked s = "a secret of some length"; }, 1},
        {"reassignment to a longer text", [] { Checked s = "short"; s = "a much longer secret than before"; }, 2},
        {"growth by append", [] { Checked s = "first part"; s.append(" and a second part that does not fit"); }, 2},
        {"growth by push_back", [] { Checked s; for (char c : std::string(35, '7')) s.push_back(c); }, 7},
        {"reserve", [] { Checked s = "secret"; s.reserve(100); }, 2},
        {"move assignment over a secret", [] { Checked a = "the old secret", b = "the new one"; a = std::move(b); }, 2},
        {"copy of a longer secret", [] { Checked a = "old"; const Checked b = "a longer secret"; a = b; }, 3},
        {"appending its own text", [] { Checked s = "twice"; s.append(s.view()); }, 2},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CheckingAllocator::reset();
        c.run();
        EXPECT_EQ(CheckingAllocator::releases, c.releases);
        EXPECT_EQ(CheckingAllocator::allocations, CheckingAllocator::releases);
        EXPECT_EQ(CheckingAllocator::dirtyReleases, 0);
    }
}

TEST(SecretStringTest, TextGivenUpInPlaceIsOverwritten)
{
    struct Case
    {
        const char* name;
        std::function<void(Checked&)> run;
        std::string left;
    };
    const Case cases[] = {
        {"clear", [](Checked& s) { s.clear(); }, ""},
        {"wipe", [](Checked& s) { wipe(s); }, ""},
        {"shrinking resize", [](Checked& s) { s.resize(3); }, "pas"},
        {"pop_back", [](Checked& s) { s.pop_back(); }, "password 123"},
        {"shorter text", [](Checked& s) { s = "pin"; }, "pin"},
        {"shorter part of itself", [](Checked& s) { s = s.view().substr(9); }, "1234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CheckingAllocator::reset();
        {
            Checked s = "password 1234";
            const char* buffer = s.data();
            const std::size_t capacity = s.capacity();
            c.run(s);
            EXPECT_EQ(s.view(), c.left);
            EXPECT_EQ(s.data(), buffer); // no new buffer: the old one holds nothing but the text left
            EXPECT_EQ(s.capacity(), capacity);
            EXPECT_TRUE(tailIsZero(s));
        }
        EXPECT_EQ(CheckingAllocator::allocations, 1);
        EXPECT_EQ(CheckingAllocator::dirtyReleases, 0);
    }
}

TEST(SecretStringTest, MoveHandsTheBufferOverAndLeavesNothingBehind)
{
    CheckingAllocator::reset();
    {
        Checked a = "hunter2, the password";
        const char* buffer = a.data();
        Checked b = std::move(a);
        EXPECT_EQ(b.data(), buffer); // the same bytes, not a copy
        EXPECT_EQ(b, "hunter2, the password");
        EXPECT_TRUE(a.empty()); // NOLINT(bugprone-use-after-move): the moved-from state is the point
        EXPECT_EQ(a.capacity(), 0u);
        EXPECT_STREQ(a.c_str(), "");
        a = "reused";
        EXPECT_EQ(a, "reused");
    }
    EXPECT_EQ(CheckingAllocator::allocations, 2);
    EXPECT_EQ(CheckingAllocator::releases, 2);
    EXPECT_EQ(CheckingAllocator::dirtyReleases, 0);
}

TEST(SecretStringTest, AnExpiringStdStringIsOverwrittenAndALentOneIsNot)
{
    // A box's text arrives as a temporary std::string: once copied, nothing else would wipe it.
    std::string given(40, 'x');
    const char* buffer = given.data();
    const std::size_t capacity = given.capacity();
    SecretString s;
    s = std::move(given);
    EXPECT_EQ(s, std::string(40, 'x'));
    ASSERT_EQ(given.data(), buffer); // NOLINT(bugprone-use-after-move): still its own buffer, so readable
    EXPECT_TRUE(given.empty());
    EXPECT_TRUE(std::all_of(buffer, buffer + capacity, [](char c) { return c == '\0'; }));

    std::string alsoGiven(40, 'y');
    const SecretString t(std::move(alsoGiven));
    EXPECT_EQ(t, std::string(40, 'y'));
    EXPECT_TRUE(alsoGiven.empty()); // NOLINT(bugprone-use-after-move)

    const std::string lent = "lent";
    s = lent;
    EXPECT_EQ(lent, "lent");
}

TEST(SecretStringTest, ReadsLikeAString)
{
    using S = SecretString;
    const std::string plain = "from std::string";
    struct Case
    {
        const char* name;
        std::function<S()> make;
        std::string expected;
    };
    // One line per case.
    // clang-format off
    const Case cases[] = {
        {"default", [] { return S(); }, ""},
        {"const char*", [] { return S("abc"); }, "abc"},
        {"string_view with a zero", [] { return S(std::string_view("a\0b", 3)); }, std::string("a\0b", 3)},
        {"std::string", [&] { return S(plain); }, plain},
        {"count and character", [] { return S(3, 'x'); }, "xxx"},
        {"copy", [] { const S a = "copied"; return S(a); }, "copied"},
        {"append and +=", [] { S s = "a"; s.append("b").append(2, 'c'); s += 'd'; s += "e"; s += S("f").view(); return s; },
         "abccdef"},
        {"push_back, pop_back", [] { S s; s.push_back('1'); s.push_back('2'); s.pop_back(); return s; }, "1"},
        {"resize longer", [] { S s = "ab"; s.resize(4, '-'); return s; }, "ab--"},
        {"each assignment", [&] { S s; s = "x"; s = std::string_view("yy"); s = plain; return s; }, plain},
        {"self assignment", [] { S s = "same"; const S& alias = s; s = alias; return s; }, "same"},
        {"operator[] writes", [] { S s = "cat"; s[0] = 'b'; return s; }, "bat"},
        {"iteration", [] { const S s = "loop"; S out; for (char c : s) out += c; return out; }, "loop"},
        {"reserve keeps the text", [] { S s = "kept"; s.reserve(64); return s; }, "kept"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const S s = c.make();
        EXPECT_EQ(s.str(), c.expected);
        EXPECT_EQ(s.size(), c.expected.size());
        EXPECT_EQ(s.length(), c.expected.size());
        EXPECT_EQ(s.empty(), c.expected.empty());
        EXPECT_GE(s.capacity(), s.size());
        EXPECT_EQ(s.c_str()[s.size()], '\0');
        EXPECT_EQ(std::string(s.begin(), s.end()), c.expected);
    }
}

TEST(SecretStringTest, ComparesWithEveryKindOfText)
{
    const SecretString b = "b";
    EXPECT_TRUE(b == SecretString("b") && b == std::string_view("b") && b == "b" && b == std::string("b"));
    EXPECT_TRUE("b" == b && std::string("b") == b);
    EXPECT_TRUE(b != "c" && b != SecretString("bb") && b != std::string());
    EXPECT_TRUE(b < "c" && b < SecretString("ba") && b < std::string("c") && b < std::string_view("c"));
    EXPECT_TRUE(!(b < "b") && "a" < b && SecretString() < b && SecretString() == "");
}

// The unlock's comparison: equal bytes only, whatever the lengths; a prefix, a longer text or a difference in the
// last byte never passes.
TEST(SecretStringTest, SameSecretIsEqualBytesOfEqualLength)
{
    using namespace std::string_view_literals;
    const struct
    {
        std::string_view typed, stored;
        bool same;
    } cases[] = {
        {"Secret", "Secret", true},   {"", "", true},
        {"a\0b"sv, "a\0b"sv, true},   {"Secre", "Secret", false},
        {"Secret!", "Secret", false}, {"Secreu", "Secret", false},
        {"", "Secret", false},        {"Secret", "", false},
        {"a\0b"sv, "a\0c"sv, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " / " + std::string(c.stored));
        EXPECT_EQ(SameSecret(c.typed, c.stored), c.same);
    }
}
