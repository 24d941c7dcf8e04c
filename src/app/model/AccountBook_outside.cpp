// Changes another writer made to the account file (another computer, through a synchronised folder): taken in
// before every save, and while the window is idle, without losing either side's accounts.
#include "app/model/AccountBook.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/AccountVersions.h"
#include "app/files/ChangedOutside.h"
#include "app/files/OutsideChanges.h"
#include "app/model/AccountMerge.h"
#include "base/AtomicFile.h"
#include "platform/Platform.h"

#include <unistd.h>

namespace {

const char* const kOtherLogin =
    "The account file was changed on another computer under another login, which this copy of Coffernote does not "
    "hold.\r\nNothing was saved, so that neither computer's accounts are lost: close Coffernote and start it again "
    "to open the file with that login.";
const char* const kConflictCopy = "A synchronisation program set aside a copy of the account file that another "
                                  "computer changed at the same time as this one:\r\n";

// Where an account stands in its table: its name and which of that name it is.
struct Place
{
    std::string name;
    std::size_t occurrence = 0;
};

Place placeOf(const AccountTable& t, int index)
{
    Place p;
    if (index < 1 || static_cast<std::size_t>(index) >= t.size())
        return p;
    p.name = t[static_cast<std::size_t>(index)].AccountName;
    for (int i = 1; i < index; ++i)
        p.occurrence += t[static_cast<std::size_t>(i)].AccountName == p.name;
    return p;
}

int indexOf(const AccountTable& t, const Place& p)
{
    std::size_t seen = 0;
    for (std::size_t i = 1; i < t.size(); ++i)
        if (t[i].AccountName == p.name && seen++ == p.occurrence)
            return static_cast<int>(i);
    return -1;
}

} // namespace

Result AccountBook::mergeOutsideChanges(std::string& told)
{
    if (!AccountFileChangedOutside(state_))
        return Result::ok();
    AccountTable theirs, base;
    bool hasBase = false;
    switch (ReadOutsideChange(state_, login_.protection.get(), theirs, base, hasBase)) {
    case OutsideFile::Missing:
    case OutsideFile::Unreadable: // the save's check asks the damaged-data question, whose Yes keeps it
        return Result::ok();      // among the versions
    case OutsideFile::OtherLogin:
        state_.platform.message(kOtherLogin, MsgExclamation);
        return Result::reported();
    case OutsideFile::Opened:
        break;
    }
    // Without the version this copy last saw, a table that is all on disk is that version.
    if (!hasBase && tableOnDisk_) {
        base = table_;
        hasBase = true;
    }
    Outcome<MergedAccounts> merged = MergeAccounts(hasBase ? &base : nullptr, table_, theirs);
    WipeTable(theirs);
    WipeTable(base);
    if (!merged.result.isOk()) {
        state_.platform.message(merged.result.message(), MsgExclamation);
        return Result::reported();
    }
    const Place shown = placeOf(table_, displayed_);
    WipeTable(table_);
    table_ = std::move(merged.value.table);
    displayed_ = shown.name.empty() ? -1 : indexOf(table_, shown);
    const std::string typed = comboText_; // the list goes anew, the name shown or typed stays
    rebuildAccountList();
    comboText_ = typed;
    told = MergeMessage(merged.value.report);
    return Result::ok();
}

Result AccountBook::storeTable(bool& inPlace)
{
    inPlace = false;
    // The file this copy saw, gone: another computer's save may be moving in; a save now would be replaced by it.
    if (int waitMs = kAccountFileArrivalMs; state_.accountFileSeen)
        (void)AwaitAccountFile(state_, waitMs);
    std::string told;
    if (Result merged = mergeOutsideChanges(told); !merged.isOk())
        return merged;
    const Result saved = SaveAccountFile(state_, login_, table_, inPlace);
    tableOnDisk_ = saved.isOk() || inPlace;
    if (!told.empty())
        state_.platform.message(told, MsgInformation);
    return saved;
}

bool AccountBook::takeInOutsideChanges()
{
    // An edit under way is the user's: the list follows at the next save or the next look.
    if (buttons_.cancel || !AccountFileChangedOutside(state_))
        return false;
    const std::string before = displayed_ >= 0 ? comboText_ : std::string();
    std::string told;
    if (!mergeOutsideChanges(told).isOk())
        return false;
    // The accounts in memory had all been saved: the merge is what the other computer wrote, and this copy now
    // holds that file as its own.
    RememberAccountFile(state_);
    if (displayed_ >= 0)
        showRecord(displayed_);
    else if (!before.empty())
        newAccount(); // the account shown was deleted on the other computer
    return true;
}

bool AccountBook::mergeConflictCopies()
{
    if (!state_.platform.holdsDataFolderLock())
        return false; // the copy that holds the folder merges them
    bool changed = false;
    for (const std::string& path : AccountFileConflictCopies(state_.programFolder)) {
        const Outcome<std::string> bytes = ReadWholeFile(path);
        AccountTable theirs;
        const VersionContent content = bytes.result.isOk() ? OpenVersion(bytes.value, login_.protection.get(), theirs)
                                                           : VersionContent::Unreadable;
        const std::string name = path.substr(path.find_last_of('/') + 1);
        if (content != VersionContent::Opened) {
            if (toldConflicts_.insert(name).second)
                state_.platform.message(std::string(kConflictCopy) + name + "\r\n" +
                                            (content == VersionContent::OtherLogin
                                                 ? "It is encrypted with another login, so it was left as it is."
                                                 : "It cannot be read, so it was left as it is."),
                                        MsgExclamation);
            continue;
        }
        // Which version the two share is not known: nothing is deleted, and an account both changed is kept twice.
        Outcome<MergedAccounts> merged = MergeAccounts(nullptr, table_, theirs);
        WipeTable(theirs);
        if (!merged.result.isOk()) {
            if (toldConflicts_.insert(name).second)
                state_.platform.message(merged.result.message(), MsgExclamation);
            continue;
        }
        AccountTable before = std::move(table_);
        table_ = std::move(merged.value.table);
        bool inPlace = false;
        const Result saved = storeTable(inPlace);
        if (!saved.isOk() && !inPlace) {
            WipeTable(table_);
            table_ = std::move(before); // nothing written: the copy stays for the next look
            if (saved.isFailed())
                state_.platform.message(saved.message(), MsgExclamation);
            return changed;
        }
        WipeTable(before);
        (void)MoveFileToVersions(state_.programFolder, path);
        changed = true;
        state_.platform.message(std::string(kConflictCopy) + name + "\r\nIts accounts were merged in and saved; the " +
                                    "copy is kept among the earlier versions." +
                                    (merged.value.report.empty() ? "" : "\r\n" + MergeMessage(merged.value.report)),
                                MsgInformation);
    }
    // The options' conflict copies hold a stamp that names nothing now, and display options the file in place has.
    for (const std::string& path : OptionsFileConflictCopies(state_.programFolder))
        (void)::unlink(path.c_str());
    if (changed) {
        displayed_ = -1;
        rebuildAccountList();
        newAccount();
    }
    return changed;
}
