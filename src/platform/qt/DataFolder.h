#pragma once

#include <QString>

// Where the data files live. The program keeps them next to its executable (a portable, per-user install);
// run from a folder it cannot write (a system install), it keeps them in the user's own data folder.
struct DataFolder
{
    QString folder; // the chosen folder, without a trailing separator; empty when none could be had
    QString error;  // one line naming the folder and the reason, when none could be had
};

// True when a file can be created (and is removed again) in the folder: permissions, read-only mounts and
// access control lists all have their say, which asking access() alone would not give them.
bool folderWritable(const QString& folder);

// programFolder: the executable's folder. userFolder: the per-user data folder, created owner-only when used.
DataFolder chooseDataFolder(const QString& programFolder, const QString& userFolder);
