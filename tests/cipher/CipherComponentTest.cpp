#include "cipher/CipherComponent.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

namespace {

const std::string kTestKey1 = "component-test key one";
const std::string kTestKey2 = "component-test key two, longer than eight";

Bytes fromHex(const std::string& hex)
{
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes bytesOf(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes encrypt(const Bytes& plain, const std::string& key1 = kTestKey1, const std::string& key2 = kTestKey2)
{
    Bytes out;
    EXPECT_EQ(CipherComponent().Encrypt(3, key1, key2, plain, out), CipherComponent::Ok);
    return out;
}

int decrypt(const Bytes& cipher, Bytes& plain, const std::string& key1 = kTestKey1, const std::string& key2 = kTestKey2)
{
    return CipherComponent().Decrypt(3, key1, key2, cipher, plain);
}

} // namespace

// RFC 5297, appendix A.1: deterministic authenticated encryption with one associated-data string.
TEST(CipherComponentTest, Rfc5297DeterministicVector)
{
    const Bytes key = fromHex("fffefdfcfbfaf9f8f7f6f5f4f3f2f1f0f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff");
    const Bytes ad = fromHex("101112131415161718191a1b1c1d1e1f2021222324252627");
    const Bytes plain = fromHex("112233445566778899aabbccddee");
    const Bytes expected = fromHex("85632d07c6e8f37f950acd320a2ecc9340c02b9690c4dc04daef7f6afe5c");

    Bytes cipher;
    ASSERT_EQ(CipherComponent::sivEncryptRaw(key, ad, plain, cipher), CipherComponent::Ok);
    EXPECT_EQ(cipher, expected);

    Bytes back;
    ASSERT_EQ(CipherComponent::sivDecryptRaw(key, ad, expected, back), CipherComponent::Ok);
    EXPECT_EQ(back, plain);

    Bytes tampered = expected;
    tampered.back() ^= 0x01;
    EXPECT_EQ(CipherComponent::sivDecryptRaw(key, ad, tampered, back), CipherComponent::AuthenticationFailed);
    EXPECT_TRUE(back.empty());
    Bytes otherAd = ad;
    otherAd[0] ^= 0x80;
    EXPECT_EQ(CipherComponent::sivDecryptRaw(key, otherAd, expected, back), CipherComponent::AuthenticationFailed);
}

TEST(CipherComponentTest, RawPathKeySizes)
{
    const Bytes plain = bytesOf("raw path");
    for (std::size_t size : {32u, 48u, 64u}) {
        SCOPED_TRACE(size);
        const Bytes key(size, 0x5A);
        Bytes cipher, back;
        ASSERT_EQ(CipherComponent::sivEncryptRaw(key, {}, plain, cipher), CipherComponent::Ok);
        EXPECT_EQ(cipher.size(), plain.size() + 16);
        ASSERT_EQ(CipherComponent::sivDecryptRaw(key, {}, cipher, back), CipherComponent::Ok);
        EXPECT_EQ(back, plain);
    }
    for (std::size_t size : {0u, 16u, 31u, 33u, 65u}) {
        SCOPED_TRACE(size);
        Bytes cipher;
        EXPECT_LT(CipherComponent::sivEncryptRaw(Bytes(size, 1), {}, plain, cipher), 0);
        EXPECT_LT(CipherComponent::sivDecryptRaw(Bytes(size, 1), {}, Bytes(40, 0), cipher), 0);
    }
}

// OpenSSL 3.0 cannot seal an empty plain text on the raw path: it must fail rather than hand out a blank SIV.
TEST(CipherComponentTest, RawPathEmptyPlainTextFailsOrRoundTrips)
{
    const Bytes key(64, 0x11);
    Bytes cipher;
    const int status = CipherComponent::sivEncryptRaw(key, {}, {}, cipher);
    if (status == CipherComponent::Ok) {
        Bytes back{1};
        ASSERT_EQ(CipherComponent::sivDecryptRaw(key, {}, cipher, back), CipherComponent::Ok);
        EXPECT_TRUE(back.empty());
    } else {
        EXPECT_LT(status, 0);
        EXPECT_TRUE(cipher.empty());
    }
    Bytes back;
    EXPECT_LT(CipherComponent::sivDecryptRaw(key, {}, Bytes(16, 0), back), 0);
}

TEST(CipherComponentTest, RoundTripsEveryLengthDeterministically)
{
    for (std::size_t size : {0u, 1u, 14u, 15u, 16u, 17u, 31u, 32u, 33u, 255u, 256u, 257u, 4096u, 100000u}) {
        SCOPED_TRACE(size);
        Bytes plain(size);
        for (std::size_t i = 0; i < size; ++i)
            plain[i] = static_cast<unsigned char>(i * 13);
        const Bytes cipher = encrypt(plain);
        EXPECT_EQ(cipher.size(), 16 + 1 + size);
        EXPECT_EQ(encrypt(plain), cipher);
        Bytes back{9, 9};
        ASSERT_EQ(decrypt(cipher, back), CipherComponent::Ok);
        EXPECT_EQ(back, plain);
    }
}

TEST(CipherComponentTest, EmptyPlainTextIsAuthenticatedToo)
{
    const Bytes cipher = encrypt({});
    ASSERT_EQ(cipher.size(), 17u);
    for (std::size_t i = 0; i < cipher.size(); ++i) {
        Bytes changed = cipher;
        changed[i] ^= 0x20;
        Bytes back;
        EXPECT_EQ(decrypt(changed, back), CipherComponent::AuthenticationFailed) << i;
    }
    SecretString text = "left over";
    ASSERT_EQ(CipherComponent().DecryptStr(3, kTestKey1, kTestKey2, cipher, text), CipherComponent::Ok);
    EXPECT_EQ(text, "");
}

TEST(CipherComponentTest, ChangedTruncatedOrExtendedCipherTextFails)
{
    const Bytes cipher = encrypt(bytesOf("s3cret password!"));
    for (std::size_t i = 0; i < cipher.size(); ++i) {
        for (unsigned char bit = 1; bit != 0; bit = static_cast<unsigned char>(bit << 1)) {
            Bytes changed = cipher;
            changed[i] ^= bit;
            Bytes back;
            ASSERT_EQ(decrypt(changed, back), CipherComponent::AuthenticationFailed) << i << "/" << int(bit);
            ASSERT_TRUE(back.empty());
        }
    }
    for (std::size_t length = 0; length < cipher.size(); ++length) {
        Bytes back;
        EXPECT_EQ(decrypt(Bytes(cipher.begin(), cipher.begin() + static_cast<std::ptrdiff_t>(length)), back),
                  CipherComponent::AuthenticationFailed)
            << length;
    }
    Bytes longer = cipher;
    longer.push_back(0);
    Bytes back;
    EXPECT_EQ(decrypt(longer, back), CipherComponent::AuthenticationFailed);
}

TEST(CipherComponentTest, RandomDataNeverDecrypts)
{
    std::mt19937 random(20240607);
    for (int round = 0; round < 500; ++round) {
        Bytes data(random() % 200);
        for (auto& b : data)
            b = static_cast<unsigned char>(random());
        Bytes plain;
        SecretString text;
        ASSERT_EQ(decrypt(data, plain), CipherComponent::AuthenticationFailed);
        ASSERT_EQ(CipherComponent().DecryptStr(3, kTestKey1, kTestKey2, data, text),
                  CipherComponent::AuthenticationFailed);
        ASSERT_TRUE(text.empty());
    }
}

TEST(CipherComponentTest, ForeignKeysFail)
{
    const Bytes plain = bytesOf("account data");
    const Bytes cipher = encrypt(plain);
    Bytes back;
    EXPECT_EQ(decrypt(cipher, back, kTestKey1 + "x", kTestKey2), CipherComponent::AuthenticationFailed);
    EXPECT_EQ(decrypt(cipher, back, kTestKey1, kTestKey2 + "x"), CipherComponent::AuthenticationFailed);
    EXPECT_EQ(decrypt(cipher, back), CipherComponent::Ok);
}

TEST(CipherComponentTest, EachKeyAndTheirSplitMatter)
{
    const Bytes plain = bytesOf("same text");
    std::set<Bytes> outputs = {
        encrypt(plain, "ab", "cdefghijkl"), encrypt(plain, "abc", "defghijkl"), encrypt(plain, "ab", "cdefghijkm"),
        encrypt(plain, "aB", "cdefghijkl"), encrypt(plain, "", "abcdefghijkl"),
    };
    EXPECT_EQ(outputs.size(), 5u);
}

TEST(CipherComponentTest, StringAndByteCallsAgree)
{
    const std::string text = "Gr\xC3\xBC\xC3\x9F"
                             "e aus K\xC3\xB6ln";
    CipherComponent component;
    Bytes fromText, fromBytes;
    ASSERT_EQ(component.EncryptStr(3, kTestKey1, kTestKey2, text, fromText), CipherComponent::Ok);
    ASSERT_EQ(component.Encrypt(3, kTestKey1, kTestKey2, bytesOf(text), fromBytes), CipherComponent::Ok);
    EXPECT_EQ(fromText, fromBytes);
    SecretString back;
    ASSERT_EQ(component.DecryptStr(3, kTestKey1, kTestKey2, fromText, back), CipherComponent::Ok);
    EXPECT_EQ(back, text);
}

TEST(CipherComponentTest, OnlyAlgorithmThreeIsSupported)
{
    CipherComponent component;
    for (int id : {18, 34, 51, 55, 59, 64, 80, 83, 86, 96, 99, 102, 257, 0, -1, 4}) {
        SCOPED_TRACE(id);
        Bytes out{1};
        SecretString text = "x";
        EXPECT_EQ(component.Encrypt(id, kTestKey1, kTestKey2, bytesOf("abc"), out),
                  CipherComponent::UnsupportedAlgorithm);
        EXPECT_EQ(component.Decrypt(id, kTestKey1, kTestKey2, Bytes(40, 1), out),
                  CipherComponent::UnsupportedAlgorithm);
        EXPECT_EQ(component.EncryptStr(id, kTestKey1, kTestKey2, "abc", out), CipherComponent::UnsupportedAlgorithm);
        EXPECT_EQ(component.DecryptStr(id, kTestKey1, kTestKey2, Bytes(40, 1), text),
                  CipherComponent::UnsupportedAlgorithm);
    }
}

TEST(CipherComponentTest, SecondKeyNeedsEightCharacters)
{
    CipherComponent component;
    Bytes out;
    EXPECT_EQ(component.Encrypt(3, kTestKey1, "1234567", bytesOf("abc"), out), CipherComponent::BadKey);
    EXPECT_EQ(component.Encrypt(3, kTestKey1, "12345678", bytesOf("abc"), out), CipherComponent::Ok);
    EXPECT_EQ(component.Decrypt(3, kTestKey1, "", out, out), CipherComponent::BadKey);
}

TEST(CipherComponentTest, ManyKeysAndAWipedCacheGiveTheSameBytes)
{
    const Bytes plain = bytesOf("cache test");
    std::vector<Bytes> first;
    for (int i = 0; i < 10; ++i)
        first.push_back(encrypt(plain, kTestKey1, kTestKey2 + std::to_string(i)));
    CipherComponent::wipeKeyCache();
    for (int i = 9; i >= 0; --i) {
        EXPECT_EQ(encrypt(plain, kTestKey1, kTestKey2 + std::to_string(i)), first[static_cast<std::size_t>(i)]);
        Bytes back;
        ASSERT_EQ(decrypt(first[static_cast<std::size_t>(i)], back, kTestKey1, kTestKey2 + std::to_string(i)),
                  CipherComponent::Ok);
        EXPECT_EQ(back, plain);
    }
    CipherComponent::wipeKeyCache();
    CipherComponent::wipeKeyCache();
}

TEST(CipherComponentTest, StatusesHaveDistinctDescriptions)
{
    std::set<std::string> texts;
    for (int status : {0, -1, -2, -3, -4, -99})
        texts.insert(CipherComponent::describe(status));
    EXPECT_EQ(texts.size(), 6u);
    EXPECT_STREQ(CipherComponent::describe(CipherComponent::UnsupportedAlgorithm),
                 "The cipher algorithm is not supported.");
}
