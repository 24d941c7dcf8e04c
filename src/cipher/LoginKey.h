#pragma once

#include "cipher/SecretString.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

// The settings of the slow, memory-hard derivation (Argon2id, version 1.3) of a protected account file's key.
struct KdfSettings
{
    std::uint32_t memoryKiB = 0;
    std::uint32_t passes = 0;
    std::uint32_t lanes = 0;

    bool operator==(const KdfSettings&) const = default;
    // Weaker than wanted in memory or passes: the next save derives anew.
    bool below(const KdfSettings& wanted) const { return memoryKiB < wanted.memoryKiB || passes < wanted.passes; }
};

// 128 MiB and 3 passes take about half a second on a two-core machine of 2026; 64 MiB stayed under 0.2 s, too
// cheap for a guesser.
inline constexpr KdfSettings kDefaultKdf{128 * 1024, 3, 1};

inline constexpr std::size_t kSaltLength = 16;
using Salt = std::array<unsigned char, kSaltLength>;

class LoginKey;

// The key of a login: Argon2id over the user name, the first password and the pad digits, each preceded by its
// length (four bytes, big-endian), so that "ab"+"c" and "a"+"bc" differ. The joined secret is overwritten at once.
// Null when the derivation failed (no memory). Safe to run on any thread: it touches nothing shared.
std::unique_ptr<LoginKey> DeriveLoginKey(const SecretString& userName, const SecretString& password1,
                                         const SecretString& padDigits, const Salt& salt, const KdfSettings& settings);

// The 64 bytes of an AES-256-SIV key, in the one place they exist: memory of their own, between guard pages,
// derived straight into it, read-only once written, and overwritten when the key goes. Locking it against swapping
// is best effort: where the locked-memory limit is spent, the key is still kept, unlocked.
class LoginKey
{
public:
    static constexpr std::size_t kLength = 64;

    LoginKey();
    ~LoginKey();
    LoginKey(const LoginKey&) = delete;
    LoginKey& operator=(const LoginKey&) = delete;

    // False when the memory could not be had.
    bool valid() const { return bytes_ != nullptr; }
    const unsigned char* data() const { return bytes_; }

private:
    friend std::unique_ptr<LoginKey> DeriveLoginKey(const SecretString&, const SecretString&, const SecretString&,
                                                    const Salt&, const KdfSettings&);
    unsigned char* bytes_ = nullptr;
};

// A fresh random salt.
Salt RandomSalt();

// The plain Argon2id of the library, for its known answers: out receives outLength bytes.
bool Argon2id(unsigned char* out, std::size_t outLength, const unsigned char* secret, std::size_t secretLength,
              const unsigned char* salt, const KdfSettings& settings);
