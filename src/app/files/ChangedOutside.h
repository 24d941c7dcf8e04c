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

// Waits, through the platform, for an account file that is not there to appear: a synchronisation program deletes
// the old file just before it moves the new one in place. leftMs: the time still allowed (a start that meets one
// save after another allows kAccountFileArrivalMs in all); the time spent is taken off. True once it exists.
inline constexpr int kAccountFileArrivalMs = 2000;
bool AwaitAccountFile(AppState& state, int& leftMs);
// The same for the options file, missing beside an account file, up to kAccountFileArrivalMs.
bool AwaitOptionsFile(AppState& state);
// The same for the options file's stamp to change from stamp (a missing file has none): the options file of
// another computer's save may arrive just after its account file. True once it changed.
bool AwaitStampChange(AppState& state, const std::string& stamp, int& leftMs);

// Empties the stamp in the options file (the other options kept), only with the data folder's lock: the deletion
// of the last account does so before the file goes, so that a stamp without its file always means a file lost or
// still arriving. Nothing to do without an options file or a stamp.
Result ForgetStamp(AppState& state);

// Said before the program ends when the stamp names an account file that is not there (and no save to finish).
std::string MissingAccountFileMessage(const std::string& dataFolder);
