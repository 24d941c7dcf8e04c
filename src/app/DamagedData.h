#pragma once

struct AppState;

// The recovery question text, four pieces joined by CR LF.
extern const char* const kDamagedDataQuestion;

// Asks whether to give up the stored accounts. Yes: deletes the account file, clears the stored stamp and
// returns true. No: ends the program through the seam and returns false; the caller must return at once.
bool RecoverDamagedData(AppState& state);
