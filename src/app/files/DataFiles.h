#pragma once

#include "base/AtomicFile.h"
#include "base/Result.h"

#include <string>

// Checks on the data folder and its four files, made before anything in it is read or changed.

// When one of "settings.dat", "settings2.dat", "config.dat" or "config2.dat" exists but is not a regular file (a
// folder, a pipe, a device; a link counts as what it points to), fails with a reason that names it. Such a
// file is never opened, deleted or replaced: a pipe would hang the reader, and a folder or device is not ours.
Result NonRegularDataFile(const std::string& folder);

// True when name in folder is a regular file itself, not a link. The program writes its temporary files only
// as such, so a link under a temporary name is never taken for one of them.
bool IsPlainFile(const std::string& path);

// Ok when files can be created and replaced in folder; else the message says why ("Permission denied").
Result FolderWritable(const std::string& folder);

// True when the file read (as the descriptor its bytes came from told: ReadWholeFile's identity, never a second
// look by name, which could find another file) belongs to the user running the program and neither its group nor
// other users can write it: only such a file is taken without a stamp, since anyone who could write it could have
// put a forged one there (the program's keys are no secret).
bool OwnedByUserAlone(const FileIdentity& read);
