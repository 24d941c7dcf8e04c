#pragma once

#include "base/Result.h"

#include <cstdint>
#include <string>
#include <string_view>

struct AppState;
struct OptionsRecord;

// CRC-32 of the folder's account file, read in 8192-byte chunks. Fails when it cannot be read, naming the file,
// the reason and the stream's error number.
Outcome<std::uint32_t> ComputeIntegrityStamp(const std::string& folder);

// Upper-case hexadecimal, no leading zeros ("0" for 0).
std::string StampText(std::uint32_t crc);

// Computes AccountFileCrc and ComputedStamp of the account file into state; fails when it cannot be read or the
// stamp cannot be encrypted.
Result ComputeStamp(AppState& state);

// The same for account file bytes already in memory (a load that has read the file, a save that is about
// to write it); fails when the stamp cannot be encrypted.
Result ComputeStampOf(AppState& state, std::string_view accountFileBytes);

// Computes the stamp, reads the options file into options (when it exists) and compares exactly: value says
// whether they match. Fails, naming the file and the reason, when the account file or the options file holding
// the stamp exists but cannot be read: such a stamp is not one that differs.
Outcome<bool> CheckStamp(AppState& state, OptionsRecord& options);
