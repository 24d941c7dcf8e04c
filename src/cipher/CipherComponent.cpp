#include "cipher/CipherComponent.h"

#include "cipher/CipherInternals.h"
#include "cipher/SecureWipe.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace cipher_internal {

void forget(CachedKey& entry)
{
    wipe(entry.key1);
    wipe(entry.key2);
    entry.encryptTemplate.reset();
    entry.decryptTemplate.reset();
}

// Process-wide, for the one user-interface thread. Never destroyed as a static: its contexts must be freed
// before OpenSSL cleans up at exit, which the exit handler installed after OpenSSL's own takes care of.
struct KeyCache
{
    CipherPtr aes256Siv;
    std::vector<CachedKey> entries; // most recently used first
    CtxPtr work;                    // the per-message copy, reused to spare an allocation
    bool exitHandlerInstalled = false;
};

KeyCache& keyCache()
{
    static KeyCache* cache = [] {
        auto* created = new KeyCache;
        // Room for every entry up front: a reallocation would leave copies of the keys behind.
        created->entries.reserve(kCacheEntries);
        return created;
    }();
    return *cache;
}

void wipeAtExit()
{
    CipherComponent::wipeKeyCache();
}

int fail(int status)
{
    ERR_clear_error();
    return status;
}

bool fitsInt(std::size_t n)
{
    return n <= static_cast<std::size_t>(INT_MAX) - kSivLength;
}

// HKDF-SHA-256 over both key strings; the algorithm id goes into the context so that each algorithm gets a key
// of its own. Key1's length comes first so that the split between the two strings cannot be moved.
bool deriveKey(int algorithmId, std::string_view key1, std::string_view key2, unsigned char* out)
{
    EVP_KDF* kdf = EVP_KDF_fetch(nullptr, "HKDF", nullptr);
    if (kdf == nullptr)
        return false;
    EVP_KDF_CTX* kctx = EVP_KDF_CTX_new(kdf);
    EVP_KDF_free(kdf);
    if (kctx == nullptr)
        return false;

    SecretBuffer ikm(4 + key1.size() + key2.size());
    const auto length1 = static_cast<std::uint32_t>(key1.size());
    unsigned char* p = ikm.data();
    *p++ = static_cast<unsigned char>(length1 >> 24);
    *p++ = static_cast<unsigned char>(length1 >> 16);
    *p++ = static_cast<unsigned char>(length1 >> 8);
    *p++ = static_cast<unsigned char>(length1);
    p = std::copy(key1.begin(), key1.end(), p);
    std::copy(key2.begin(), key2.end(), p);

    static const char kLabel[] = "Coffernote AES-SIV key, algorithm ";
    std::array<unsigned char, sizeof kLabel - 1 + 4> info{};
    std::copy(kLabel, kLabel + sizeof kLabel - 1, info.begin());
    const auto id = static_cast<std::uint32_t>(algorithmId);
    for (int i = 0; i < 4; ++i)
        info[sizeof kLabel - 1 + i] = static_cast<unsigned char>(id >> (24 - 8 * i));

    char digest[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, ikm.data(), ikm.size()),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, info.data(), info.size()),
        OSSL_PARAM_construct_end(),
    };
    const bool ok = EVP_KDF_derive(kctx, out, kDerivedKeyLength, params) == 1;
    EVP_KDF_CTX_free(kctx);
    return ok;
}

// The keyed contexts for (id, keys): found in the cache, or derived once and added to it.
const CachedKey* keyFor(int algorithmId, std::string_view key1, std::string_view key2)
{
    KeyCache& cache = keyCache();
    for (std::size_t i = 0; i < cache.entries.size(); ++i) {
        CachedKey& entry = cache.entries[i];
        if (entry.algorithmId == algorithmId && entry.key2 == key2 && entry.key1 == key1) {
            if (i > 0)
                std::rotate(cache.entries.begin(), cache.entries.begin() + static_cast<std::ptrdiff_t>(i),
                            cache.entries.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return &cache.entries.front();
        }
    }

    if (!cache.aes256Siv) {
        cache.aes256Siv.reset(EVP_CIPHER_fetch(nullptr, "AES-256-SIV", nullptr));
        if (!cache.aes256Siv)
            return nullptr;
    }
    if (!cache.exitHandlerInstalled) {
        // Registered after OpenSSL's own exit handler, so it runs first.
        cache.exitHandlerInstalled = std::atexit(wipeAtExit) == 0;
    }

    CachedKey entry;
    entry.algorithmId = algorithmId;
    entry.encryptTemplate.reset(EVP_CIPHER_CTX_new());
    entry.decryptTemplate.reset(EVP_CIPHER_CTX_new());
    if (!entry.encryptTemplate || !entry.decryptTemplate)
        return nullptr;
    {
        SecretBuffer derived(kDerivedKeyLength);
        if (!deriveKey(algorithmId, key1, key2, derived.data()))
            return nullptr;
        if (EVP_EncryptInit_ex2(entry.encryptTemplate.get(), cache.aes256Siv.get(), derived.data(), nullptr, nullptr) !=
                1 ||
            EVP_DecryptInit_ex2(entry.decryptTemplate.get(), cache.aes256Siv.get(), derived.data(), nullptr, nullptr) !=
                1)
            return nullptr;
    }
    entry.key1 = key1;
    entry.key2 = key2;

    if (cache.entries.size() >= kCacheEntries) {
        forget(cache.entries.back());
        cache.entries.pop_back();
    }
    cache.entries.insert(cache.entries.begin(), std::move(entry));
    return &cache.entries.front();
}

EVP_CIPHER_CTX* copyOf(const EVP_CIPHER_CTX* keyed)
{
    KeyCache& cache = keyCache();
    if (!cache.work) {
        cache.work.reset(EVP_CIPHER_CTX_new());
        if (!cache.work)
            return nullptr;
    }
    return EVP_CIPHER_CTX_copy(cache.work.get(), keyed) == 1 ? cache.work.get() : nullptr;
}

// out receives the SIV and then the cipher text: room for size + 16 bytes.
int sivSeal(EVP_CIPHER_CTX* ctx, const Bytes& associatedData, const unsigned char* plain, std::size_t size,
            unsigned char* out)
{
    if (!fitsInt(size) || associatedData.size() > static_cast<std::size_t>(INT_MAX))
        return fail(CipherComponent::InternalError);
    int length = 0;
    if (!associatedData.empty() &&
        EVP_EncryptUpdate(ctx, nullptr, &length, associatedData.data(), static_cast<int>(associatedData.size())) != 1)
        return fail(CipherComponent::InternalError);
    if (EVP_EncryptUpdate(ctx, out + kSivLength, &length, plain, static_cast<int>(size)) != 1 ||
        static_cast<std::size_t>(length) != size)
        return fail(CipherComponent::InternalError);
    int finalLength = 0;
    // Also fails for an empty plain text on OpenSSL 3.0, whose tag would be left unset.
    if (EVP_EncryptFinal_ex(ctx, out + kSivLength + length, &finalLength) != 1 || finalLength != 0)
        return fail(CipherComponent::InternalError);
    if (EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_GET_TAG, static_cast<int>(kSivLength), out) != 1)
        return fail(CipherComponent::InternalError);
    return CipherComponent::Ok;
}

// out receives size - 16 bytes of plain text, valid only when Ok is returned.
int sivOpen(EVP_CIPHER_CTX* ctx, const Bytes& associatedData, const unsigned char* cipher, std::size_t size,
            unsigned char* out)
{
    if (size < kSivLength)
        return fail(CipherComponent::AuthenticationFailed);
    if (!fitsInt(size) || associatedData.size() > static_cast<std::size_t>(INT_MAX))
        return fail(CipherComponent::InternalError);
    std::array<unsigned char, kSivLength> tag{};
    std::copy(cipher, cipher + kSivLength, tag.begin());
    if (EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_SET_TAG, static_cast<int>(kSivLength), tag.data()) != 1)
        return fail(CipherComponent::InternalError);
    int length = 0;
    if (!associatedData.empty() &&
        EVP_DecryptUpdate(ctx, nullptr, &length, associatedData.data(), static_cast<int>(associatedData.size())) != 1)
        return fail(CipherComponent::InternalError);
    const std::size_t textSize = size - kSivLength;
    // A null output would turn the update into associated data.
    unsigned char none = 0;
    if (out == nullptr)
        out = &none;
    if (EVP_DecryptUpdate(ctx, out, &length, cipher + kSivLength, static_cast<int>(textSize)) != 1 ||
        static_cast<std::size_t>(length) != textSize)
        return fail(CipherComponent::AuthenticationFailed);
    int finalLength = 0;
    if (EVP_DecryptFinal_ex(ctx, out + length, &finalLength) != 1 || finalLength != 0)
        return fail(CipherComponent::AuthenticationFailed);
    return CipherComponent::Ok;
}

int checkArguments(int algorithmId, std::string_view key2)
{
    if (algorithmId != kSivAlgorithm)
        return CipherComponent::UnsupportedAlgorithm;
    if (key2.size() < kMinKey2Length)
        return CipherComponent::BadKey;
    return CipherComponent::Ok;
}

int encryptMessage(int algorithmId, std::string_view key1, std::string_view key2, const unsigned char* plain,
                   std::size_t size, Bytes& result)
{
    if (int status = checkArguments(algorithmId, key2); status != CipherComponent::Ok)
        return status;
    if (!fitsInt(size + 1))
        return CipherComponent::InternalError;
    const CachedKey* key = keyFor(algorithmId, key1, key2);
    if (key == nullptr)
        return fail(CipherComponent::InternalError);
    EVP_CIPHER_CTX* ctx = copyOf(key->encryptTemplate.get());
    if (ctx == nullptr)
        return fail(CipherComponent::InternalError);

    SecretBuffer message(size + 1);
    message.data()[0] = kMessagePrefix;
    std::copy(plain, plain + size, message.data() + 1);
    Bytes out(kSivLength + message.size());
    const int status = sivSeal(ctx, {}, message.data(), message.size(), out.data());
    if (status == CipherComponent::Ok)
        result = std::move(out);
    else
        result.clear();
    return status;
}

// Hands the plain text to take() only when it is authentic.
template <typename Take>
int decryptMessage(int algorithmId, std::string_view key1, std::string_view key2, const Bytes& data, Take take)
{
    if (int status = checkArguments(algorithmId, key2); status != CipherComponent::Ok)
        return status;
    if (data.size() < kSivLength + 1)
        return CipherComponent::AuthenticationFailed;
    const CachedKey* key = keyFor(algorithmId, key1, key2);
    if (key == nullptr)
        return fail(CipherComponent::InternalError);
    EVP_CIPHER_CTX* ctx = copyOf(key->decryptTemplate.get());
    if (ctx == nullptr)
        return fail(CipherComponent::InternalError);

    SecretBuffer message(data.size() - kSivLength);
    const int status = sivOpen(ctx, {}, data.data(), data.size(), message.data());
    if (status != CipherComponent::Ok)
        return status;
    if (message.data()[0] != kMessagePrefix)
        return CipherComponent::AuthenticationFailed;
    take(message.data() + 1, message.size() - 1);
    return CipherComponent::Ok;
}

CipherPtr fetchRawSiv(std::size_t keySize)
{
    const char* name = keySize == 32   ? "AES-128-SIV"
                       : keySize == 48 ? "AES-192-SIV"
                       : keySize == 64 ? "AES-256-SIV"
                                       : nullptr;
    return CipherPtr(name == nullptr ? nullptr : EVP_CIPHER_fetch(nullptr, name, nullptr));
}

} // namespace cipher_internal

using namespace cipher_internal;

int CipherComponent::Encrypt(int algorithmId, std::string_view key1, std::string_view key2, const Bytes& data,
                             Bytes& result)
{
    return encryptMessage(algorithmId, key1, key2, data.data(), data.size(), result);
}

int CipherComponent::Decrypt(int algorithmId, std::string_view key1, std::string_view key2, const Bytes& data,
                             Bytes& result)
{
    const int status = decryptMessage(algorithmId, key1, key2, data,
                                      [&](const unsigned char* p, std::size_t n) { result.assign(p, p + n); });
    if (status != Ok)
        wipe(result);
    return status;
}

int CipherComponent::EncryptStr(int algorithmId, std::string_view key1, std::string_view key2, std::string_view text,
                                Bytes& result)
{
    return encryptMessage(algorithmId, key1, key2, reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                          result);
}

int CipherComponent::DecryptStr(int algorithmId, std::string_view key1, std::string_view key2, const Bytes& data,
                                SecretString& result)
{
    const int status = decryptMessage(algorithmId, key1, key2, data, [&](const unsigned char* p, std::size_t n) {
        result.assign(std::string_view(reinterpret_cast<const char*>(p), n));
    });
    if (status != Ok)
        wipe(result);
    return status;
}

void CipherComponent::wipeKeyCache()
{
    KeyCache& cache = keyCache();
    for (CachedKey& entry : cache.entries)
        forget(entry);
    cache.entries.clear();
    cache.work.reset();
    cache.aes256Siv.reset();
}

const char* CipherComponent::describe(int status)
{
    switch (status) {
    case Ok:
        return "The operation completed successfully.";
    case UnsupportedAlgorithm:
        return "The cipher algorithm is not supported.";
    case AuthenticationFailed:
        return "The data cannot be decrypted: it is damaged or was not encrypted with these keys.";
    case InternalError:
        return "The cipher library failed.";
    case BadKey:
        return "The second key must be at least 8 characters long.";
    default:
        return "Unknown cipher error.";
    }
}

int CipherComponent::sivEncryptRaw(const Bytes& key, const Bytes& associatedData, const Bytes& plain, Bytes& result)
{
    CipherPtr cipher = fetchRawSiv(key.size());
    if (!cipher)
        return fail(key.size() == 32 || key.size() == 48 || key.size() == 64 ? InternalError : BadKey);
    CtxPtr ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_EncryptInit_ex2(ctx.get(), cipher.get(), key.data(), nullptr, nullptr) != 1)
        return fail(InternalError);
    Bytes out(kSivLength + plain.size());
    const int status = sivSeal(ctx.get(), associatedData, plain.data(), plain.size(), out.data());
    if (status == Ok)
        result = std::move(out);
    else
        result.clear();
    return status;
}

int CipherComponent::sivDecryptRaw(const Bytes& key, const Bytes& associatedData, const Bytes& cipherText,
                                   Bytes& result)
{
    CipherPtr cipher = fetchRawSiv(key.size());
    if (!cipher)
        return fail(key.size() == 32 || key.size() == 48 || key.size() == 64 ? InternalError : BadKey);
    if (cipherText.size() < kSivLength)
        return AuthenticationFailed;
    CtxPtr ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_DecryptInit_ex2(ctx.get(), cipher.get(), key.data(), nullptr, nullptr) != 1)
        return fail(InternalError);
    Bytes out(cipherText.size() - kSivLength);
    const int status = sivOpen(ctx.get(), associatedData, cipherText.data(), cipherText.size(), out.data());
    if (status == Ok) {
        result = std::move(out);
    } else {
        wipe(out);
        wipe(result);
    }
    return status;
}
