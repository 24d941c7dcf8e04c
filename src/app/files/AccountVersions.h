#pragma once

#include "app/files/AccountRecord.h"
#include "base/Result.h"
#include "cipher/Bytes.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct FileProtection;

// Earlier versions of the account file, kept by every save in the data folder's "versions" folder (private like
// the data folder). A version is the exact file a save replaced, named
// "settings-YYYYMMDD-HHMMSS.mmmZ-CRC.dat": when it was written (UTC, so the names sort by time) and the CRC-32
// of its bytes (eight hex digits), so that a save of bytes equal to the newest version keeps nothing new.
inline constexpr const char* kVersionsFolderName = "versions";

struct KeptVersion
{
    std::string name; // the file name in the versions folder
    std::string path;
    std::int64_t writtenMs = 0; // when the file was written, ms since the epoch (UTC)
    std::uint32_t crc = 0;
    std::uintmax_t size = 0;
};

std::string VersionsFolder(const std::string& dataFolder);
// The name a version written at writtenMs with that CRC gets.
std::string VersionName(std::int64_t writtenMs, std::uint32_t crc);

// The versions in the folder, newest first. Files that are not named as versions are not listed (and never
// touched).
std::vector<KeptVersion> ListVersions(const std::string& dataFolder);

// Keeps the folder's account file as a version before a save replaces it, without writing its bytes again: a
// hard link (a copy only where the account file is a link or the file system makes none). crc: the file's CRC-32,
// which the stamp check before the save has just computed. Nothing new when its bytes equal the newest version.
// Fails with the reason; the caller then leaves the account file as it is.
Result KeepAccountFileAsVersion(const std::string& dataFolder, std::uint32_t crc);

// Moves the folder's account file into the versions (a rename: the file is kept, just no longer used); for the
// deletion of the last account and for a damaged file given up. Fails with the reason; nothing moved then. The
// caller flushes the data folder.
Result MoveAccountFileToVersions(const std::string& dataFolder);
// The same for another account file of the folder (a synchronisation program's conflict copy), and the link alone.
Result MoveFileToVersions(const std::string& dataFolder, const std::string& path);
Result KeepFileAsVersion(const std::string& dataFolder, const std::string& path, std::uint32_t crc);

// Writes bytes as a version of its own (a version sealed anew, or one written from memory), flushed, under the
// name given. An existing file of that name is replaced whole.
Result WriteVersion(const std::string& dataFolder, const std::string& name, const std::string& bytes);

// Drops the versions the keeping rule no longer keeps: the newest 20, and the newest of each of the last 30 days
// (local time), stay while their sizes together stay within ten times the larger of the account file and the
// largest version kept (64 MB at least); so the newest ten always stay. nowMs: the time of the rule (tests pass their
// own).
void PruneVersions(const std::string& dataFolder, std::uintmax_t accountFileSize, std::int64_t nowMs);
// The keeping rule alone, on a list newest first: which to keep.
std::vector<bool> VersionsToKeep(const std::vector<KeptVersion>& newestFirst, std::uintmax_t accountFileSize,
                                 std::int64_t nowMs);

// What a version holds, opened in memory with the program's keys or, for one encrypted with a login, with key.
enum class VersionContent {
    Opened,     // table holds its records
    OtherLogin, // encrypted with a login whose key is not at hand
    Unreadable, // damaged, or not an account file of Coffernote's
};
VersionContent OpenVersion(const std::string& bytes, const FileProtection* key, AccountTable& table);
// The inner text alone (its fields still encrypted with the program's keys), without decoding a field.
VersionContent OpenVersionInner(const std::string& bytes, const FileProtection* key, Bytes& inner);

// Sealing the versions anew under a new login, as a journal beside the save that brings the login in: first every
// version that is not sealed under protection, and that previous (the key the account file had) or the program's
// keys open, is written sealed anew beside it ("<name>.sealed", whole and flushed); once the save is in place,
// each takes its version's place. A kill in between leaves the ".sealed" files for SettleSealedVersions.
// Versions under any other login, or that do not open, stay as they are.
Result SealVersionsAnew(const std::string& dataFolder, const FileProtection& protection,
                        const FileProtection* previous);
// Puts the ".sealed" files in place of their versions when they are sealed under current (the save that made them
// is in place), else removes them (it never was). Runs after the account file opened.
void SettleSealedVersions(const std::string& dataFolder, const FileProtection* current);
// True when the file at path is sealed under protection's key (its header names the same salt and settings).
bool FileSealedUnder(const std::string& path, const FileProtection& protection);
