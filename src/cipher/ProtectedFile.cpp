#include "cipher/ProtectedFile.h"

#include "cipher/CipherInternals.h"
#include "cipher/SecureWipe.h"

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

} // namespace

bool IsProtectedFile(std::string_view fileBytes)
{
    return fileBytes.starts_with(kProtectedMagic);
}

std::optional<ProtectedHeader> ReadProtectedHeader(std::string_view s, std::uint64_t machineMemory)
{
    if (s.size() < kProtectedHeaderLength || !IsProtectedFile(s))
        return std::nullopt;
    std::size_t at = kProtectedMagic.size();
    if (static_cast<unsigned char>(s[at++]) != kProtectedVersion ||
        static_cast<unsigned char>(s[at++]) != kKdfArgon2id13 ||
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

std::string FormatProtectedHeader(const ProtectedHeader& h)
{
    std::string out(kProtectedMagic);
    out.push_back(static_cast<char>(kProtectedVersion));
    out.push_back(static_cast<char>(kKdfArgon2id13));
    out.push_back(static_cast<char>(kCipherAes256Siv));
    putU32(out, h.kdf.memoryKiB);
    putU32(out, h.kdf.passes);
    putU32(out, h.kdf.lanes);
    out.append(reinterpret_cast<const char*>(h.salt.data()), h.salt.size());
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
    const std::string header = FormatProtectedHeader(protection.header);
    const Bytes associated(header.begin(), header.end());
    std::string file(header.size() + kSivLength + size, '\0');
    std::copy(header.begin(), header.end(), file.begin());
    auto* body = reinterpret_cast<unsigned char*>(file.data() + header.size());
    if (sivSeal(ctx.get(), associated, inner, size, body) != CipherComponent::Ok)
        return false;
    out = std::move(file);
    return true;
}

bool OpenProtectedFile(const LoginKey& key, std::string_view s, Bytes& inner)
{
    wipe(inner);
    // An empty cipher text is never written; OpenSSL 3.0 could not check its tag.
    if (s.size() <= kProtectedHeaderLength + kSivLength)
        return false;
    CtxPtr ctx = keyed(key, false);
    if (!ctx)
        return false;
    const Bytes associated(s.begin(), s.begin() + kProtectedHeaderLength);
    const std::size_t size = s.size() - kProtectedHeaderLength;
    Bytes plain(size - kSivLength);
    if (sivOpen(ctx.get(), associated, reinterpret_cast<const unsigned char*>(s.data()) + kProtectedHeaderLength, size,
                plain.data()) != CipherComponent::Ok) {
        wipe(plain);
        return false;
    }
    inner = std::move(plain);
    return true;
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
