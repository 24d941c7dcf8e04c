#include "cipher/LoginKey.h"

#include <sodium.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// libsodium must be initialised once before use; it may be called from any thread.
bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

void appendWithLength(unsigned char*& p, std::string_view text)
{
    const auto n = static_cast<std::uint32_t>(text.size());
    *p++ = static_cast<unsigned char>(n >> 24);
    *p++ = static_cast<unsigned char>(n >> 16);
    *p++ = static_cast<unsigned char>(n >> 8);
    *p++ = static_cast<unsigned char>(n);
    std::memcpy(p, text.data(), text.size());
    p += text.size();
}

// The library's last steps pass the key through buffers on the calling thread's stack that it does not clear
// (three copies were found on a finished derivation thread's stack); this overwrites the stack below the caller's
// frame, where they were.
[[gnu::noinline]] void overwriteStackBelow()
{
    unsigned char scratch[64 * 1024];
    sodium_memzero(scratch, sizeof scratch);
    __asm__ __volatile__("" : : "r"(scratch) : "memory");
}

} // namespace

LoginKey::LoginKey()
{
    // sodium_malloc places the bytes between guard pages, locks them against swapping and overwrites them when
    // sodium_free releases them.
    if (sodiumReady())
        bytes_ = static_cast<unsigned char*>(sodium_malloc(kLength));
}

LoginKey::~LoginKey()
{
    if (bytes_)
        sodium_free(bytes_);
}

Salt RandomSalt()
{
    Salt salt{};
    if (!sodiumReady())
        throw std::runtime_error("no source of random numbers");
    randombytes_buf(salt.data(), salt.size());
    return salt;
}

bool Argon2id(unsigned char* out, std::size_t outLength, const unsigned char* secret, std::size_t secretLength,
              const unsigned char* salt, const KdfSettings& settings)
{
    if (!sodiumReady() || settings.lanes != 1)
        return false; // the library computes one lane only
    return crypto_pwhash(out, outLength, reinterpret_cast<const char*>(secret), secretLength, salt, settings.passes,
                         static_cast<std::size_t>(settings.memoryKiB) * 1024, crypto_pwhash_ALG_ARGON2ID13) == 0;
}

std::unique_ptr<LoginKey> DeriveLoginKey(const SecretString& userName, const SecretString& password1,
                                         const SecretString& padDigits, const Salt& salt, const KdfSettings& settings)
{
    auto key = std::make_unique<LoginKey>();
    if (!key->valid())
        return nullptr;
    const std::size_t length = 12 + userName.size() + password1.size() + padDigits.size();
    // The joined secret lives in locked memory too, and is overwritten as soon as the key is derived.
    auto* joined = static_cast<unsigned char*>(sodium_malloc(length));
    if (!joined)
        return nullptr;
    unsigned char* p = joined;
    appendWithLength(p, userName.view());
    appendWithLength(p, password1.view());
    appendWithLength(p, padDigits.view());
    const bool ok = Argon2id(key->bytes_, LoginKey::kLength, joined, length, salt.data(), settings);
    sodium_memzero(joined, length);
    sodium_free(joined);
    overwriteStackBelow();
    if (!ok)
        return nullptr;
    // Nothing writes the key again; sodium_free makes it writable to overwrite it.
    sodium_mprotect_readonly(key->bytes_);
    return key;
}
