// The load of the account file, and the finishing of a save that was interrupted between its two renames.
#include "app/files/AccountFile.h"

#include "app/AppState.h"
#include "app/files/DamagedData.h"
#include "app/files/DataFiles.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "base/AtomicFile.h"
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

AccountTable headerOnly(const AppState& state)
{
    return {MakeHeaderRecord(state.LoginUserName, state.LoginPassword1, state.LoginPassword2)};
}

void take(AccountTable& table, AccountTable&& loaded)
{
    WipeTable(table);
    table = std::move(loaded);
}

LoadResult recoverDamaged(AppState& state, OptionsRecord& options, AccountTable& table)
{
    if (Result recovered = RecoverDamagedData(state); !recovered.isOk())
        return {std::move(recovered)};
    (void)ReadOptionsFile(state.programFolder, options); // the stamp is now empty
    take(table, headerOnly(state));
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

// A save interrupted between its two renames: the stored stamp names a complete, authentic "settings2.dat" (one
// the program wrote itself, never a link). Then loaded holds its records and the state its stamp.
// identity: the file that was checked.
bool interruptedSave(AppState& state, const DataPaths& p, const std::string& stamp, AccountTable& loaded,
                     FileIdentity& identity)
{
    if (stamp.empty() || !IsPlainFile(p.temp))
        return false;
    Outcome<std::string> read = ReadWholeFile(p.temp, identity);
    if (!read.result.isOk())
        return false;
    std::string& bytes = read.value;
    const std::uint32_t crc = state.AccountFileCrc;
    const std::string computed = state.ComputedStamp;
    if (ComputeStampOf(state, bytes).isOk() && state.ComputedStamp == stamp &&
        AuthenticatesCompletely(state, std::move(bytes), loaded))
        return true;
    state.AccountFileCrc = crc;
    state.ComputedStamp = computed;
    return false;
}

LoadResult finishInterruptedSave(AppState& state, const DataPaths& p, AccountTable& loaded, AccountTable& table,
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
    take(table, std::move(loaded));
    return done(LoadKind::Loaded);
}

// No stamp to disagree with (no options file, or an empty stamp): a file that is whole and the program's own is
// intact, and gets its stamp. This is also how a backup of the account file is put back.
LoadResult takeUnstamped(AppState& state, bool hadOptions, OptionsRecord& options, std::string&& fileBytes,
                         AccountTable& table)
{
    AccountTable loaded;
    // Only the user's own file that nobody else can write: anyone else who can write it could have forged it.
    if (!OwnedByUserAlone(JoinPath(state.programFolder, kAccountFileName)) ||
        !AuthenticatesCompletely(state, std::move(fileBytes), loaded))
        return recoverDamaged(state, options, table);
    if (mayChangeFiles(state)) {
        OptionsRecord stamped = hadOptions ? options : OptionsRecord::defaults();
        stamped.set(OptionsRecord::IntegrityStamp, state.ComputedStamp);
        // A folder that cannot be written changes nothing: the next load takes the file in the same way.
        if (WriteOptionsFile(state.programFolder, stamped).isOk())
            options = stamped;
    }
    take(table, std::move(loaded));
    return done(LoadKind::Loaded);
}

LoadResult loadStamped(AppState& state, OptionsRecord& options, std::string&& fileBytes, AccountTable& table)
{
    AccountTable loaded;
    if (!DecodeAccountFileBytes(state, std::move(fileBytes), loaded))
        return recoverDamaged(state, options, table);
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

LoadResult load(AppState& state, OptionsRecord& options, AccountTable& table)
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
    // Left by an interrupted save or options write: the options file in place is the one that counts.
    removeLeftover(state, p.tempOptions);
    const std::string stamp = options.get(OptionsRecord::IntegrityStamp);

    AccountTable loaded;
    FileIdentity checked;
    if (!FileExists(p.accounts)) {
        if (interruptedSave(state, p, stamp, loaded, checked))
            return finishInterruptedSave(state, p, loaded, table, checked);
        removeLeftover(state, p.temp);
        take(table, headerOnly(state));
        return done(LoadKind::NoFile);
    }

    Outcome<std::string> read = ReadWholeFile(p.accounts);
    if (!read.result.isOk())
        return endUnreadable(state, read.result.message());
    std::string fileBytes = std::move(read.value);
    if (const Result computed = ComputeStampOf(state, fileBytes); !computed.isOk())
        return endUnreadable(state, computed.message());
    if (state.ComputedStamp == stamp) {
        removeLeftover(state, p.temp); // a save interrupted before its first rename: the old pair stands
        return loadStamped(state, options, std::move(fileBytes), table);
    }
    if (interruptedSave(state, p, stamp, loaded, checked))
        return finishInterruptedSave(state, p, loaded, table, checked);
    removeLeftover(state, p.temp);
    if (stamp.empty())
        return takeUnstamped(state, hadOptions, options, std::move(fileBytes), table);
    return recoverDamaged(state, options, table);
}

} // namespace

LoadResult LoadAccountFile(AppState& state, OptionsRecord& options, AccountTable& table)
{
    // No failure ends the program unannounced: it is reported like a file that cannot be read.
    try {
        return load(state, options, table);
    } catch (const std::bad_alloc&) {
        return endWith(state, kLoadFailed, "not enough memory", kWillClose);
    } catch (const std::exception& e) {
        return endWith(state, kLoadFailed, e.what(), kWillClose);
    }
}
