#pragma once

#include "app/files/OptionsFile.h"
#include "base/AtomicFile.h"

#include <cstdint>
#include <string>

class Platform;

// The data folder as this run knows it: where it is, the desktop seam, the stamp and the account file last seen,
// and the idle count. The run's session owns the one instance and hands it to the core operations (no globals),
// so tests can run many independent programs in one process. The login and its keys are the session's own
// (Login.h), and a protected file waiting for its key is the login step's.
struct AppState
{
    AppState(std::string folder, Platform& seam) : programFolder(std::move(folder)), platform(seam) {}

    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    std::string programFolder; // the folder that holds the executable and the data files
    Platform& platform;
    // Said once by the start-up sequence: where the data files are kept and why, when that is not where the
    // user would look (the per-user folder just made, or the program folder's files opened read-only).
    std::string startNotice;

    // Idle-timer ticks since the last user operation. Saturates instead of overflowing after weeks.
    std::int16_t IdleTickCount = 0;
    void resetIdle() { IdleTickCount = 0; }
    void tickIdle()
    {
        if (IdleTickCount < INT16_MAX)
            ++IdleTickCount;
    }

    // The last CRC-32 of the account file and the stamp text computed from it.
    std::uint32_t AccountFileCrc = 0;
    std::string ComputedStamp;

    // The account file as this copy last read or wrote it: whether there was one, which file, and its CRC-32. A
    // save first looks whether another writer (another computer, through a synchronised folder) replaced it since.
    bool accountFileSeen = false;
    FileIdentity seenIdentity;
    std::uint32_t seenCrc = 0;

    // The recovery's own copy of the options; it lives for the run, so values read once stay for the next call.
    OptionsRecord recoveryOptions;
};
