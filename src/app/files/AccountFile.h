#pragma once

#include "app/files/AccountRecord.h"
#include "base/Result.h"
#include "cipher/Bytes.h"
#include "cipher/ProtectedFile.h"

#include <cstdint>
#include <memory>
#include <string>

struct AppState;
struct Login;
class Platform;
struct OptionsRecord;

enum class LoadKind {
    NoFile,    // no account file: the table holds the header built from the login settings
    Loaded,    // the table holds the file's records (the header check may have run the recovery)
    Recovered, // the file could not be read in full; the user chose to restore defaults:
               // the account file is gone and the table holds the header built from the login settings
    Protected, // the file is encrypted with the login's key: it waits in the LockedFile, checked against its
               // stamp, for the login (UnlockAccountFile); the table holds the header built from the settings
};

// A protected account file read at start-up and checked against its stamp, waiting for the key the login derives.
// The login step holds it.
struct LockedFile
{
    std::string bytes;
    bool stampAfterUnlock = false; // it had no stamp or another one, and gets its own once it opened
    bool changedOutside = false;   // it had another one (another computer, a restore): the user hears so then
    bool waiting() const { return !bytes.empty(); }
    void forget();
};
// The program must end (result.mustEnd()) when the user chose to end it, or a data file exists but cannot be
// read (a message named it and nothing was deleted); the caller then returns at once.
using LoadResult = Outcome<LoadKind>;

// Loads the folder's account file into table: stamp check, decryption in memory, parse, header check. Any damage
// goes to the recovery question. A save interrupted between its two renames (the stamp already names the new
// file "settings2.dat", complete and authentic) is finished first; any other leftover "settings2.dat" or
// "config2.dat" is removed. An account file that authenticates completely while no stamp is stored (the options
// file was deleted, or a backup was put back) or another stamp (written by another computer that shares the folder,
// or restored) is taken as intact and stamped; for another stamp the user is told (a protected file: once the login
// opened it). Either only when it belongs to the user and nobody else can write it. A stamp that names an account
// file that is not there (a save still arriving, or a lost file), unless the last account was deleted, is told and
// the program ends. A data file that cannot be read, is not a regular file or is too large is reported and the
// program ends. In both, nothing was changed or deleted. options receives the options file's values; the header
// comes from login, and a protected file goes to locked.
LoadResult LoadAccountFile(AppState& state, const Login& login, OptionsRecord& options, AccountTable& table,
                           LockedFile& locked);

enum class UnlockKind {
    Opened,     // the login opened the file: the table holds its records, login.protection its key
    WrongLogin, // the key is not the file's: another login (in a version 01 file also a changed byte); nothing changed
    Recovered,  // the key is the file's, but the file was damaged; the recovery question was answered Yes
};
// Opens the protected file that waits for the login with the key derived from it. A file whose key check names the
// key but whose body does not authenticate, or that opens but is out of shape or lacks the header marker, goes to
// the recovery question, as a damaged default file does. One that opens
// without its stamp gets it, and under another stamp the user is told that it was changed outside this copy.
// EndProgram when the user chose to end the program.
Outcome<UnlockKind> UnlockAccountFile(AppState& state, Login& login, LockedFile& locked,
                                      std::unique_ptr<FileProtection> protection, AccountTable& table);

// The reason a save gives when this copy no longer holds the data folder's lock.
inline constexpr const char* kLockLostReason =
    "this copy of Coffernote does not hold the lock on its data folder; another copy may be using it";
// The reason a write refused without the lock gives: kLockLostReason, or for a read-only run (the data files
// opened for reading only at start) one that names their folder, since no other copy is to blame.
std::string LockNotHeldReason(const AppState& state);

// Writes the whole table (header from the login settings) as the two-layer encrypted account file and
// refreshes the stamp, as a journal: the new "settings2.dat" and "config2.dat" are complete and flushed, then
// "config2.dat" replaces "config.dat" (from then on the stamp names the new file) and "settings2.dat" replaces
// "settings.dat". A load finishes a save interrupted between the two. Nothing is replaced unless this copy
// still holds the data folder's lock. A table without accounts deletes the account file instead. Failed: nothing
// on disk changed and the message (style 48) names the file and the reason. The program must end when the stamp
// check before the save asked the recovery question and the user answered No.
// login: the header's settings and the key; a stronger key replaces it once the file in place is sealed under it.
Result SaveAccountFile(AppState& state, Login& login, const AccountTable& table);
// The same; filesInPlace tells a failed save whose new files are in place all the same (only a flush of the
// folder failed): the file on disk holds the table, and the message says so.
Result SaveAccountFile(AppState& state, Login& login, const AccountTable& table, bool& filesInPlace);

// The inner and outer layers, exposed for tests and benchmarks.
std::string FormatRecordNo(std::int16_t n); // " 0", " 7", "-3"
Outcome<std::string> EncodeInnerLayer(const Login& login, const AccountTable& table);
bool DecodeInnerLayer(const std::string& inner, AccountTable& table);
bool EncodeInnerLayerInto(const Login& login, const AccountTable& table, Bytes& out);

// The cipher shows nothing itself: a failure of its component is said here, as the component describes it
// (style 0, OK only). A failure without a message says nothing.
void SayCipherFailure(Platform& platform, const Result& failure);

// Decodes account file bytes, both layers, in memory; false when a layer does not authenticate or a record is
// out of shape. A protected file opens only with login.protection, derived for its header. fileBytes is released.
bool DecodeAccountFileBytes(AppState& state, const Login& login, std::string&& fileBytes, AccountTable& table);
// The same, and the first record carries the header marker: the file is whole and the program's own. Only then
// is table replaced.
bool AuthenticatesCompletely(AppState& state, const Login& login, std::string&& fileBytes, AccountTable& table);

// The length in bytes of the account file a save of table would write now, worked out without encrypting.
std::uintmax_t AccountFileLength(const Login& login, const AccountTable& table);
// Why an account file of length bytes must not be written, as a clause ("the account file would be ... bytes,
// larger than 256 MB, the most Coffernote reads"); empty when the load reads it back.
std::string AccountFileTooLarge(std::uintmax_t length);
