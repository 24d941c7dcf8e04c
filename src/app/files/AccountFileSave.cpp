// The save of the account file: a journal of two renames that the next load finishes when it was interrupted.
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
#include "cipher/Base64.h"
#include "cipher/CipherService.h"
#include "cipher/ProtectedFile.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

#include <chrono>
#include <new>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Hands the pages of a multi-megabyte buffer just freed back to the system. Without it the allocator keeps
// them for the next large buffer, which rarely fits the gap, and a save of the largest table peaks some
// 25 MB higher. (A load gives back the pages of an earlier table before it starts.)
void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

constexpr const char* kLeftAsItWas =
    "The file on disk was left as it was; the change is kept only until the program ends.";
constexpr const char* kInPlaceNotFlushed =
    "The files in place are whole and hold the change, but it may not survive a power cut.";
constexpr const char* kTooLargeToWrite =
    "Nothing was written. Shorten the longest notes or passwords, or delete accounts, and try again.";
constexpr const char* kLeftForNextStart =
    "The previous options could not be put back; the files were left for the next start to settle.";

struct Files
{
    explicit Files(const std::string& folder)
        : accounts(JoinPath(folder, kAccountFileName)), temp(JoinPath(folder, kTempAccountFileName)),
          options(JoinPath(folder, kOptionsFileName)), tempOptions(JoinPath(folder, kTempOptionsFileName))
    {
    }
    std::string accounts, temp, options, tempOptions;
};

Result saveFailed(AppState& state, const std::string& path, const std::string& reason,
                  const char* outcome = kLeftAsItWas)
{
    state.resetIdle();
    return Result::failed("Coffernote could not save the accounts to\r\n" + path + "\r\n(" + reason + ").\r\n" +
                          outcome);
}

// A file whose stamp is empty or another (its options file is gone, or has not arrived yet from another computer)
// but that is whole, the program's own and the user's alone is no damage: the caller took in its accounts before
// the save (OutsideChanges.h).
bool wholeAndOwn(const Login& login, const std::string& path)
{
    FileIdentity readFile;
    Outcome<std::string> read = ReadWholeFile(path, readFile);
    if (!read.result.isOk() || !OwnedByUserAlone(readFile))
        return false;
    AccountTable table;
    // A save that replaces the key checks the file with the key it was written with. Nothing is said here: a file
    // that does not open brings the damaged-data question.
    const FileProtection* key = login.replacedProtection ? login.replacedProtection.get() : login.protection.get();
    const bool ok = read.result.isOk() && OpenVersion(read.value, key, table) == VersionContent::Opened;
    WipeTable(table);
    return ok;
}

// The stamp check before a save: ok to go on, else the result to return.
Result checkBeforeSave(AppState& state, const Login& login, const Files& f)
{
    if (!FileExists(f.accounts))
        return Result::ok();
    OptionsRecord checked;
    const Outcome<bool> matches = CheckStamp(state, checked);
    if (!matches.result.isOk())
        return saveFailed(state, f.accounts, matches.result.message());
    if (matches.value)
        return Result::ok();
    if (wholeAndOwn(login, f.accounts))
        return Result::ok();
    // Yes gives up the damaged file (kept among the versions); the table in memory is then stored under a fresh
    // stamp.
    return RecoverDamagedData(state);
}

// A protected file: the inner layer sealed under the login's key, behind the clear header. A key derived with
// less than the current settings is derived anew first, from the login in memory and with a new salt, into
// stronger, and the file is sealed under that; should the derivation fail, the old key serves. stronger is the
// caller's to put in the old key's place once the new file is in place: until then the file on disk is sealed
// under the old one.
bool encodeProtected(Login& login, const AccountTable& table, std::string& outer,
                     std::unique_ptr<FileProtection>& stronger)
{
    if (login.protection->header.kdf.below(login.kdfDefaults)) {
        // Derived in advance after the login, when it is ready and still for this file; else here and now.
        std::unique_ptr<FileProtection> ready = std::move(login.strongerProtection);
        if (ready && ready->header.kdf == login.kdfDefaults && login.strongerFor == login.protection->header)
            stronger = std::move(ready);
        else
            stronger =
                NewProtection(login.kdfDefaults, login.LoginUserName, login.LoginPassword1, login.LoginPassword2);
    }
    const FileProtection& key = stronger ? *stronger : *login.protection;
    Bytes inner;
    const bool ok =
        EncodeInnerLayerInto(login, table, inner) && SealProtectedFile(key, inner.data(), inner.size(), outer);
    wipe(inner); // its fields open with the program's fixed keys
    releaseFreedMemory();
    return ok;
}

// Both layers, in memory: the inner layer never touches the disk.
bool encodeAccountFile(AppState& state, Login& login, const AccountTable& table, std::string& outer,
                       std::unique_ptr<FileProtection>& stronger)
{
    if (login.protection)
        return encodeProtected(login, table, outer, stronger);
    Outcome<Bytes> cipher;
    {
        Bytes inner;
        if (!EncodeInnerLayerInto(login, table, inner))
            return false;
        SecretString key1 = kKey1, key2 = kKey2;
        cipher = EncryptBytes(kProgramSuite, inner, key1, key2);
    }
    releaseFreedMemory();
    if (!cipher.result.isOk()) {
        SayCipherFailure(state.platform, cipher.result);
        return false;
    }
    outer = Base64Encode(cipher.value);
    Bytes().swap(cipher.value);
    releaseFreedMemory();
    return true;
}

enum class Rollback {
    Done,    // the options file holds its previous content again
    Foreign, // it no longer holds what this save wrote: someone else's stamp, left alone
    Failed,  // it still holds the new stamp
};

// Puts the previous options back after the account file could not be replaced, but only over the very line this
// save wrote: a stamp this copy did not write is never overwritten.
Rollback rollBackOptions(const std::string& folder, const Files& f, const std::string& written, bool hadOptions,
                         const OptionsRecord& previous)
{
    const Outcome<std::string> now = ReadWholeFile(f.options);
    if (!now.result.isOk() || now.value != written)
        return Rollback::Foreign;
    const bool restored = hadOptions ? WriteOptionsFile(folder, previous).isOk() : RemoveFile(f.options);
    return restored ? Rollback::Done : Rollback::Failed;
}

// What a save keeps of the file it replaces.
struct Keeping
{
    std::uint32_t replacedCrc = 0;            // the CRC of the account file in place
    const FileProtection* sealWith = nullptr; // a new login's key: the versions are sealed anew under it
    const FileProtection* previous = nullptr; // the key the account file in place was sealed with
};

Result keepVersions(const std::string& folder, const Keeping& keeping)
{
    if (Result kept = KeepAccountFileAsVersion(folder, keeping.replacedCrc); !kept.isOk())
        return Result::failed("its earlier version could not be kept: " + kept.message());
    if (!keeping.sealWith)
        return Result::ok();
    Result sealed = SealVersionsAnew(folder, *keeping.sealWith, keeping.previous);
    if (!sealed.isOk())
        SettleSealedVersions(folder, nullptr);
    return sealed;
}

// Writes the two new files, then replaces the old pair: the options first, the account file second. Empty on
// success, else the reason and what was left on disk; inPlace tells that the new pair is in place all the same
// (only a flush of the folder failed).
Result replacePair(AppState& state, const Files& f, const std::string& outer, const Keeping& keeping, bool& inPlace)
{
    const std::string& folder = state.programFolder;
    OptionsRecord previous;
    const Outcome<bool> readOptions = ReadOptionsFile(folder, previous);
    if (!readOptions.result.isOk())
        return saveFailed(state, f.accounts, readOptions.result.message());
    const bool hadOptions = readOptions.value;
    OptionsRecord updated = previous;
    updated.set(OptionsRecord::IntegrityStamp, state.ComputedStamp);
    const std::string written = FormatOptionsLine(updated);

    // Both new files are complete and flushed before either replaces its old one, so a failure up to here
    // leaves the old pair, which still match, untouched. The temporary names are shared by every copy: the lock
    // is asked again before they are written.
    if (!state.platform.holdsDataFolderLock())
        return saveFailed(state, f.accounts, LockNotHeldReason(state));
    if (Result temp = WriteTempFile(f.temp, outer); !temp.isOk())
        return saveFailed(state, f.accounts, temp.message());
    Result tempOptions = WriteTempFile(f.tempOptions, written);
    if (!tempOptions.isOk() || !state.platform.holdsDataFolderLock()) {
        RemoveFile(f.tempOptions);
        RemoveFile(f.temp);
        return saveFailed(state, f.accounts, tempOptions.isOk() ? LockNotHeldReason(state) : tempOptions.message());
    }
    // The file this save replaces stays as a version (a link: no byte written again).
    if (Result kept = keepVersions(folder, keeping); !kept.isOk()) {
        RemoveFile(f.tempOptions);
        RemoveFile(f.temp);
        return saveFailed(state, f.accounts, kept.message());
    }
    // The options go first, flushed before the account file follows: from then on the stamp names
    // "settings2.dat", so a crash or power cut before the next rename leaves a save the next load finishes.
    if (Result renamed = RenameFile(f.tempOptions, f.options); !renamed.isOk()) {
        RemoveFile(f.tempOptions);
        RemoveFile(f.temp);
        return saveFailed(state, f.accounts, renamed.message());
    }
    // A failed flush does not stop the save: the options already name the new file, and only the second rename
    // makes the pair in place match again for this run.
    Result flushed = SyncFolder(folder);
    if (Result renamed = RenameFile(f.temp, f.accounts); !renamed.isOk()) {
        if (rollBackOptions(folder, f, written, hadOptions, previous) != Rollback::Done)
            return saveFailed(state, f.accounts, renamed.message(), kLeftForNextStart); // "settings2.dat" stays
        RemoveFile(f.temp);
        return saveFailed(state, f.accounts, renamed.message());
    }
    if (Result again = SyncFolder(folder); flushed.isOk())
        flushed = std::move(again);
    if (keeping.sealWith)
        SettleSealedVersions(folder, keeping.sealWith);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    PruneVersions(folder, outer.size(), std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    if (!flushed.isOk()) {
        inPlace = true;
        return saveFailed(state, f.accounts, flushed.message(), kInPlaceNotFlushed);
    }
    return Result::ok();
}

Result save(AppState& state, Login& login, const AccountTable& table, bool& inPlace)
{
    const std::string& folder = state.programFolder;
    const Files f(folder);
    // Another copy may be using the folder: nothing is asked, written or deleted.
    if (!state.platform.holdsDataFolderLock())
        return saveFailed(state, f.accounts, LockNotHeldReason(state));
    if (const Result regular = NonRegularDataFile(folder); !regular.isOk())
        return saveFailed(state, f.accounts, regular.message());
    if (table.size() > kMaxRecords)
        return saveFailed(state, f.accounts,
                          "the list holds more than " + std::to_string(kMaxRecords) + " records, the most it can hold");
    if (Result checked = checkBeforeSave(state, login, f); !checked.isOk())
        return checked;

    if (table.size() <= 1) {
        // No account: no account file, and no stamp, which would name a file lost or still arriving. The stamp
        // goes first: a kill in between leaves a whole file under no stamp, which the next start uses.
        if (FileExists(f.accounts)) {
            if (Result forgotten = ForgetStamp(state); !forgotten.isOk())
                return saveFailed(state, f.accounts, forgotten.message());
            // Kept among the versions, as every file a save replaces.
            if (Result moved = MoveAccountFileToVersions(folder); !moved.isOk())
                return saveFailed(state, f.accounts, moved.message());
            // The deletion must survive a power cut like any other save.
            if (Result flushed = SyncFolder(state.programFolder); !flushed.isOk()) {
                inPlace = true;
                return saveFailed(state, f.accounts, flushed.message(), kInPlaceNotFlushed);
            }
        }
        state.resetIdle();
        return Result::ok();
    }

    std::string outer;
    std::unique_ptr<FileProtection> stronger;
    if (!encodeAccountFile(state, login, table, outer, stronger))
        return saveFailed(state, f.accounts, "the accounts could not be encrypted");
    // What the load would refuse is never written: the next start could not read the accounts back.
    if (const std::string tooLarge = AccountFileTooLarge(outer.size()); !tooLarge.empty())
        return saveFailed(state, f.accounts, tooLarge, kTooLargeToWrite);
    const std::uint32_t previousCrc = state.AccountFileCrc;
    const std::string previousStamp = state.ComputedStamp;
    Keeping keeping;
    keeping.replacedCrc = previousCrc;
    const FileProtection* sealedWith = stronger ? stronger.get() : login.protection.get();
    if (sealedWith && !FileSealedUnder(f.accounts, *sealedWith)) {
        keeping.sealWith = sealedWith;
        keeping.previous = login.replacedProtection ? login.replacedProtection.get()
                           : stronger               ? login.protection.get()
                                                    : nullptr;
    }
    Result replaced = ComputeStampOf(state, outer).isOk()
                          ? replacePair(state, f, outer, keeping, inPlace)
                          : saveFailed(state, f.accounts, "the integrity stamp could not be computed");
    // The stronger key becomes the login's once the file in place is sealed under it; a save that failed before
    // leaves the old key, which the file on disk still opens with.
    if (stronger && (replaced.isOk() || inPlace))
        login.protection = std::move(stronger);
    if (!replaced.isOk()) {
        if (!inPlace) { // the stamp in place is still the previous one
            state.AccountFileCrc = previousCrc;
            state.ComputedStamp = previousStamp;
        }
        return replaced;
    }
    state.resetIdle();
    return Result::ok();
}

} // namespace

Result SaveAccountFile(AppState& state, Login& login, const AccountTable& table)
{
    bool inPlace = false;
    return SaveAccountFile(state, login, table, inPlace);
}

Result SaveAccountFile(AppState& state, Login& login, const AccountTable& table, bool& filesInPlace)
{
    filesInPlace = false;
    // No failure ends the program: it is reported as a save that did not happen.
    try {
        Result saved = save(state, login, table, filesInPlace);
        if (saved.isOk() || filesInPlace)
            RememberAccountFile(state);
        if (saved.isOk())
            NoteProtection(state, login.protection.get());
        return saved;
    } catch (const std::bad_alloc&) {
        return saveFailed(state, JoinPath(state.programFolder, kAccountFileName), "not enough memory",
                          filesInPlace ? kInPlaceNotFlushed : kLeftAsItWas);
    } catch (const std::exception& e) {
        return saveFailed(state, JoinPath(state.programFolder, kAccountFileName), e.what(),
                          filesInPlace ? kInPlaceNotFlushed : kLeftAsItWas);
    }
}
