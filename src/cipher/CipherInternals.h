#pragma once

// What the cipher component's files share: the SIV primitives, the cached keys and the scratch buffer. Internal to
// src/cipher; nothing outside includes it.
#include "cipher/Bytes.h"
#include "cipher/CipherComponent.h"
#include "cipher/SecretString.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <string_view>

namespace cipher_internal {

constexpr int kSivAlgorithm = 3;
constexpr std::size_t kSivLength = 16;
constexpr std::size_t kDerivedKeyLength = 64;
constexpr std::size_t kMinKey2Length = 8;
constexpr std::size_t kCacheEntries = 4;

// OpenSSL 3.0 skips an empty update and then cannot compute the SIV of an empty plain text, so every message
// starts with this fixed byte. It is encrypted and authenticated with the rest and checked on the way back.
constexpr unsigned char kMessagePrefix = 0x01;

struct CtxDeleter
{
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CtxPtr = std::unique_ptr<EVP_CIPHER_CTX, CtxDeleter>;

struct CipherDeleter
{
    void operator()(EVP_CIPHER* cipher) const { EVP_CIPHER_free(cipher); }
};
using CipherPtr = std::unique_ptr<EVP_CIPHER, CipherDeleter>;

// Scratch room for a secret, on the stack when it is small; overwritten when it goes.
class SecretBuffer
{
public:
    explicit SecretBuffer(std::size_t size) : size_(size)
    {
        if (size_ > local_.size())
            heap_.resize(size_);
    }
    ~SecretBuffer()
    {
        OPENSSL_cleanse(local_.data(), std::min(size_, local_.size()));
        wipe(heap_);
    }
    SecretBuffer(const SecretBuffer&) = delete;
    SecretBuffer& operator=(const SecretBuffer&) = delete;

    unsigned char* data() { return size_ > local_.size() ? heap_.data() : local_.data(); }
    std::size_t size() const { return size_; }

private:
    std::size_t size_;
    std::array<unsigned char, 256> local_;
    Bytes heap_;
};

// One derived key, kept as two keyed contexts: OpenSSL 3.0 lets an SIV context handle a single message, so each
// message works on a copy of these, which is far cheaper than keying a context again.
struct CachedKey
{
    int algorithmId = 0;
    SecretString key1;
    SecretString key2;
    CtxPtr encryptTemplate;
    CtxPtr decryptTemplate;
};

int fail(int status);
bool fitsInt(std::size_t n);
bool deriveKey(int algorithmId, std::string_view key1, std::string_view key2, unsigned char* out);
const CachedKey* keyFor(int algorithmId, std::string_view key1, std::string_view key2);
int sivSeal(EVP_CIPHER_CTX* ctx, const Bytes& associatedData, const unsigned char* plain, std::size_t size,
            unsigned char* out);
int sivOpen(EVP_CIPHER_CTX* ctx, const Bytes& associatedData, const unsigned char* cipher, std::size_t size,
            unsigned char* out);
int checkArguments(int algorithmId, std::string_view key2);

} // namespace cipher_internal
