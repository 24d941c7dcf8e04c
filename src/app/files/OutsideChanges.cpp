#include "app/files/OutsideChanges.h"

#include "app/AppState.h"
#include "app/files/AccountVersions.h"
#include "app/files/CRC32.h"
#include "app/files/DataFiles.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/Paths.h"
#include "base/AtomicFile.h"

#include <algorithm>
#include <dirent.h>

namespace {

std::uint32_t crcOf(const std::string& bytes)
{
    const cCRC32 crc;
    return crc.GetByteArrayCrc32(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// A name a synchronisation program gives a conflicting copy of stem.dat: it starts with the stem, ends in ".dat",
// and speaks of a conflict.
std::vector<std::string> conflictCopies(const std::string& folder, const std::string& stem)
{
    std::vector<std::string> paths;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return paths;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > stem.size() + 4 && name.compare(0, stem.size(), stem) == 0 &&
            (name[stem.size()] == '.' || name[stem.size()] == ' ') && name.ends_with(".dat") &&
            name.find("conflict") != std::string::npos && IsPlainFile(JoinPath(folder, name)))
            paths.push_back(JoinPath(folder, name));
    }
    ::closedir(dir);
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

void RememberAccountFile(AppState& state)
{
    state.accountFileSeen = IdentityOf(JoinPath(state.programFolder, kAccountFileName), state.seenIdentity);
    state.seenCrc = state.AccountFileCrc;
}

bool AccountFileChangedOutside(AppState& state)
{
    FileIdentity now;
    const bool exists = IdentityOf(JoinPath(state.programFolder, kAccountFileName), now);
    if (exists != state.accountFileSeen)
        return true;
    if (!exists || now == state.seenIdentity)
        return false;
    const Outcome<std::string> bytes = ReadWholeFile(JoinPath(state.programFolder, kAccountFileName));
    if (!bytes.result.isOk() || crcOf(bytes.value) != state.seenCrc)
        return true;
    state.seenIdentity = now; // the same bytes written anew
    return false;
}

OutsideFile ReadOutsideChange(AppState& state, const FileProtection* key, AccountTable& theirs, AccountTable& base,
                              bool& hasBase)
{
    hasBase = false;
    const std::string path = JoinPath(state.programFolder, kAccountFileName);
    if (!FileExists(path))
        return OutsideFile::Missing;
    const Outcome<std::string> bytes = ReadWholeFile(path);
    if (!bytes.result.isOk() || !ComputeStampOf(state, bytes.value).isOk())
        return OutsideFile::Unreadable;
    switch (OpenVersion(bytes.value, key, theirs)) {
    case VersionContent::OtherLogin:
        return OutsideFile::OtherLogin;
    case VersionContent::Unreadable:
        return OutsideFile::Unreadable;
    case VersionContent::Opened:
        break;
    }
    if (state.accountFileSeen) {
        for (const KeptVersion& v : ListVersions(state.programFolder)) {
            if (v.crc != state.seenCrc)
                continue;
            const Outcome<std::string> kept = ReadWholeFile(v.path);
            if (kept.result.isOk() && crcOf(kept.value) == state.seenCrc &&
                OpenVersion(kept.value, key, base) == VersionContent::Opened) {
                hasBase = true;
                break;
            }
        }
    }
    return OutsideFile::Opened;
}

std::vector<std::string> AccountFileConflictCopies(const std::string& dataFolder)
{
    return conflictCopies(dataFolder, "settings");
}

std::vector<std::string> OptionsFileConflictCopies(const std::string& dataFolder)
{
    return conflictCopies(dataFolder, "config");
}
