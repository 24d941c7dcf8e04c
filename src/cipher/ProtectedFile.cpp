#include "cipher/ProtectedFile.h"

#include "cipher/CipherInternals.h"
#include "cipher/SecureWipe.h"

#include <openssl/hmac.h>

#include <unistd.h>

using namespace cipher_internal;

namespace {

void putU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF)); // little-endian
}

std::uint32_t getU32(std::string_view s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

std::uint64_t physicalMemory()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

CtxPtr keyed(const LoginKey& key, bool encrypt)
{
    CipherPtr cipher(EVP_CIPHER_fetch(nullptr, "AES-256-SIV", nullptr));
    CtxPtr ctx(EVP_CIPHER_CTX_new());
    if (!cipher || !ctx)
        return nullptr;
    const int ok = encrypt ? EVP_EncryptInit_ex2(ctx.get(), cipher.get(), key.data(), nullptr, nullptr)
                           : EVP_DecryptInit_ex2(ctx.get(), cipher.get(), key.data(), nullptr, nullptr);
    return ok == 1 ? std::move(ctx) : nullptr;
}

// What a header of this version is long; 0 for a version this one does not read.
std::size_t headerLengthOf(unsigned char version)
{
    return version == 1 ? kProtectedHeaderLengthV1 : version == kProtectedVersion ? kProtectedHeaderLength : 0;
}

unsigned char versionOf(std::string_view s)
{
    return s.size() > kProtectedMagic.size() ? static_cast<unsigned char>(s[kProtectedMagic.size()]) : 0;
}

// The first kHeaderDigestLength bytes of the SHA-256 of the header before them: it tells a damaged header, before
// any derivation, from a wrong login. Anyone can recompute it; the key check and the SIV are what authenticate.
bool headerDigest(std::string_view head, unsigned char* out)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(head.data(), head.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1)
        return false;
    std::copy_n(digest.begin(), kHeaderDigestLength, out);
    return true;
}

// The key's check value: HMAC-SHA-256 keyed with the 64-byte key over a fixed label, cut to kKeyCheckLength bytes.
// It shows whether a key is the file's without opening the body, and tells nothing about the key itself.
constexpr std::string_view kKeyCheckLabel = "Coffernote key check";

bool keyCheck(const LoginKey& key, unsigned char* out)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
    unsigned int length = 0;
    if (!HMAC(EVP_sha256(), key.data(), static_cast<int>(LoginKey::kLength),
              reinterpret_cast<const unsigned char*>(kKeyCheckLabel.data()), kKeyCheckLabel.size(), mac.data(),
              &length))
        return false;
    std::copy_n(mac.begin(), kKeyCheckLength, out);
    OPENSSL_cleanse(mac.data(), mac.size());
    return true;
}

} // namespace

bool IsProtectedFile(std::string_view fileBytes)
{
    return fileBytes.starts_with(kProtectedMagic);
}

std::optional<ProtectedHeader> ReadProtectedHeader(std::string_view s, std::uint64_t machineMemory)
{
    const std::size_t headerLength = headerLengthOf(versionOf(s));
    if (!IsProtectedFile(s) || headerLength == 0 || s.size() < headerLength)
        return std::nullopt;
    if (headerLength == kProtectedHeaderLength) {
        std::array<unsigned char, kHeaderDigestLength> digest{};
        const std::size_t digestAt = kProtectedHeaderLength - kHeaderDigestLength;
        if (!headerDigest(s.substr(0, digestAt), digest.data()) ||
            !std::equal(digest.begin(), digest.end(), reinterpret_cast<const unsigned char*>(s.data()) + digestAt))
            return std::nullopt;
    }
    std::size_t at = kProtectedMagic.size() + 1;
    if (static_cast<unsigned char>(s[at++]) != kKdfArgon2id13 ||
        static_cast<unsigned char>(s[at++]) != kCipherAes256Siv)
        return std::nullopt;
    ProtectedHeader h;
    h.kdf.memoryKiB = getU32(s, at);
    h.kdf.passes = getU32(s, at + 4);
    h.kdf.lanes = getU32(s, at + 8);
    at += 12;
    for (std::size_t i = 0; i < kSaltLength; ++i)
        h.salt[i] = static_cast<unsigned char>(s[at + i]);

    if (machineMemory == 0)
        machineMemory = physicalMemory();
    const std::uint64_t memory = std::uint64_t{h.kdf.memoryKiB} * 1024;
    if (h.kdf.memoryKiB < kMinKdfMemoryKiB || h.kdf.memoryKiB > kMaxKdfMemoryKiB ||
        (machineMemory != 0 && memory > machineMemory / 2))
        return std::nullopt;
    if (h.kdf.passes < 1 || h.kdf.passes > kMaxKdfPasses || h.kdf.lanes != 1)
        return std::nullopt;
    return h;
}

std::string FormatProtectedHeader(const ProtectedHeader& h, const LoginKey& key)
{
    std::string out(kProtectedMagic);
    out.push_back(static_cast<char>(kProtectedVersion));
    out.push_back(static_cast<char>(kKdfArgon2id13));
    out.push_back(static_cast<char>(kCipherAes256Siv));
    putU32(out, h.kdf.memoryKiB);
    putU32(out, h.kdf.passes);
    putU32(out, h.kdf.lanes);
    out.append(reinterpret_cast<const char*>(h.salt.data()), h.salt.size());
    std::array<unsigned char, kKeyCheckLength + kHeaderDigestLength> tail{};
    if (!keyCheck(key, tail.data()))
        return {};
    out.append(reinterpret_cast<const char*>(tail.data()), kKeyCheckLength);
    if (!headerDigest(out, tail.data() + kKeyCheckLength))
        return {};
    out.append(reinterpret_cast<const char*>(tail.data()) + kKeyCheckLength, kHeaderDigestLength);
    return out;
}

std::size_t ProtectedFileLength(std::size_t size)
{
    return kProtectedHeaderLength + kSivLength + size;
}

bool SealProtectedFile(const FileProtection& protection, const unsigned char* inner, std::size_t size, std::string& out)
{
    if (!protection.key || size == 0)
        return false;
    CtxPtr ctx = keyed(*protection.key, true);
    if (!ctx)
        return false;
    const std::string header = FormatProtectedHeader(protection.header, *protection.key);
    if (header.empty())
        return false;
    const Bytes associated(header.begin(), header.end());
    std::string file(header.size() + kSivLength + size, '\0');
    std::copy(header.begin(), header.end(), file.begin());
    auto* body = reinterpret_cast<unsigned char*>(file.data() + header.size());
    if (sivSeal(ctx.get(), associated, inner, size, body) != CipherComponent::Ok)
        return false;
    out = std::move(file);
    return true;
}

ProtectedOpening OpenProtectedFile(const LoginKey& key, std::string_view s, Bytes& inner)
{
    wipe(inner);
    const std::size_t headerLength = headerLengthOf(versionOf(s));
    // A version 01 file has no check value: only the body can tell the key, and a damaged body looks like
    // another login.
    ProtectedOpening failed = ProtectedOpening::WrongKey;
    if (headerLength == kProtectedHeaderLength && s.size() >= headerLength) {
        std::array<unsigned char, kKeyCheckLength> check{};
        const auto* stored = reinterpret_cast<const unsigned char*>(s.data()) + kProtectedHeaderLengthV1;
        if (!keyCheck(key, check.data()) || CRYPTO_memcmp(check.data(), stored, kKeyCheckLength) != 0)
            return ProtectedOpening::WrongKey;
        failed = ProtectedOpening::Damaged;
    }
    // An empty cipher text is never written; OpenSSL 3.0 could not check its tag.
    if (headerLength == 0 || s.size() <= headerLength + kSivLength)
        return failed;
    CtxPtr ctx = keyed(key, false);
    if (!ctx)
        return failed;
    const Bytes associated(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(headerLength));
    const std::size_t size = s.size() - headerLength;
    Bytes plain(size - kSivLength);
    if (sivOpen(ctx.get(), associated, reinterpret_cast<const unsigned char*>(s.data()) + headerLength, size,
                plain.data()) != CipherComponent::Ok) {
        wipe(plain);
        return failed;
    }
    inner = std::move(plain);
    return ProtectedOpening::Opened;
}

std::unique_ptr<FileProtection> ProtectionFor(const ProtectedHeader& header, const SecretString& userName,
                                              const SecretString& password1, const SecretString& padDigits)
{
    auto protection = std::make_unique<FileProtection>();
    protection->header = header;
    protection->key = DeriveLoginKey(userName, password1, padDigits, header.salt, header.kdf);
    if (!protection->key)
        return nullptr;
    return protection;
}

std::unique_ptr<FileProtection> NewProtection(const KdfSettings& settings, const SecretString& userName,
                                              const SecretString& password1, const SecretString& padDigits)
{
    return ProtectionFor({settings, RandomSalt()}, userName, password1, padDigits);
}
