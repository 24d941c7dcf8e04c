// The load of the account file, and the finishing of a save that was interrupted between its two renames.
#include "app/files/AccountFile.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountVersions.h"
#include "app/files/ChangedOutside.h"
#include "app/files/DamagedData.h"
#include "app/files/DataFiles.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/OptionsFile.h"
#include "app/files/OutsideChanges.h"
#include "app/files/Paths.h"
#include "app/files/ProtectionNote.h"
#include "base/AtomicFile.h"
#include "cipher/ProtectedFile.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr const char* kLoadFailed = "Coffernote could not load its data files:";
constexpr const char* kWillClose = "The program will now close.";

struct DataPaths
{
    explicit DataPaths(const std::string& folder)
        : accounts(JoinPath(folder, kAccountFileName)), temp(JoinPath(folder, kTempAccountFileName)),
          tempOptions(JoinPath(folder, kTempOptionsFileName))
    {
    }
    std::string accounts, temp, tempOptions;
};

LoadResult done(LoadKind kind)
{
    return {Result::ok(), kind};
}

LoadResult endWith(AppState& state, const std::string& lead, const std::string& reason,
                   const char* outcome = "Nothing was changed or deleted.  The program will now close.")
{
    state.platform.message(lead + "\r\n" + reason + "\r\n" + outcome, MsgExclamation);
    return {Result::endProgram()};
}

// A data file that exists but cannot be read is reported and left alone: never treated as damaged, since
// the recovery would delete it.
LoadResult endUnreadable(AppState& state, const std::string& reason)
{
    return endWith(state, "Coffernote cannot read its data files:", reason);
}

AccountTable headerOnly(const Login& login)
{
    return {MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2)};
}

void take(AccountTable& table, AccountTable&& loaded)
{
    WipeTable(table);
    table = std::move(loaded);
}

LoadResult recoverDamaged(AppState& state, const Login& login, OptionsRecord& options, AccountTable& table)
{
    if (Result recovered = RecoverDamagedData(state); !recovered.isOk())
        return {std::move(recovered)};
    (void)ReadOptionsFile(state.programFolder, options); // the stamp is now empty
    take(table, headerOnly(login));
    return done(LoadKind::Recovered);
}

// Another copy that holds the folder's lock may be in the middle of a save: its files are left alone.
bool mayChangeFiles(AppState& state)
{
    return state.platform.holdsDataFolderLock();
}

void removeLeftover(AppState& state, const std::string& path)
{
    if (FileExists(path) && mayChangeFiles(state))
        RemoveFile(path);
}

// Before the login, a protected file cannot be authenticated: its stamp and a header within bounds are all
// that can be checked.
bool awaitsLogin(const Login& login, const std::string& bytes)
{
    return !login.protection && IsProtectedFile(bytes);
}

// A protected file whose header this version does not read, or is out of bounds: it may come from a later
// version, or ask for more than the machine has. Reported and left as it is.
LoadResult endUnreadableHeader(AppState& state, const std::string& path)
{
    return endUnreadable(state, path + " is encrypted in a way this version of Coffernote cannot open, "
                                       "or its header is damaged");
}

enum class Interrupted {
    No,
    Finish,
    Unreadable, // the stamp names a protected "settings2.dat" whose header cannot be read: neither file is touched
};

// A save interrupted between its two renames: the stored stamp names a complete, authentic "settings2.dat" (one
// the program wrote itself, never a link). Then loaded holds its records and the state its stamp; a protected file
// is left in protectedBytes for the login instead. identity: the file that was checked.
Interrupted interruptedSave(AppState& state, const Login& login, const DataPaths& p, const std::string& stamp,
                            AccountTable& loaded, std::string& protectedBytes, FileIdentity& identity)
{
    if (stamp.empty() || !IsPlainFile(p.temp))
        return Interrupted::No;
    Outcome<std::string> read = ReadWholeFile(p.temp, identity);
    if (!read.result.isOk())
        return Interrupted::No;
    std::string& bytes = read.value;
    const std::uint32_t crc = state.AccountFileCrc;
    const std::string computed = state.ComputedStamp;
    if (ComputeStampOf(state, bytes).isOk() && state.ComputedStamp == stamp) {
        if (awaitsLogin(login, bytes)) {
            if (!ReadProtectedHeader(bytes))
                return Interrupted::Unreadable;
            protectedBytes = std::move(bytes);
            return Interrupted::Finish;
        }
        if (AuthenticatesCompletely(state, login, std::move(bytes), loaded))
            return Interrupted::Finish;
    }
    state.AccountFileCrc = crc;
    state.ComputedStamp = computed;
    return Interrupted::No;
}

// A protected file waits for the login, once its header is one this version reads and within bounds. stampIt: it
// gets its stamp once it opened; changedOutside: it had another stamp, and the user hears so then.
LoadResult awaitLogin(AppState& state, const Login& login, LockedFile& locked, const std::string& path,
                      std::string&& bytes, bool stampIt, AccountTable& table, bool changedOutside = false)
{
    if (!ReadProtectedHeader(bytes))
        return endUnreadableHeader(state, path);
    locked.bytes = std::move(bytes);
    locked.stampAfterUnlock = stampIt;
    locked.changedOutside = changedOutside;
    take(table, headerOnly(login));
    return done(LoadKind::Protected);
}

LoadResult finishInterruptedSave(AppState& state, const Login& login, LockedFile& lockedFile, const DataPaths& p,
                                 AccountTable& loaded, std::string& protectedBytes, AccountTable& table,
                                 const FileIdentity& checked)
{
    // Without the lock the new records are used as they are; the copy that holds it finishes its own save.
    if (mayChangeFiles(state)) {
        // Only the file that was authenticated becomes the account file: one put under the name since is not.
        if (!IsSameFile(p.temp, checked)) {
            WipeTable(loaded);
            return endWith(state,
                           "Coffernote could not finish its last save:", p.temp + " was replaced while it was checked");
        }
        if (std::rename(p.temp.c_str(), p.accounts.c_str()) != 0) {
            const int number = errno;
            WipeTable(loaded);
            return endWith(state, "Coffernote could not finish its last save:",
                           "cannot replace " + p.accounts + ": " + std::strerror(number));
        }
        // An unflushed rename loses nothing: after a power cut the next start finds "settings2.dat" again and
        // finishes the same save.
        (void)SyncFolder(state.programFolder);
    }
    if (!protectedBytes.empty())
        return awaitLogin(state, login, lockedFile, p.accounts, std::move(protectedBytes), false, table);
    take(table, std::move(loaded));
    return done(LoadKind::Loaded);
}

// A file that does not match the stamp, or has none to match (no options file, or an empty stamp): one that is
// whole and the program's own is used and gets its stamp. Without a stamp this is how a backup is put back; under
// another stamp (changedOutside) it was written elsewhere (another computer, a restored copy, a save still
// arriving), and the user is told.
LoadResult takeWhole(AppState& state, const Login& login, bool hadOptions, bool changedOutside, OptionsRecord& options,
                     std::string&& fileBytes, const FileIdentity& read, AccountTable& table)
{
    AccountTable loaded;
    // Only the user's own file that nobody else can write: anyone else who can write it could have forged it.
    if (!OwnedByUserAlone(read) || !AuthenticatesCompletely(state, login, std::move(fileBytes), loaded))
        return recoverDamaged(state, login, options, table);
    const Result restamped = StampAccountFileAnew(state, options, hadOptions);
    take(table, std::move(loaded));
    if (changedOutside)
        TellChangedOutside(state, restamped);
    return done(LoadKind::Loaded);
}

LoadResult loadStamped(AppState& state, const Login& login, OptionsRecord& options, std::string&& fileBytes,
                       AccountTable& table)
{
    AccountTable loaded;
    if (!DecodeAccountFileBytes(state, login, std::move(fileBytes), loaded))
        return recoverDamaged(state, login, options, table);
    const bool headerOk = loaded.front().AccountName == kHeaderMarker;
    take(table, std::move(loaded));
    if (!headerOk) {
        // The records stay loaded, as they were read; the next save stores them under a proper header.
        if (Result recovered = RecoverDamagedData(state); !recovered.isOk())
            return {std::move(recovered)};
        (void)ReadOptionsFile(state.programFolder, options);
    }
    return done(LoadKind::Loaded);
}

LoadResult load(AppState& state, const Login& login, LockedFile& lockedFile, OptionsRecord& options,
                AccountTable& table, int& waitLeftMs)
{
    const std::string& folder = state.programFolder;
    const DataPaths p(folder);
    if (const Result regular = NonRegularDataFile(folder); !regular.isOk())
        return endUnreadable(state, regular.message());
    // An options file that cannot be read is never taken for a missing one, which a later write would replace.
    const Outcome<bool> readOptions = ReadOptionsFile(folder, options);
    if (!readOptions.result.isOk())
        return endUnreadable(state, readOptions.result.message());
    const bool hadOptions = readOptions.value;
    const std::string stamp = options.get(OptionsRecord::IntegrityStamp);

    AccountTable loaded;
    FileIdentity checked;
    std::string protectedBytes;
    if (!FileExists(p.accounts)) {
        if (const Interrupted i = interruptedSave(state, login, p, stamp, loaded, protectedBytes, checked);
            i != Interrupted::No) {
            if (i == Interrupted::Unreadable)
                return endUnreadableHeader(state, p.temp);
            removeLeftover(state, p.tempOptions);
            return finishInterruptedSave(state, login, lockedFile, p, loaded, protectedBytes, table, checked);
        }
        // A stamp without its file: a save from another computer arriving (a synchronisation program deletes
        // the old file just before it moves the new one in place), or a lost file. An empty list shown now would
        // be saved over it; the deletion of the last account empties the stamp first.
        if (!stamp.empty()) {
            if (AwaitAccountFile(state, waitLeftMs))
                return load(state, login, lockedFile, options, table, waitLeftMs); // read anew, the options with it
            if (FileExists(VersionsFolder(folder))) {
                state.platform.message(MissingAccountFileMessage(folder), MsgExclamation);
                return {Result::endProgram()};
            }
            // Emptied by an earlier version of Coffernote, which kept the stamp and no versions: the stamp goes,
            // as this version's deletion does, so that the next start does not wait.
            (void)ForgetStamp(state);
        }
        // Left by an interrupted save or options write: the pair in place is the one that counts.
        removeLeftover(state, p.tempOptions);
        removeLeftover(state, p.temp);
        take(table, headerOnly(login));
        return done(LoadKind::NoFile);
    }

    removeLeftover(state, p.tempOptions); // an interrupted options write: the options file in place counts
    FileIdentity readFile;
    Outcome<std::string> read = ReadWholeFile(p.accounts, readFile);
    if (!read.result.isOk())
        return endUnreadable(state, read.result.message());
    std::string fileBytes = std::move(read.value);
    if (const Result computed = ComputeStampOf(state, fileBytes); !computed.isOk())
        return endUnreadable(state, computed.message());
    if (state.ComputedStamp == stamp) {
        if (Result guarded = CheckRememberedProtection(state, p.accounts, fileBytes); !guarded.isOk())
            return {std::move(guarded)};
        removeLeftover(state, p.temp); // a save interrupted before its first rename: the old pair stands
        if (awaitsLogin(login, fileBytes))
            return awaitLogin(state, login, lockedFile, p.accounts, std::move(fileBytes), false, table);
        return loadStamped(state, login, options, std::move(fileBytes), table);
    }
    if (const Interrupted i = interruptedSave(state, login, p, stamp, loaded, protectedBytes, checked);
        i != Interrupted::No)
        return i == Interrupted::Finish
                   ? finishInterruptedSave(state, login, lockedFile, p, loaded, protectedBytes, table, checked)
                   : endUnreadableHeader(state, p.temp);
    // The options file of another computer's save may arrive just after its account file.
    if (AwaitStampChange(state, stamp, waitLeftMs))
        return load(state, login, lockedFile, options, table, waitLeftMs);
    if (Result guarded = CheckRememberedProtection(state, p.accounts, fileBytes); !guarded.isOk())
        return {std::move(guarded)};
    removeLeftover(state, p.temp);
    // No stamp, or another one: a whole file is used, whoever wrote it; only one that does not open is damaged.
    if (awaitsLogin(login, fileBytes)) {
        // As for the default form: anyone else who can write it could have put it there.
        if (!OwnedByUserAlone(readFile))
            return recoverDamaged(state, login, options, table);
        return awaitLogin(state, login, lockedFile, p.accounts, std::move(fileBytes), true, table, !stamp.empty());
    }
    return takeWhole(state, login, hadOptions, !stamp.empty(), options, std::move(fileBytes), readFile, table);
}

} // namespace

Outcome<UnlockKind> UnlockAccountFile(AppState& state, Login& login, LockedFile& locked,
                                      std::unique_ptr<FileProtection> protection, AccountTable& table)
{
    Bytes inner;
    const ProtectedOpening opening = protection && protection->key
                                         ? OpenProtectedFile(*protection->key, locked.bytes, inner)
                                         : ProtectedOpening::WrongKey;
    if (opening == ProtectedOpening::WrongKey)
        return {Result::ok(), UnlockKind::WrongLogin};
    wipe(locked.bytes);
    AccountTable loaded;
    bool decoded = false;
    if (opening == ProtectedOpening::Opened) {
        // The inner text's fields open with the program's fixed keys: no copy of it outlives the decoding.
        std::string text(reinterpret_cast<const char*>(inner.data()), inner.size());
        wipe(inner);
        decoded = DecodeInnerLayer(text, loaded);
        wipe(text);
    }
    if (!decoded || loaded.front().AccountName != kHeaderMarker) {
        // The right login, yet a body that does not authenticate (its key check matched) or records that are not
        // the program's own: damaged data, as for a default file, never a wrong login.
        if (decoded)
            take(table, std::move(loaded));
        locked.stampAfterUnlock = locked.changedOutside = false;
        if (Result recovered = RecoverDamagedData(state); !recovered.isOk())
            return {std::move(recovered)};
        take(table, headerOnly(login));
        return {Result::ok(), UnlockKind::Recovered};
    }
    login.protection = std::move(protection);
    if (mayChangeFiles(state))
        SettleSealedVersions(state.programFolder, login.protection.get()); // a new login's save interrupted
    if (locked.stampAfterUnlock) {
        // Opened without a stamp to match (a backup put back) or under another one (written elsewhere): it is
        // intact, and gets its stamp.
        OptionsRecord options = OptionsRecord::defaults();
        const Outcome<bool> read = ReadOptionsFile(state.programFolder, options);
        const Result restamped = read.result.isOk() ? StampAccountFileAnew(state, options, read.value) : read.result;
        if (locked.changedOutside)
            TellChangedOutside(state, restamped);
    }
    locked.stampAfterUnlock = locked.changedOutside = false;
    take(table, std::move(loaded));
    RememberAccountFile(state);
    NoteProtection(state, login.protection.get());
    return {Result::ok(), UnlockKind::Opened};
}

LoadResult LoadAccountFile(AppState& state, const Login& login, OptionsRecord& options, AccountTable& table,
                           LockedFile& locked)
{
    // No failure ends the program unannounced: it is reported like a file that cannot be read.
    try {
        int waitLeftMs = kAccountFileArrivalMs;
        LoadResult loaded = load(state, login, locked, options, table, waitLeftMs);
        if (loaded.result.isOk())
            RememberAccountFile(state);
        // Versions sealed for a new login whose save never came into place go.
        if (loaded.result.isOk() && loaded.value != LoadKind::Protected && !login.protection && mayChangeFiles(state))
            SettleSealedVersions(state.programFolder, nullptr);
        return loaded;
    } catch (const std::bad_alloc&) {
        return endWith(state, kLoadFailed, "not enough memory", kWillClose);
    } catch (const std::exception& e) {
        return endWith(state, kLoadFailed, e.what(), kWillClose);
    }
}

void LockedFile::forget()
{
    wipe(bytes);
    stampAfterUnlock = changedOutside = false;
}
