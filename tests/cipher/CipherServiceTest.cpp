#include "cipher/CipherService.h"

#include "cipher/Base64.h"
#include "cipher/CipherComponent.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The plain text to encrypt is a secret; the cipher text to decrypt is not.
template <class Text> struct ArgumentsOf
{
    Text text;
    SecretString key1 = kKey1;
    SecretString key2 = kKey2;
};
using Arguments = ArgumentsOf<SecretString>;
using CipherArguments = ArgumentsOf<std::string>;

std::string componentCipher(const std::string& text, const std::string& key1, const std::string& key2)
{
    Bytes cipher;
    EXPECT_EQ(CipherComponent().EncryptStr(3, key1, key2, text, cipher), CipherComponent::Ok);
    return std::string(cipher.begin(), cipher.end());
}

// The bytes of a Base64 text as the service's decoder reads them.
std::string decoded(const std::string& base64)
{
    const std::optional<Bytes> bytes = Base64Decode(base64);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

} // namespace

TEST(CipherServiceTest, SuiteTable)
{
    const int expected[] = {18, 3, 55, 51, 59, 34, 102, 99, 96, 86, 83, 80, 257, 64};
    for (int suite = 0; suite < 14; ++suite)
        EXPECT_EQ(AlgorithmForSuite(suite), expected[suite]) << suite;
    for (int suite : {-1, 14, 15, 1000, -2147483647 - 1})
        EXPECT_FALSE(AlgorithmForSuite(suite).has_value()) << suite;
}

TEST(CipherServiceTest, SecondKeyIsPaddedWithLeadingBlanks)
{
    struct Case
    {
        std::string key2;
        std::string padded;
    };
    const Case cases[] = {
        {"", "        "},
        {"abc", "     abc"},
        {"1234567", " 1234567"},
        {"12345678", "12345678"},
        {"123456789", "123456789"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC", "     \xC3\xA4\xC3\xB6\xC3\xBC"}, // three characters, six bytes
        {kKey2, kKey2},
    };
    for (const Case& c : cases) {
        SecretString key2 = c.key2;
        PadKey2(key2);
        EXPECT_EQ(key2, c.padded) << c.key2;
    }
    EXPECT_EQ(std::string(kKey2).size(), 56u);
}

TEST(CipherServiceTest, PaddedKeyReachesTheComponent)
{
    Arguments a{"hello"};
    a.key2 = "abc";
    const std::string cipher = EncryptString(1, a.text, false, a.key1, a.key2).value;
    EXPECT_EQ(cipher, componentCipher("hello", kKey1, "     abc"));

    Arguments b{"hello"};
    b.key2 = "abcdefgh";
    EXPECT_EQ(EncryptString(1, b.text, false, b.key1, b.key2).value, componentCipher("hello", kKey1, "abcdefgh"));
}

TEST(CipherServiceTest, EncryptStringEmptiesItsArgumentsAndRoundTrips)
{
    for (const std::string& plain : std::vector<std::string>{"", "a", "password with blanks ",
                                                             "Gr\xC3\xBC\xC3\x9F"
                                                             "e",
                                                             std::string(5000, 'x')}) {
        SCOPED_TRACE(plain.size());
        Arguments e{plain};
        const Outcome<std::string> r1 = EncryptString(1, e.text, true, e.key1, e.key2);
        const std::string cipher = r1.value;
        EXPECT_TRUE(r1.result.isOk());
        EXPECT_EQ(e.text, "");
        EXPECT_EQ(e.key1, "");
        EXPECT_EQ(e.key2, "");
        const std::string component = componentCipher(plain, kKey1, kKey2);
        EXPECT_EQ(cipher, Base64Encode(reinterpret_cast<const unsigned char*>(component.data()), component.size()));

        CipherArguments d{cipher};
        const Outcome<SecretString> r2 = DecryptString(1, d.text, true, d.key1, d.key2);
        EXPECT_EQ(r2.value, plain);
        EXPECT_TRUE(r2.result.isOk());
        EXPECT_EQ(d.text, "");
        EXPECT_EQ(d.key1, "");
        EXPECT_EQ(d.key2, "");
    }
}

TEST(CipherServiceTest, WithoutBase64TheResultIsTheCipherBytes)
{
    Arguments e{"raw"};
    const std::string cipher = EncryptString(1, e.text, false, e.key1, e.key2).value;
    EXPECT_EQ(cipher, componentCipher("raw", kKey1, kKey2));
    CipherArguments d{cipher};
    EXPECT_EQ(DecryptString(1, d.text, false, d.key1, d.key2).value, "raw");
    EXPECT_EQ(d.text, "");
}

TEST(CipherServiceTest, EqualInputGivesEqualOutput)
{
    Arguments a{"1A2B3C4D"}, b{"1A2B3C4D"};
    EXPECT_EQ(EncryptString(1, a.text, true, a.key1, a.key2).value,
              EncryptString(1, b.text, true, b.key1, b.key2).value);
    EXPECT_EQ(EncryptField("1A2B3C4D").value, EncryptField("1A2B3C4D").value);
    EXPECT_NE(EncryptField("1A2B3C4D").value, EncryptField("1A2B3C4E").value);
}

// Files written by earlier runs must stay readable, and the stored integrity stamp is compared as text: the key
// derivation and the message layout may never change silently. The values were checked against an independent
// AES-SIV and HKDF implementation (HKDF-SHA-256 over key1's length, key1 and key2; SIV over 0x01 and the text).
TEST(CipherServiceTest, FieldCipherTextIsStableAcrossRuns)
{
    EXPECT_EQ(EncryptField("abc").value, "trp/W7GxCgYfIGxgE+bR6WFnwzw=");
    EXPECT_EQ(EncryptField("").value, "uVsUxG8GUnf03+zq+04f81o=");
    EXPECT_EQ(DecryptField("trp/W7GxCgYfIGxgE+bR6WFnwzw=").value, "abc");
}

TEST(CipherServiceTest, SuiteOutsideTheTableMakesNoCallButEmptiesArguments)
{
    for (int suite : {14, -1}) {
        SCOPED_TRACE(suite);
        Arguments e{"text"};
        e.key2 = "abc";
        const Outcome<std::string> r3 = EncryptString(suite, e.text, true, e.key1, e.key2);
        EXPECT_EQ(r3.value, "");
        EXPECT_FALSE(r3.result.isOk());
        EXPECT_EQ(e.text, "");
        EXPECT_EQ(e.key1, "");
        EXPECT_EQ(e.key2, "");

        CipherArguments d{EncryptField("text").value};
        const Outcome<SecretString> r4 = DecryptString(suite, d.text, true, d.key1, d.key2);
        EXPECT_EQ(r4.value, "");
        EXPECT_FALSE(r4.result.isOk());
        EXPECT_EQ(d.text, "");
        EXPECT_EQ(d.key1, "");
        EXPECT_EQ(d.key2, "");

        Bytes data{1, 2, 3};
        SecretString key1 = kKey1, key2 = kKey2;
        EXPECT_EQ(EncryptBytes(suite, data, key1, key2).result.message(), "") << "a failure without a message";
        EXPECT_TRUE(data.empty());
        EXPECT_EQ(key1, "");
        EXPECT_EQ(key2, "");
        data = Bytes(40, 7);
        key1 = kKey1;
        key2 = kKey2;
        const Outcome<Bytes> decrypted = DecryptBytes(suite, data, key1, key2);
        EXPECT_TRUE(decrypted.result.isFailed());
        EXPECT_EQ(decrypted.result.message(), "");
        EXPECT_TRUE(data.empty());
    }
}

TEST(CipherServiceTest, ComponentFailureLeavesStringArgumentsAsTheyWere)
{
    // Suite 0 selects an algorithm the component does not offer.
    Arguments e{"text"};
    e.key2 = "abc";
    const Outcome<std::string> r5 = EncryptString(0, e.text, true, e.key1, e.key2);
    EXPECT_EQ(r5.value, "");
    EXPECT_EQ(r5.result.message(), "The cipher algorithm is not supported.");
    EXPECT_EQ(e.text, "text");
    EXPECT_EQ(e.key1, kKey1);
    EXPECT_EQ(e.key2, "     abc"); // padded before the call

    const std::string cipher = EncryptField("text").value;
    CipherArguments d{cipher};
    const Outcome<SecretString> r6 = DecryptString(0, d.text, false, d.key1, d.key2);
    EXPECT_EQ(r6.value, "");
    EXPECT_FALSE(r6.result.isOk());
    EXPECT_EQ(d.text, cipher);
    EXPECT_EQ(d.key1, kKey1);
    EXPECT_EQ(d.key2, kKey2);
}

TEST(CipherServiceTest, DecryptStringOfBadInputFails)
{
    struct Case
    {
        const char* name;
        std::string text;
        std::string textAfter; // the caller's text once Base64 decoding has replaced it
    };
    const std::string good = EncryptField("secret").value;
    std::string truncated = good.substr(0, good.size() - 4);
    std::string changed = good;
    changed[3] = changed[3] == 'Q' ? 'R' : 'Q';
    const Case cases[] = {
        {"empty", "", ""},
        {"padding only", "====", "===="},
        {"line breaks only", "\r\n\r\n", "\r\n\r\n"},
        {"too short", "QUJD", "ABC"},
        {"truncated", truncated, decoded(truncated)},
        {"changed", changed, decoded(changed)},
        {"not Base64 at all", "this is no cipher text!", decoded("this is no cipher text!")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CipherArguments d{c.text};
        const Outcome<SecretString> r7 = DecryptString(1, d.text, true, d.key1, d.key2);
        EXPECT_EQ(r7.value, "");
        EXPECT_FALSE(r7.result.isOk());
        EXPECT_EQ(d.text, c.textAfter);
        EXPECT_EQ(d.key1, kKey1);
        EXPECT_EQ(d.key2, kKey2);
        const Outcome<SecretString> r8 = DecryptField(c.text);
        EXPECT_EQ(r8.value, "");
        EXPECT_FALSE(r8.result.isOk());
    }
}

TEST(CipherServiceTest, RandomBase64TextNeverDecrypts)
{
    std::mt19937 random(77);
    for (int round = 0; round < 300; ++round) {
        Bytes data(random() % 80);
        for (auto& b : data)
            b = static_cast<unsigned char>(random());
        const Outcome<SecretString> r9 = DecryptField(Base64Encode(data));
        EXPECT_EQ(r9.value, "");
        EXPECT_FALSE(r9.result.isOk());
    }
}

TEST(CipherServiceTest, BytesRoundTripAndEmptyTheirArguments)
{
    const Bytes plain{0, 1, 2, 250, 255};
    Bytes data = plain;
    SecretString key1 = kKey1, key2 = kKey2;
    const Outcome<Bytes> cipher = EncryptBytes(1, data, key1, key2);
    ASSERT_TRUE(cipher.result.isOk());
    EXPECT_EQ(cipher.value.size(), plain.size() + 17);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(key1, "");
    EXPECT_EQ(key2, "");

    data = cipher.value;
    key1 = kKey1;
    key2 = kKey2;
    const Outcome<Bytes> decrypted = DecryptBytes(1, data, key1, key2);
    EXPECT_TRUE(decrypted.result.isOk());
    EXPECT_EQ(decrypted.value, plain);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(key1, "");
    EXPECT_EQ(key2, "");
}

// The cipher shows nothing: its failures come back with the component's description for the caller to show.
TEST(CipherServiceTest, ByteFailuresCarryTheErrorDescription)
{
    Bytes data{1, 2, 3};
    SecretString key1 = kKey1, key2 = kKey2;
    const Outcome<Bytes> encrypted = EncryptBytes(0, data, key1, key2);
    EXPECT_TRUE(encrypted.result.isFailed());
    EXPECT_EQ(encrypted.result.message(), "The cipher algorithm is not supported.");
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(key1, "");
    EXPECT_EQ(key2, "");

    data = Bytes(40, 7);
    key1 = kKey1;
    key2 = kKey2;
    const Outcome<Bytes> decrypted = DecryptBytes(1, data, key1, key2);
    EXPECT_TRUE(decrypted.result.isFailed());
    EXPECT_EQ(decrypted.result.message(),
              "The data cannot be decrypted: it is damaged or was not encrypted with these keys.");
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(key1, "");
    EXPECT_EQ(key2, "");
}

TEST(CipherServiceTest, FieldsRoundTripAndReportSuccess)
{
    for (const std::string& plain :
         std::vector<std::string>{"", " ", "a", "user@example.org", "p\"a,s s'\r\nword", std::string(300, 'z')}) {
        const Outcome<std::string> r10 = EncryptField(plain);
        const std::string cipher = r10.value;
        EXPECT_TRUE(r10.result.isOk());
        EXPECT_FALSE(cipher.empty());
        const Outcome<SecretString> r11 = DecryptField(cipher);
        EXPECT_EQ(r11.value, plain);
        EXPECT_TRUE(r11.result.isOk());
    }
}
