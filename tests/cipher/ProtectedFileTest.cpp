#include "cipher/ProtectedFile.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <chrono>
#include <cstring>
#include <string>

namespace {

// The smallest settings the bounds allow: the tests derive in milliseconds.
constexpr KdfSettings kQuick{kMinKdfMemoryKiB, 1, 1};

std::string hex(const unsigned char* p, std::size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

std::string base64NoPadding(const unsigned char* p, std::size_t n)
{
    std::string s(sodium_base64_ENCODED_LEN(n, sodium_base64_VARIANT_ORIGINAL_NO_PADDING), '\0');
    sodium_bin2base64(s.data(), s.size(), p, n, sodium_base64_VARIANT_ORIGINAL_NO_PADDING);
    s.resize(std::strlen(s.c_str()));
    return s;
}

Salt fixedSalt()
{
    Salt s{};
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<unsigned char>(i + 1);
    return s;
}

std::string sealed(const FileProtection& p, const std::string& inner)
{
    std::string out;
    EXPECT_TRUE(SealProtectedFile(p, reinterpret_cast<const unsigned char*>(inner.data()), inner.size(), out));
    return out;
}

} // namespace

TEST(LoginKeyTest, Argon2idKnownAnswers)
{
    ASSERT_GE(sodium_init(), 0);
    // The reference implementation's vector (Argon2id v1.3, t=2, m=64 MiB, p=1, "password", "somesalt"): the
    // library computes the reference function.
    EXPECT_EQ(crypto_pwhash_str_verify("$argon2id$v=19$m=65536,t=2,p=1$c29tZXNhbHQ$"
                                       "CTFhFdXPJO1aFaMaO6Mm5c8y7cJHAph8ArZWb2GRPPc",
                                       "password", 8),
              0);
    // Our call passes memory, passes and salt as that function takes them: its output verifies as the encoded
    // hash of the same settings.
    const Salt salt = fixedSalt();
    unsigned char out[32];
    ASSERT_TRUE(
        Argon2id(out, sizeof out, reinterpret_cast<const unsigned char*>("password"), 8, salt.data(), {65536, 2, 1}));
    const std::string encoded = "$argon2id$v=19$m=65536,t=2,p=1$" + base64NoPadding(salt.data(), salt.size()) + "$" +
                                base64NoPadding(out, sizeof out);
    EXPECT_EQ(crypto_pwhash_str_verify(encoded.c_str(), "password", 8), 0);
    // And the joined login of our own format stays what it was: files written before must open.
    const auto key = DeriveLoginKey("user", "first password", "1234", salt, kQuick);
    ASSERT_TRUE(key);
    EXPECT_EQ(hex(key->data(), LoginKey::kLength), "7a7cc067018093383a78d0511ae719fd8405d38c0e48131c2c7c7582c51dbcf5"
                                                   "fd7943a12b17d98cecc68f38263953b0483119fc26137a377c15d62b3b21797c");
    // That secret is the three parts, each after its length in four bytes, big-endian.
    const std::string joined = std::string("\0\0\0\4user", 8) +
                               std::string("\0\0\0\x0e"
                                           "first password",
                                           18) +
                               std::string("\0\0\0\4"
                                           "1234",
                                           8);
    unsigned char direct[LoginKey::kLength];
    ASSERT_TRUE(Argon2id(direct, sizeof direct, reinterpret_cast<const unsigned char*>(joined.data()), joined.size(),
                         salt.data(), kQuick));
    EXPECT_EQ(hex(direct, sizeof direct), hex(key->data(), LoginKey::kLength));
}

TEST(LoginKeyTest, EachPartOfTheLoginCountsWithItsLength)
{
    const Salt salt = fixedSalt();
    const auto base = DeriveLoginKey("ab", "c", "1", salt, kQuick);
    ASSERT_TRUE(base);
    const std::string baseHex = hex(base->data(), LoginKey::kLength);
    const struct
    {
        const char *user, *password, *pad;
    } others[] = {{"a", "bc", "1"}, {"ab", "c", "2"}, {"ab", "c1", ""}, {"Ab", "c", "1"}};
    for (const auto& o : others) {
        const auto key = DeriveLoginKey(o.user, o.password, o.pad, salt, kQuick);
        ASSERT_TRUE(key);
        EXPECT_NE(hex(key->data(), LoginKey::kLength), baseHex) << o.user << "/" << o.password << "/" << o.pad;
    }
    Salt other = salt;
    other[0] ^= 1;
    EXPECT_NE(hex(DeriveLoginKey("ab", "c", "1", other, kQuick)->data(), LoginKey::kLength), baseHex);
}

TEST(ProtectedFileTest, HeaderIsWrittenByteByByte)
{
    const ProtectedHeader h{{131072, 3, 1}, fixedSalt()};
    const std::string bytes = FormatProtectedHeader(h);
    ASSERT_EQ(bytes.size(), kProtectedHeaderLength);
    EXPECT_EQ(bytes.substr(0, 11), "%Coffernote");
    EXPECT_EQ(hex(reinterpret_cast<const unsigned char*>(bytes.data()) + 11, 31),
              "010101"                             // format version, Argon2id v1.3, AES-256-SIV
              "00000200"                           // memory in KiB, little-endian: 131072
              "03000000"                           // passes
              "01000000"                           // lanes
              "0102030405060708090a0b0c0d0e0f10"); // salt
    EXPECT_EQ(ReadProtectedHeader(bytes), h);
}

TEST(ProtectedFileTest, HeadersOutOfBoundsAreRefusedWithoutWork)
{
    const std::uint64_t machine = 8ull << 30; // 8 GiB: at most 4 GiB may be asked, and 1 GiB is the ceiling
    auto with = [](KdfSettings kdf, unsigned char version = kProtectedVersion) {
        std::string b = FormatProtectedHeader({kdf, fixedSalt()});
        b[11] = static_cast<char>(version);
        return b;
    };
    const std::string good = with({kMinKdfMemoryKiB, 1, 1});
    EXPECT_TRUE(ReadProtectedHeader(good, machine));
    EXPECT_TRUE(ReadProtectedHeader(with({kMaxKdfMemoryKiB, kMaxKdfPasses, 1}), machine));
    const std::string refused[] = {
        with({4u * 1024 * 1024, 3, 1}), // 4 GiB
        with({kMaxKdfMemoryKiB + 1, 3, 1}),
        with({kMinKdfMemoryKiB - 1, 3, 1}),
        with({65536, 1000, 1}),
        with({65536, 0, 1}),
        with({65536, 3, 2}),
        with({65536, 3, 0}),
        with({65536, 3, 1}, 2), // a later format
        with({65536, 3, 1}, 0),
        good.substr(0, kProtectedHeaderLength - 1), // truncated
        "%Coffernote",
        "%Coffernot",
        "",
    };
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& h : refused)
        EXPECT_FALSE(ReadProtectedHeader(h, machine))
            << hex(reinterpret_cast<const unsigned char*>(h.data()), h.size());
    // Unknown algorithms.
    for (std::size_t at : {12u, 13u}) {
        std::string b = good;
        b[at] = 7;
        EXPECT_FALSE(ReadProtectedHeader(b, machine));
    }
    // More than half of a small machine.
    EXPECT_FALSE(ReadProtectedHeader(with({512 * 1024, 1, 1}), 768ull << 20));
    std::printf("refusing %zu headers took %.3f ms\n", std::size(refused),
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
}

TEST(ProtectedFileTest, SealedFileOpensOnlyWithItsKeyAndUnchanged)
{
    const auto p = ProtectionFor({kQuick, fixedSalt()}, "user", "first password", "1234");
    ASSERT_TRUE(p);
    const std::string inner = "\"a\",\"b\"\r\n";
    const std::string file = sealed(*p, inner);
    ASSERT_EQ(file.size(), kProtectedHeaderLength + 16 + inner.size());
    EXPECT_EQ(file.substr(0, kProtectedHeaderLength), FormatProtectedHeader(p->header));
    EXPECT_EQ(file.find(inner), std::string::npos);
    EXPECT_EQ(sealed(*p, inner), file); // deterministic: a save without a change rewrites the same bytes

    Bytes opened;
    ASSERT_TRUE(OpenProtectedFile(*p->key, file, opened));
    EXPECT_EQ(std::string(opened.begin(), opened.end()), inner);

    // Every byte, header included, is covered.
    for (std::size_t i = 0; i < file.size(); ++i) {
        std::string changed = file;
        changed[i] ^= 0x01;
        EXPECT_FALSE(OpenProtectedFile(*p->key, changed, opened)) << i;
        EXPECT_TRUE(opened.empty());
    }
    EXPECT_FALSE(OpenProtectedFile(*p->key, file.substr(0, file.size() - 1), opened));
    EXPECT_FALSE(OpenProtectedFile(*p->key, file.substr(0, kProtectedHeaderLength + 16), opened));
    const auto wrong = ProtectionFor(p->header, "user", "first password", "1235");
    EXPECT_FALSE(OpenProtectedFile(*wrong->key, file, opened));
}
