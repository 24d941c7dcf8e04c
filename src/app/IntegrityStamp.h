#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct AppState;
struct OptionsRecord;

// CRC-32 of the folder's account file, read in 8192-byte chunks. Throws FileStreamError when it cannot be read.
std::uint32_t ComputeIntegrityStamp(const std::string& folder);

// Upper-case hexadecimal, no leading zeros ("0" for 0).
std::string StampText(std::uint32_t crc);

// Computes AccountFileCrc and ComputedStamp of the account file into state; false when it cannot be read.
bool ComputeStamp(AppState& state);

// The same for account file bytes already in memory (a load that has read the file, a save that is about
// to write it); false when the stamp cannot be encrypted.
bool ComputeStampOf(AppState& state, std::string_view accountFileBytes);

enum class StampCheck
{
    Match,
    Mismatch,
    Unreadable, // the account file (or the options file holding the stamp) exists but cannot be read
};

// Computes the stamp, reads the options file into options (when it exists) and compares exactly. On
// Unreadable, error (when given) names the file and the reason.
StampCheck CheckStamp(AppState& state, OptionsRecord& options, std::string* error = nullptr);

// The check for account file bytes the caller has read: the stamp covers exactly what is then decrypted.
StampCheck CheckStampOf(AppState& state, OptionsRecord& options, std::string_view accountFileBytes,
                        std::string* error = nullptr);
