#pragma once

#include <cstdint>
#include <string>

struct AppState;
struct OptionsRecord;

// CRC-32 of the folder's account file, read in 8192-byte chunks. Throws FileStreamError when it cannot be read.
std::uint32_t ComputeIntegrityStamp(const std::string& folder);

// Upper-case hexadecimal, no leading zeros ("0" for 0).
std::string StampText(std::uint32_t crc);

// Computes AccountFileCrc and ComputedStamp of the account file into state; false when it cannot be read.
bool ComputeStamp(AppState& state);

enum class StampCheck
{
    Match,
    Mismatch,
    Unreadable, // the account file exists but cannot be read
};

// Computes the stamp, reads the options file into options (when it exists) and compares exactly.
StampCheck CheckStamp(AppState& state, OptionsRecord& options);
