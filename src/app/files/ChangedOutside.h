#pragma once

#include "base/Result.h"

#include <string>

struct AppState;
struct OptionsRecord;

// An account file that opens and checks out completely but does not match the stamp in the options file was
// written elsewhere: by another computer that shares the data folder, a restored copy, or a save still arriving.
// The stamp is a CRC anyone can recompute, so a mismatch proves no damage: such a file is used, stamped anew and
// the user told. A stamp that names an account file that is not there is told too, and nothing is changed.

// Writes state.ComputedStamp into the options file (options when hadOptions, else the defaults), only with the
// data folder's lock; options receives what was written. Fails with the reason the stamp stayed as it was.
Result StampAccountFileAnew(AppState& state, OptionsRecord& options, bool hadOptions);

// The information message for a whole file under another stamp; restamped: what StampAccountFileAnew gave.
std::string ChangedOutsideMessage(const std::string& accountFile, const Result& restamped);
void TellChangedOutside(AppState& state, const Result& restamped);

// True when stamp is that of a kept version: the last account was deleted, and its file moved into the versions
// (the options keep that stamp, and no account file is the legitimate state); also in a folder without versions,
// which an earlier version of Coffernote emptied that way.
bool StampOfKeptVersion(const std::string& dataFolder, const std::string& stamp);

// Said before the program ends when the stamp names an account file that is not there (and no save to finish).
std::string MissingAccountFileMessage(const std::string& dataFolder);
