#pragma once

#include "base/Result.h"

#include <string>

struct AppState;
struct FileProtection;

// A note kept outside the data folder (per user, where the platform says) of every data folder whose account file
// this user encrypted with a login, with that file's salt. Whoever can write a data folder (a synchronised folder,
// a swapped backup) can put an unencrypted file, or one encrypted under another login, in place of the encrypted
// one; the note is what remembers that it was encrypted. Keeping it is best effort: a note that cannot be written
// only means that the next start cannot ask.

// At the start, before anything of fileBytes is used: when the note remembers the folder's file as encrypted and
// fileBytes is not encrypted, or is encrypted under another salt, asks whether to open it (No the default). No
// ends the program with nothing opened or changed; Yes goes on (an unencrypted file is then no longer remembered;
// one under another salt is remembered once its login opened it).
Result CheckRememberedProtection(AppState& state, const std::string& accountFile, const std::string& fileBytes);

// After the folder's account file was opened with a login or saved: remembers the salt of key, the one it is sealed
// under, or, when it is no longer encrypted (null), forgets the folder. Writes the note only when that changes it.
void NoteProtection(AppState& state, const FileProtection* key);

// The questions, for tests: accountFile names the file.
std::string NoLongerEncryptedQuestion(const std::string& accountFile);
std::string EncryptedAnewQuestion(const std::string& accountFile);
