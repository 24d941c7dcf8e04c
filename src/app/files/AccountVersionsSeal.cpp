// Kept versions sealed anew when the account file comes under a new login, so that no copy readable without the
// login outlives that choice.
#include "app/files/AccountVersions.h"

#include "app/files/Paths.h"
#include "base/AtomicFile.h"
#include "cipher/Base64.h"
#include "cipher/CipherService.h"
#include "cipher/ProtectedFile.h"
#include "cipher/SecureWipe.h"

#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <unistd.h>

namespace {

constexpr std::string_view kSealedSuffix = ".sealed";

bool sealedUnder(const std::string& bytes, const FileProtection& protection)
{
    const std::optional<ProtectedHeader> header = IsProtectedFile(bytes) ? ReadProtectedHeader(bytes) : std::nullopt;
    return header && *header == protection.header;
}

// The inner text of a version, opened with the key it was sealed under (previous) or the program's keys.
bool innerOf(const std::string& bytes, const FileProtection* previous, Bytes& inner)
{
    if (IsProtectedFile(bytes))
        return previous && previous->key && sealedUnder(bytes, *previous) &&
               OpenProtectedFile(*previous->key, bytes, inner) == ProtectedOpening::Opened;
    std::optional<Bytes> cipher = Base64Decode(bytes);
    if (!cipher)
        return false;
    SecretString key1 = kKey1, key2 = kKey2;
    Outcome<Bytes> opened = DecryptBytes(kProgramSuite, *cipher, key1, key2);
    if (!opened.result.isOk())
        return false;
    inner = std::move(opened.value);
    return true;
}

std::vector<std::string> sealedFiles(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > kSealedSuffix.size() && name.ends_with(kSealedSuffix))
                names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

} // namespace

Result SealVersionsAnew(const std::string& dataFolder, const FileProtection& protection, const FileProtection* previous)
{
    for (const KeptVersion& v : ListVersions(dataFolder)) {
        Outcome<std::string> bytes = ReadWholeFile(v.path);
        if (!bytes.result.isOk() || sealedUnder(bytes.value, protection))
            continue;
        Bytes inner;
        const bool opened = innerOf(bytes.value, previous, inner);
        std::string().swap(bytes.value);
        if (!opened)
            continue; // another login's, or damaged: it stays as it is
        std::string sealed;
        const bool ok = SealProtectedFile(protection, inner.data(), inner.size(), sealed);
        wipe(inner);
        if (!ok)
            return Result::failed("cannot seal the earlier version " + v.path + " anew");
        if (Result written = WriteVersion(dataFolder, v.name + std::string(kSealedSuffix), sealed); !written.isOk())
            return written;
    }
    return Result::ok();
}

void SettleSealedVersions(const std::string& dataFolder, const FileProtection* current)
{
    const std::string folder = VersionsFolder(dataFolder);
    bool changed = false;
    for (const std::string& name : sealedFiles(folder)) {
        const std::string path = JoinPath(folder, name);
        const Outcome<std::string> bytes = ReadWholeFile(path);
        const std::string version = JoinPath(folder, name.substr(0, name.size() - kSealedSuffix.size()));
        if (current && bytes.result.isOk() && sealedUnder(bytes.value, *current))
            changed |= std::rename(path.c_str(), version.c_str()) == 0;
        else
            changed |= ::unlink(path.c_str()) == 0;
    }
    if (changed)
        (void)SyncFolder(folder);
}

bool FileSealedUnder(const std::string& path, const FileProtection& protection)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(kProtectedHeaderLength, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return sealedUnder(head, protection);
}
