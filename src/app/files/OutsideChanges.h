#pragma once

#include "app/files/AccountRecord.h"

#include <string>
#include <vector>

struct AppState;
struct FileProtection;

// Another writer of the data folder: a second computer whose saves arrive through a synchronised folder, or a copy
// put back by hand. This copy remembers the account file it last read or wrote, and looks before each save.

// Remembers the account file in place as the one this copy read or wrote (its CRC is state.AccountFileCrc).
void RememberAccountFile(AppState& state);

// True when the account file in place is not the one this copy last read or wrote. When its identity, size and
// time are unchanged this is one look at the folder; otherwise the content decides (a file rewritten with the
// same bytes is no change).
bool AccountFileChangedOutside(AppState& state);

enum class OutsideFile {
    Opened,     // theirs holds its accounts; base the version this copy last saw, when kept (hasBase)
    Missing,    // no account file in place (a save in flight, or deleted elsewhere): nothing to take in
    OtherLogin, // encrypted with a login whose key this copy does not hold
    Unreadable, // damaged, or not an account file of Coffernote's
};
// Reads the account file another writer put in place, and the version this copy last saw, in memory, opening them
// with key (the login's; null for the default form); the state's stamp is then that file's.
OutsideFile ReadOutsideChange(AppState& state, const FileProtection* key, AccountTable& theirs, AccountTable& base,
                              bool& hasBase);

// Conflict copies of the account file that synchronisation programs make beside it when two computers changed it
// at once ("settings.sync-conflict-<date>-<time>-<device>.dat", "settings (conflicted copy <date> <time>).dat",
// "settings (<name>'s conflicted copy <date>).dat"): their paths.
std::vector<std::string> AccountFileConflictCopies(const std::string& dataFolder);
// The options files' conflict copies ("config.sync-conflict-...dat" and the like): their stamps name nothing.
std::vector<std::string> OptionsFileConflictCopies(const std::string& dataFolder);
