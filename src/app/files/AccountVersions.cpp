#include "app/files/AccountVersions.h"

#include "app/files/AccountFile.h"
#include "app/files/CRC32.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/Paths.h"
#include "base/AtomicFile.h"
#include "cipher/Base64.h"
#include "cipher/CipherService.h"
#include "cipher/ProtectedFile.h"
#include "cipher/SecureWipe.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kNameLength = 42; // "settings-YYYYMMDD-HHMMSS.mmmZ-CRC.dat"
constexpr std::size_t kKeepNewest = 20;
constexpr int kKeepDays = 30;
constexpr std::uintmax_t kBudgetFactor = 10;
constexpr std::uintmax_t kBudgetFloor = 64u * 1024u * 1024u; // small files keep every version the rule names
constexpr std::int64_t kDayMs = 24 * 60 * 60 * 1000;

Result failedWith(const std::string& what, const std::string& path, int number)
{
    return Result::failed(what + " " + path + ": " + std::strerror(number));
}

bool digits(const std::string& s, std::size_t at, std::size_t n)
{
    for (std::size_t i = at; i < at + n; ++i)
        if (s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

int number(const std::string& s, std::size_t at, std::size_t n)
{
    return std::stoi(s.substr(at, n));
}

bool parseName(const std::string& name, std::int64_t& ms, std::uint32_t& crc)
{
    if (name.size() != kNameLength || name.compare(0, 9, "settings-") != 0 || name[17] != '-' || name[24] != '.' ||
        name.compare(28, 2, "Z-") != 0 || name.compare(38, 4, ".dat") != 0 || !digits(name, 9, 8) ||
        !digits(name, 18, 6) || !digits(name, 25, 3))
        return false;
    for (std::size_t i = 30; i < 38; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i])) || std::islower(static_cast<unsigned char>(name[i])))
            return false;
    std::tm t{};
    t.tm_year = number(name, 9, 4) - 1900;
    t.tm_mon = number(name, 13, 2) - 1;
    t.tm_mday = number(name, 15, 2);
    t.tm_hour = number(name, 18, 2);
    t.tm_min = number(name, 20, 2);
    t.tm_sec = number(name, 22, 2);
    ms = static_cast<std::int64_t>(::timegm(&t)) * 1000 + number(name, 25, 3);
    crc = static_cast<std::uint32_t>(std::stoul(name.substr(30, 8), nullptr, 16));
    return true;
}

std::int64_t modifiedMs(const struct stat& info)
{
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
}

// The versions folder, made private on first use. Anything else under its name is refused.
Result ensureFolder(const std::string& dataFolder)
{
    const std::string folder = VersionsFolder(dataFolder);
    if (::mkdir(folder.c_str(), 0700) == 0) {
        (void)SyncFolder(dataFolder); // best effort, as every flush of a version: a power cut may lose a version,
        return Result::ok();          // never the account file, and a save must not fail for it
    }
    if (errno != EEXIST)
        return failedWith("cannot create", folder, errno);
    struct stat info;
    if (::lstat(folder.c_str(), &info) != 0)
        return failedWith("cannot open", folder, errno);
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return Result::failed(folder + " is not a folder of the user's own");
    return Result::ok();
}

// Compared a piece at a time: neither file is held whole beside the save's own buffers.
bool sameBytes(const std::string& a, const std::string& b)
{
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    if (!x || !y)
        return false;
    std::vector<char> p(1 << 16), q(1 << 16);
    while (x && y) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        if (x.gcount() != y.gcount() || !std::equal(p.begin(), p.begin() + x.gcount(), q.begin()))
            return false;
    }
    return x.eof() && y.eof();
}

Outcome<std::uint32_t> crcOfFile(const std::string& path)
{
    const Outcome<std::string> bytes = ReadWholeFile(path);
    if (!bytes.result.isOk())
        return {bytes.result};
    const cCRC32 crc;
    return {Result::ok(),
            crc.GetByteArrayCrc32(reinterpret_cast<const unsigned char*>(bytes.value.data()), bytes.value.size())};
}

// The local calendar day of a moment, as a number that differs for every day.
long localDay(std::int64_t ms)
{
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm t{};
    ::localtime_r(&seconds, &t);
    return (t.tm_year + 1900L) * 1000L + t.tm_yday;
}

} // namespace

std::string VersionsFolder(const std::string& dataFolder)
{
    return JoinPath(dataFolder, kVersionsFolderName);
}

std::string VersionName(std::int64_t writtenMs, std::uint32_t crc)
{
    const std::time_t seconds = static_cast<std::time_t>(writtenMs / 1000);
    std::tm t{};
    ::gmtime_r(&seconds, &t);
    char name[64];
    std::snprintf(name, sizeof name, "settings-%04d%02d%02d-%02d%02d%02d.%03dZ-%08X.dat", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(writtenMs % 1000),
                  static_cast<unsigned>(crc));
    return name;
}

std::vector<KeptVersion> ListVersions(const std::string& dataFolder)
{
    std::vector<KeptVersion> versions;
    const std::string folder = VersionsFolder(dataFolder);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return versions;
    while (const dirent* entry = ::readdir(dir)) {
        KeptVersion v;
        v.name = entry->d_name;
        if (!parseName(v.name, v.writtenMs, v.crc))
            continue;
        v.path = JoinPath(folder, v.name);
        struct stat info;
        if (::lstat(v.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        v.size = static_cast<std::uintmax_t>(info.st_size);
        versions.push_back(std::move(v));
    }
    ::closedir(dir);
    std::sort(versions.begin(), versions.end(), [](const KeptVersion& a, const KeptVersion& b) {
        return a.writtenMs != b.writtenMs ? a.writtenMs > b.writtenMs : a.name > b.name;
    });
    return versions;
}

Result KeepAccountFileAsVersion(const std::string& dataFolder, std::uint32_t crc)
{
    return KeepFileAsVersion(dataFolder, JoinPath(dataFolder, kAccountFileName), crc);
}

Result KeepFileAsVersion(const std::string& dataFolder, const std::string& path, std::uint32_t crc)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? Result::ok() : failedWith("cannot open", path, errno);
    if (Result folder = ensureFolder(dataFolder); !folder.isOk())
        return folder;
    const std::vector<KeptVersion> kept = ListVersions(dataFolder);
    struct stat newest;
    if (!kept.empty() && kept.front().crc == crc && kept.front().size == static_cast<std::uintmax_t>(info.st_size) &&
        ((::stat(kept.front().path.c_str(), &newest) == 0 && newest.st_ino == info.st_ino &&
          newest.st_dev == info.st_dev) ||
         sameBytes(kept.front().path, path)))
        return Result::ok();

    const std::string target = JoinPath(VersionsFolder(dataFolder), VersionName(modifiedMs(info), crc));
    // A link keeps the very file the save replaces, at no cost; a link under the name (or a file system without
    // links) needs a copy of the bytes.
    struct stat own;
    const bool plain = ::lstat(path.c_str(), &own) == 0 && S_ISREG(own.st_mode);
    if (plain && ::link(path.c_str(), target.c_str()) == 0) {
        (void)SyncFolder(VersionsFolder(dataFolder));
        return Result::ok();
    }
    if (plain && errno == EEXIST)
        return Result::ok(); // the same moment and the same CRC: this file is kept already
    const Outcome<std::string> bytes = ReadWholeFile(path);
    if (!bytes.result.isOk())
        return bytes.result;
    return WriteVersion(dataFolder, VersionName(modifiedMs(info), crc), bytes.value);
}

Result MoveAccountFileToVersions(const std::string& dataFolder)
{
    return MoveFileToVersions(dataFolder, JoinPath(dataFolder, kAccountFileName));
}

Result MoveFileToVersions(const std::string& dataFolder, const std::string& path)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? Result::ok() : failedWith("cannot open", path, errno);
    const Outcome<std::uint32_t> crc = crcOfFile(path);
    if (!crc.result.isOk())
        return crc.result;
    if (Result kept = KeepFileAsVersion(dataFolder, path, crc.value); !kept.isOk())
        return kept;
    if (::unlink(path.c_str()) != 0)
        return failedWith("cannot delete", path, errno);
    return Result::ok();
}

Result WriteVersion(const std::string& dataFolder, const std::string& name, const std::string& bytes)
{
    if (Result folder = ensureFolder(dataFolder); !folder.isOk())
        return folder;
    bool inPlace = false;
    Result written =
        WriteFileNamedWhole(JoinPath(VersionsFolder(dataFolder), name), ".coffernote-version-", bytes, &inPlace);
    return inPlace ? Result::ok() : written; // only the flush failed: best effort, as for every version
}

std::vector<bool> VersionsToKeep(const std::vector<KeptVersion>& newestFirst, std::uintmax_t accountFileSize,
                                 std::int64_t nowMs)
{
    std::vector<bool> keep(newestFirst.size(), false);
    std::set<long> days;
    std::uintmax_t largest = accountFileSize;
    for (std::size_t i = 0; i < newestFirst.size(); ++i) {
        const KeptVersion& v = newestFirst[i];
        const bool recentDay = nowMs - v.writtenMs < kKeepDays * kDayMs && days.insert(localDay(v.writtenMs)).second;
        keep[i] = i < kKeepNewest || recentDay;
        if (keep[i])
            largest = std::max(largest, v.size);
    }
    // The budget: the oldest go first once the kept ones together outgrow it. It holds ten of the largest, so
    // the newest three always stay.
    const std::uintmax_t budget = std::max(kBudgetFactor * largest, kBudgetFloor);
    std::uintmax_t used = 0;
    for (std::size_t i = 0; i < newestFirst.size(); ++i) {
        if (!keep[i])
            continue;
        used += newestFirst[i].size;
        if (used > budget)
            keep[i] = false;
    }
    return keep;
}

void PruneVersions(const std::string& dataFolder, std::uintmax_t accountFileSize, std::int64_t nowMs)
{
    const std::vector<KeptVersion> versions = ListVersions(dataFolder);
    const std::vector<bool> keep = VersionsToKeep(versions, accountFileSize, nowMs);
    bool removed = false;
    for (std::size_t i = 0; i < versions.size(); ++i)
        if (!keep[i])
            removed |= ::unlink(versions[i].path.c_str()) == 0;
    if (removed)
        (void)SyncFolder(VersionsFolder(dataFolder)); // a version back after a power cut is no loss
}

VersionContent OpenVersionInner(const std::string& bytes, const FileProtection* key, Bytes& inner)
{
    if (IsProtectedFile(bytes)) {
        const std::optional<ProtectedHeader> header = ReadProtectedHeader(bytes);
        if (!header)
            return VersionContent::Unreadable;
        if (!key || !key->key || !(key->header == *header))
            return VersionContent::OtherLogin;
        return OpenProtectedFile(*key->key, bytes, inner) == ProtectedOpening::Opened ? VersionContent::Opened
                                                                                      : VersionContent::Unreadable;
    }
    std::optional<Bytes> cipher = Base64Decode(bytes);
    if (!cipher)
        return VersionContent::Unreadable;
    SecretString key1 = kKey1, key2 = kKey2;
    Outcome<Bytes> opened = DecryptBytes(kProgramSuite, *cipher, key1, key2);
    if (!opened.result.isOk())
        return VersionContent::Unreadable;
    inner = std::move(opened.value);
    return VersionContent::Opened;
}

VersionContent OpenVersion(const std::string& bytes, const FileProtection* key, AccountTable& table)
{
    Bytes inner;
    if (const VersionContent c = OpenVersionInner(bytes, key, inner); c != VersionContent::Opened)
        return c;
    std::string text(reinterpret_cast<const char*>(inner.data()), inner.size());
    wipe(inner);
    AccountTable loaded;
    const bool ok = DecodeInnerLayer(text, loaded) && !loaded.empty() && loaded.front().AccountName == kHeaderMarker;
    wipe(text);
    if (!ok) {
        WipeTable(loaded);
        return VersionContent::Unreadable;
    }
    WipeTable(table);
    table = std::move(loaded);
    return VersionContent::Opened;
}
