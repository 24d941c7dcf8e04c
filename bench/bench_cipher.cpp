// Cost per field of saving and loading a large account file: every field of every record goes through
// EncryptString / DecryptString (suite 1, Base64) on its own. The raw AES-256-SIV cost of the same fields, with a
// context keyed once and copied per message, is the floor to compare with.

#include "cipher/CipherService.h"

#include <openssl/evp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 32766;
constexpr int kFieldsPerRecord = 6;
constexpr int kRepetitions = 5;

using Clock = std::chrono::steady_clock;

std::vector<std::string> makeFields()
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> length(5, 40);
    std::uniform_int_distribution<int> character(32, 126);
    std::vector<std::string> fields;
    fields.reserve(static_cast<std::size_t>(kRecords) * kFieldsPerRecord);
    for (int i = 0; i < kRecords * kFieldsPerRecord; ++i) {
        std::string field(static_cast<std::size_t>(length(random)), ' ');
        for (char& c : field)
            c = static_cast<char>(character(random));
        fields.push_back(std::move(field));
    }
    return fields;
}

double nsPerField(Clock::time_point start, Clock::time_point end, std::size_t fields)
{
    return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(end - start).count()) /
           static_cast<double>(fields);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The least OpenSSL 3.0 allows per message: copy a keyed context, seal, read the tag.
struct RawSiv
{
    EVP_CIPHER* cipher = nullptr;
    EVP_CIPHER_CTX* encryptTemplate = nullptr;
    EVP_CIPHER_CTX* decryptTemplate = nullptr;
    EVP_CIPHER_CTX* work = nullptr;

    RawSiv()
    {
        unsigned char key[64];
        for (int i = 0; i < 64; ++i)
            key[i] = static_cast<unsigned char>(i * 5 + 1);
        cipher = EVP_CIPHER_fetch(nullptr, "AES-256-SIV", nullptr);
        encryptTemplate = EVP_CIPHER_CTX_new();
        decryptTemplate = EVP_CIPHER_CTX_new();
        work = EVP_CIPHER_CTX_new();
        EVP_EncryptInit_ex2(encryptTemplate, cipher, key, nullptr, nullptr);
        EVP_DecryptInit_ex2(decryptTemplate, cipher, key, nullptr, nullptr);
    }
    ~RawSiv()
    {
        EVP_CIPHER_CTX_free(work);
        EVP_CIPHER_CTX_free(decryptTemplate);
        EVP_CIPHER_CTX_free(encryptTemplate);
        EVP_CIPHER_free(cipher);
    }

    bool seal(const std::string& plain, unsigned char* out)
    {
        int length = 0, finalLength = 0;
        return EVP_CIPHER_CTX_copy(work, encryptTemplate) == 1 &&
               EVP_EncryptUpdate(work, out + 16, &length, reinterpret_cast<const unsigned char*>(plain.data()),
                                 static_cast<int>(plain.size())) == 1 &&
               EVP_EncryptFinal_ex(work, out + 16 + length, &finalLength) == 1 &&
               EVP_CIPHER_CTX_ctrl(work, EVP_CTRL_AEAD_GET_TAG, 16, out) == 1;
    }

    bool open(const unsigned char* in, int size, unsigned char* out)
    {
        int length = 0, finalLength = 0;
        return EVP_CIPHER_CTX_copy(work, decryptTemplate) == 1 &&
               EVP_CIPHER_CTX_ctrl(work, EVP_CTRL_AEAD_SET_TAG, 16, const_cast<unsigned char*>(in)) == 1 &&
               EVP_DecryptUpdate(work, out, &length, in + 16, size - 16) == 1 &&
               EVP_DecryptFinal_ex(work, out + length, &finalLength) == 1;
    }
};

} // namespace

int main()
{
    const std::vector<std::string> fields = makeFields();
    const std::size_t n = fields.size();
    std::vector<std::string> stored(n);
    std::vector<std::vector<unsigned char>> rawStored(n);
    RawSiv raw;
    std::vector<double> encryptNs, decryptNs, rawSealNs, rawOpenNs;
    std::size_t failures = 0;

    std::printf("%zu fields (%d records x %d fields of 5-40 characters), suite %d, Base64\n\n", n, kRecords,
                kFieldsPerRecord, kProgramSuite);
    std::printf("%-4s %14s %14s %14s %14s\n", "run", "encrypt ns", "decrypt ns", "raw seal ns", "raw open ns");

    for (int run = 1; run <= kRepetitions; ++run) {
        auto start = Clock::now();
        for (std::size_t i = 0; i < n; ++i) {
            SecretString text = fields[i];
            SecretString key1 = kKey1;
            SecretString key2 = kKey2;
            stored[i] = EncryptString(kProgramSuite, text, true, key1, key2).value;
        }
        auto end = Clock::now();
        encryptNs.push_back(nsPerField(start, end, n));

        start = Clock::now();
        for (std::size_t i = 0; i < n; ++i) {
            std::string text = stored[i];
            SecretString key1 = kKey1;
            SecretString key2 = kKey2;
            if (DecryptString(kProgramSuite, text, true, key1, key2).value != fields[i])
                ++failures;
        }
        end = Clock::now();
        decryptNs.push_back(nsPerField(start, end, n));

        start = Clock::now();
        for (std::size_t i = 0; i < n; ++i) {
            rawStored[i].resize(fields[i].size() + 16);
            if (!raw.seal(fields[i], rawStored[i].data()))
                ++failures;
        }
        end = Clock::now();
        rawSealNs.push_back(nsPerField(start, end, n));

        unsigned char plain[64];
        start = Clock::now();
        for (std::size_t i = 0; i < n; ++i) {
            if (!raw.open(rawStored[i].data(), static_cast<int>(rawStored[i].size()), plain))
                ++failures;
        }
        end = Clock::now();
        rawOpenNs.push_back(nsPerField(start, end, n));

        std::printf("%-4d %14.0f %14.0f %14.0f %14.0f\n", run, encryptNs.back(), decryptNs.back(), rawSealNs.back(),
                    rawOpenNs.back());
    }

    const double encrypt = median(encryptNs), decrypt = median(decryptNs);
    const double rawSeal = median(rawSealNs), rawOpen = median(rawOpenNs);
    std::printf("%-4s %14.0f %14.0f %14.0f %14.0f\n\n", "med", encrypt, decrypt, rawSeal, rawOpen);
    std::printf("service / raw: encrypt %.2fx, decrypt %.2fx (decrypt against raw open)\n", encrypt / rawSeal,
                decrypt / rawOpen);
    std::printf("whole file of %zu fields: encrypt %.0f ms, decrypt %.0f ms\n", n, encrypt * n / 1e6,
                decrypt * n / 1e6);
    if (failures > 0) {
        std::printf("FAILED: %zu fields did not round-trip\n", failures);
        return 1;
    }
    std::printf("cipher_fields encrypt_ns=%.0f decrypt_ns=%.0f raw_siv_ns=%.0f\n", encrypt, decrypt, rawSeal);
    return 0;
}
