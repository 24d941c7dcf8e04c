#pragma once

#include <QString>

#include <sys/types.h>
#include <unistd.h>

// Where the data files live. The program keeps them next to its executable (a portable, per-user install) when
// that folder is the user's alone; otherwise (a system install, a folder others can write, a run as root from a
// folder others can open) in the user's own data folder. Data files the user left in a program folder that can
// no longer be used are opened read-only rather than passed over.
struct DataFolder
{
    QString folder;        // the chosen folder, without a trailing separator; empty when none could be had
    QString error;         // one line naming the folder and the reason, when none could be had
    QString notice;        // said once at start-up: why the data are not where the user would look for them
                           // (never for an installed program in a system folder, whose data are expected elsewhere)
    bool readOnly = false; // the program folder's own data files, to be read and never changed
};

// True when a file can be created (and is removed again) in the folder: permissions, read-only mounts and
// access control lists all have their say, which asking access() alone would not give them.
bool folderWritable(const QString& folder);

// The per-user data folder: the desktop's (XDG_DATA_HOME or ~/.local/share)/Coffernote, and for root always under
// root's own home folder, never the home of the user who ran sudo.
QString userDataFolder();

// The note of the data folders this user encrypted with a login, outside every data folder: the desktop's
// (XDG_STATE_HOME or ~/.local/state)/Coffernote/protected-folders; for root under root's own home folder.
QString protectionNoteFile();

// programFolder: the executable's folder. userFolder: the per-user data folder, created owner-only when used.
// user: whose data they are (the ownership the folders and files are checked against).
DataFolder chooseDataFolder(const QString& programFolder, const QString& userFolder, uid_t user = geteuid());

// Start-up notices; %1, %2, %3 are filled in as named.
// The per-user folder was just made: %1 that folder, %2 the program folder, %3 why it is not used.
inline constexpr const char* kUserFolderNotice = "Coffernote keeps your data files in your own data folder\r\n%1\r\n"
                                                 "because its program folder\r\n%2\r\n%3.";
// Added to it while the program folder also holds an account file of the user's, passed over for the per-user one.
inline constexpr const char* kProgramAccountsNotShownNotice =
    "\r\nThe accounts in the program folder's settings.dat are not the ones shown: Coffernote shows those of your "
    "own data folder.";
// The program folder's data files, opened read-only: %1 the program folder, %2 why it cannot be used, %3 the
// per-user folder.
inline constexpr const char* kReadOnlyDataNotice =
    "Coffernote opened the data files in its program folder\r\n%1\r\nfor reading only: that folder %2.\r\n"
    "You can look accounts up, but no change can be saved. To keep using these files, make the folder writable "
    "by you alone, or close Coffernote and move settings.dat and config.dat together into\r\n%3";
