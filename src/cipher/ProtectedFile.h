#pragma once

#include "cipher/Bytes.h"
#include "cipher/LoginKey.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// An account file protected by a key derived from the login: a clear header that names the derivation's settings
// and salt, then the AES-256-SIV encryption of the inner text, with the header as associated data (so the header
// cannot be changed unnoticed). Since version 02 the header also holds a check value of the key, so that a wrong
// login is told from a damaged body, and a digest of its own bytes, so that a damaged header is refused before any
// derivation. docs/file-format.md gives the layout byte by byte.
inline constexpr std::string_view kProtectedMagic = "%Coffernote"; // '%' is no Base64 letter
inline constexpr unsigned char kProtectedVersion = 2;              // written; version 1 is still read
inline constexpr unsigned char kKdfArgon2id13 = 1;
inline constexpr unsigned char kCipherAes256Siv = 1;
inline constexpr std::size_t kKeyCheckLength = 16;
inline constexpr std::size_t kHeaderDigestLength = 4;
inline constexpr std::size_t kProtectedHeaderLengthV1 = 42;
inline constexpr std::size_t kProtectedHeaderLength = kProtectedHeaderLengthV1 + kKeyCheckLength + kHeaderDigestLength;

// Bounds a header must keep before anything is allocated or derived: a crafted file must not hang the machine.
inline constexpr std::uint32_t kMinKdfMemoryKiB = 8 * 1024;
inline constexpr std::uint32_t kMaxKdfMemoryKiB = 1024 * 1024;
inline constexpr std::uint32_t kMaxKdfPasses = 10;

// The settings and salt the key is derived with: two files with equal headers open with the same key, whatever
// their version.
struct ProtectedHeader
{
    KdfSettings kdf;
    Salt salt{};
    bool operator==(const ProtectedHeader&) const = default;
};

// The key of a protected file and the header it was derived for; every save writes under them.
struct FileProtection
{
    ProtectedHeader header;
    std::unique_ptr<LoginKey> key;
};

// The file starts with the magic: it is a protected file, whole or not.
bool IsProtectedFile(std::string_view fileBytes);

// The header, when its magic, version and algorithms are known, its digest (version 02) right and its settings
// within bounds (memory at most half of machineMemory bytes; 0 asks the machine's physical memory). Nothing is
// allocated or derived for a file refused here.
std::optional<ProtectedHeader> ReadProtectedHeader(std::string_view fileBytes, std::uint64_t machineMemory = 0);
// The header as a save writes it (version 02), with the check value of key; empty when it cannot be computed.
std::string FormatProtectedHeader(const ProtectedHeader& header, const LoginKey& key);

// The length of the file SealProtectedFile makes of size bytes of inner layer.
std::size_t ProtectedFileLength(std::size_t size);

// The whole file: the header, then the SIV and the cipher text of inner (never empty).
bool SealProtectedFile(const FileProtection& protection, const unsigned char* inner, std::size_t size,
                       std::string& out);
enum class ProtectedOpening {
    Opened,   // authentic under the key: the right login, no byte changed
    WrongKey, // another login; in a version 01 file, which has no check value, also any changed byte
    Damaged,  // the header's check value names this key, yet the body does not authenticate
};
// Opens the file with the key; inner receives the inner text when Opened and is left empty otherwise.
ProtectedOpening OpenProtectedFile(const LoginKey& key, std::string_view fileBytes, Bytes& inner);

// Derives the key for header's settings and salt; null when memory is short.
std::unique_ptr<FileProtection> ProtectionFor(const ProtectedHeader& header, const SecretString& userName,
                                              const SecretString& password1, const SecretString& padDigits);
// A new salt and the given settings: for a new login.
std::unique_ptr<FileProtection> NewProtection(const KdfSettings& settings, const SecretString& userName,
                                              const SecretString& password1, const SecretString& padDigits);
