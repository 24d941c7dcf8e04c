#include "cipher/ProtectedFile.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
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
    const auto p = ProtectionFor({kQuick, fixedSalt()}, "user", "first password", "1234");
    ASSERT_TRUE(p);
    const std::string bytes = FormatProtectedHeader(p->header, *p->key);
    ASSERT_EQ(bytes.size(), kProtectedHeaderLength);
    const auto* u = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(bytes.substr(0, 11), "%Coffernote");
    EXPECT_EQ(hex(u + 11, 31),
              "020101"                             // format version, Argon2id v1.3, AES-256-SIV
              "00200000"                           // memory in KiB, little-endian: 8192
              "01000000"                           // passes
              "01000000"                           // lanes
              "0102030405060708090a0b0c0d0e0f10"); // salt
    // The key check and the header digest, recomputed with another library.
    unsigned char mac[crypto_auth_hmacsha256_BYTES], digest[crypto_hash_sha256_BYTES];
    crypto_auth_hmacsha256_state st;
    crypto_auth_hmacsha256_init(&st, p->key->data(), LoginKey::kLength);
    crypto_auth_hmacsha256_update(&st, reinterpret_cast<const unsigned char*>("Coffernote key check"), 20);
    crypto_auth_hmacsha256_final(&st, mac);
    EXPECT_EQ(hex(u + 42, 16), hex(mac, 16));
    crypto_hash_sha256(digest, u, 58);
    EXPECT_EQ(hex(u + 58, 4), hex(digest, 4));
    EXPECT_EQ(ReadProtectedHeader(bytes), p->header);
}

namespace {

void putU32(std::string& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A header of the given version and settings whose digest (version 02) is right.
std::string headerWith(KdfSettings kdf, unsigned char version = kProtectedVersion)
{
    const auto p = ProtectionFor({kQuick, fixedSalt()}, "user", "first password", "1234");
    std::string b = FormatProtectedHeader(p->header, *p->key);
    b[11] = static_cast<char>(version);
    putU32(b, 14, kdf.memoryKiB);
    putU32(b, 18, kdf.passes);
    putU32(b, 22, kdf.lanes);
    if (version == 1)
        return b.substr(0, kProtectedHeaderLengthV1);
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(b.data()), 58);
    std::copy(digest, digest + 4, b.begin() + 58);
    return b;
}

} // namespace

TEST(ProtectedFileTest, HeadersOutOfBoundsOrDamagedAreRefusedWithoutWork)
{
    const std::uint64_t machine = 8ull << 30; // 8 GiB: at most 4 GiB may be asked, and 1 GiB is the ceiling
    const std::string good = headerWith({kMinKdfMemoryKiB, 1, 1});
    EXPECT_TRUE(ReadProtectedHeader(good, machine));
    EXPECT_TRUE(ReadProtectedHeader(headerWith({kMaxKdfMemoryKiB, kMaxKdfPasses, 1}), machine));
    EXPECT_TRUE(ReadProtectedHeader(headerWith({kMinKdfMemoryKiB, 1, 1}, 1), machine));
    std::string badDigest = good, badSalt = good;
    badDigest[61] ^= 1;
    badSalt[30] ^= 1;
    const std::string refused[] = {
        headerWith({4u * 1024 * 1024, 3, 1}), // 4 GiB
        headerWith({kMaxKdfMemoryKiB + 1, 3, 1}),
        headerWith({kMinKdfMemoryKiB - 1, 3, 1}),
        headerWith({65536, 1000, 1}),
        headerWith({65536, 0, 1}),
        headerWith({65536, 3, 2}),
        headerWith({65536, 3, 0}),
        headerWith({65536, 3, 0}, 1),
        headerWith({65536, 3, 1}, 3), // a later format
        headerWith({65536, 3, 1}, 0),
        badDigest,
        badSalt,
        good.substr(0, kProtectedHeaderLength - 1), // truncated
        headerWith({65536, 3, 1}, 1).substr(0, kProtectedHeaderLengthV1 - 1),
        "%Coffernote",
        "%Coffernot",
        "",
    };
    // Unknown algorithms.
    std::string unknownKdf = headerWith({kMinKdfMemoryKiB, 1, 1}, 1), unknownCipher = unknownKdf;
    unknownKdf[12] = unknownCipher[13] = 7;
    const std::string halfOfASmallMachine = headerWith({512 * 1024, 1, 1});
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& h : refused)
        EXPECT_FALSE(ReadProtectedHeader(h, machine))
            << hex(reinterpret_cast<const unsigned char*>(h.data()), h.size());
    EXPECT_FALSE(ReadProtectedHeader(unknownKdf, machine));
    EXPECT_FALSE(ReadProtectedHeader(unknownCipher, machine));
    EXPECT_FALSE(ReadProtectedHeader(halfOfASmallMachine, 768ull << 20));
    std::printf("refusing %zu headers took %.3f ms\n", std::size(refused),
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
}

TEST(ProtectedFileTest, SealedFileIsDeterministicAndHidesItsText)
{
    const auto p = ProtectionFor({kQuick, fixedSalt()}, "user", "first password", "1234");
    ASSERT_TRUE(p);
    const std::string inner = "\"a\",\"b\"\r\n";
    const std::string file = sealed(*p, inner);
    ASSERT_EQ(file.size(), kProtectedHeaderLength + 16 + inner.size());
    EXPECT_EQ(file.substr(0, kProtectedHeaderLength), FormatProtectedHeader(p->header, *p->key));
    EXPECT_EQ(file.find(inner), std::string::npos);
    EXPECT_EQ(sealed(*p, inner), file); // deterministic: a save without a change rewrites the same bytes
}

// The key check tells another login from a damaged body; a version 01 file, without it, cannot.
TEST(ProtectedFileTest, OpeningTellsAnotherKeyFromADamagedBody)
{
    const std::string inner = "\"a\",\"b\"\r\n";
    const auto p = ProtectionFor({kQuick, fixedSalt()}, "user", "first password", "1234");
    const auto other = ProtectionFor(p->header, "user", "first password", "1235");
    const std::string v2 = sealed(*p, inner);
    // The same text sealed as version 01 did: the 42-byte header alone is the associated data.
    std::string v1 = headerWith(kQuick, 1);
    {
        EVP_CIPHER* aes = EVP_CIPHER_fetch(nullptr, "AES-256-SIV", nullptr);
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        int n = 0;
        std::string out(inner.size(), '\0');
        unsigned char tag[16];
        ASSERT_EQ(EVP_EncryptInit_ex2(ctx, aes, p->key->data(), nullptr, nullptr), 1);
        EVP_EncryptUpdate(ctx, nullptr, &n, reinterpret_cast<const unsigned char*>(v1.data()), 42);
        EVP_EncryptUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &n,
                          reinterpret_cast<const unsigned char*>(inner.data()), static_cast<int>(inner.size()));
        EVP_EncryptFinal_ex(ctx, nullptr, &n);
        EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_GET_TAG, 16, tag);
        EVP_CIPHER_CTX_free(ctx);
        EVP_CIPHER_free(aes);
        v1 += std::string(reinterpret_cast<char*>(tag), 16) + out;
    }
    auto flipped = [](std::string b, std::size_t at) {
        b[at] ^= 0x01;
        return b;
    };
    const struct
    {
        const char* name;
        std::string file;
        const FileProtection& key;
        ProtectedOpening expected;
    } cases[] = {
        {"02 opened", v2, *p, ProtectedOpening::Opened},
        {"02 other login", v2, *other, ProtectedOpening::WrongKey},
        {"02 key check changed", flipped(v2, 42), *p, ProtectedOpening::WrongKey},
        {"02 salt changed", flipped(v2, 26), *p, ProtectedOpening::Damaged},
        {"02 SIV changed", flipped(v2, 62), *p, ProtectedOpening::Damaged},
        {"02 body changed", flipped(v2, v2.size() - 1), *p, ProtectedOpening::Damaged},
        {"02 cut", v2.substr(0, v2.size() - 1), *p, ProtectedOpening::Damaged},
        {"02 cut to its header", v2.substr(0, kProtectedHeaderLength), *p, ProtectedOpening::Damaged},
        {"02 cut in its key check", v2.substr(0, 50), *p, ProtectedOpening::WrongKey},
        {"01 opened", v1, *p, ProtectedOpening::Opened},
        {"01 other login", v1, *other, ProtectedOpening::WrongKey},
        {"01 body changed", flipped(v1, v1.size() - 1), *p, ProtectedOpening::WrongKey},
        {"01 cut", v1.substr(0, 50), *p, ProtectedOpening::WrongKey},
    };
    for (const auto& c : cases) {
        Bytes opened{1, 2};
        EXPECT_EQ(OpenProtectedFile(*c.key.key, c.file, opened), c.expected) << c.name;
        EXPECT_EQ(std::string(opened.begin(), opened.end()), c.expected == ProtectedOpening::Opened ? inner : "")
            << c.name;
    }
}
