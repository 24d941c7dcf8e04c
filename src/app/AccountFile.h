#pragma once

#include "app/AccountRecord.h"

#include <string>

struct AppState;
struct OptionsRecord;

enum class LoadResult
{
    NoFile,    // no account file: the table holds the header built from the login settings
    Loaded,    // the table holds the file's records (the header check may have run the recovery)
    Recovered, // the file did not match its stamp or could not be read; the user chose to restore defaults:
               // the account file is gone and the table holds the header built from the login settings
    Ended,     // the user chose to end the program, or a data file exists but cannot be read (a message named
               // it and nothing was deleted); the program has ended and the caller must return at once
};

// Loads the folder's account file into table: stamp check, decryption in memory (the file on disk is never
// rewritten by a load), parse, header check. Any damage goes to the recovery question. A leftover temporary
// account file from an interrupted run is removed, never read. options receives the options file's values.
LoadResult LoadAccountFile(AppState& state, OptionsRecord& options, AccountTable& table);

struct SaveResult
{
    enum Status
    {
        Saved,
        Removed, // the table held no account: the account file was deleted
        Failed,  // nothing on disk changed; error is a complete message for the user (style 48) that names
                 // the file and the reason
        Ended,   // the stamp check before the save ended the program
    } status = Saved;
    std::string error;
};

// Writes the whole table (header from the login settings) as the two-layer encrypted account file and
// refreshes the stamp. The new file is complete and flushed before it replaces the old one.
SaveResult SaveAccountFile(AppState& state, const AccountTable& table);

// The inner and outer layers, exposed for tests and benchmarks.
std::string FormatRecordNo(std::int16_t n); // " 0", " 7", "-3"
std::string EncodeInnerLayer(const AppState& state, const AccountTable& table, bool* ok = nullptr);
bool DecodeInnerLayer(const std::string& inner, AccountTable& table);
