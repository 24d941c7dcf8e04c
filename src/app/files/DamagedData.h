#pragma once

#include "base/Result.h"

struct AppState;

// The recovery question text, four pieces joined by CR LF.
extern const char* const kDamagedDataQuestion;

// Asks whether to give up the stored accounts. Yes: deletes the account file, clears the stored stamp and
// returns ok. No (or a damaged file that cannot be deleted): the program must end; the caller returns at once.
Result RecoverDamagedData(AppState& state);
