#pragma once

#include "app/files/OptionsFile.h"
#include "base/AtomicFile.h"
#include "cipher/ProtectedFile.h"
#include "cipher/SecretString.h"

#include <cstdint>
#include <string>

class Platform;

// The program-wide values the data files and the rules share: the run's session owns the one instance and hands
// it to every core operation (no globals), so tests can run many independent programs in one process.
struct AppState
{
    AppState(std::string folder, Platform& seam) : programFolder(std::move(folder)), platform(seam) {}
    ~AppState();

    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    std::string programFolder; // the folder that holds the executable and the data files
    Platform& platform;
    // Said once by the start-up sequence: where the data files are kept and why, when that is not where the
    // user would look (the per-user folder just made, or the program folder's files opened read-only).
    std::string startNotice;

    // Login settings; all empty means no login is asked. They wipe themselves when the state goes.
    SecretString LoginUserName;
    SecretString LoginPassword1;
    SecretString LoginPassword2;

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

    // The account file is encrypted with a key derived from the login: the key and the header every save writes
    // under. Null for the default file. The key lives in locked memory and is overwritten when it goes.
    std::unique_ptr<FileProtection> protection;
    // While a save replaces the key (or ends the encryption): the one the file on disk was written with, so the
    // check before that save can still open it.
    std::unique_ptr<FileProtection> replacedProtection;
    // The settings a new key is derived with; a file derived with less is derived anew at its next save.
    KdfSettings kdfDefaults = kDefaultKdf;
    // That key, when the login derived it in advance (with a new salt) for the file whose header is strongerFor:
    // the next save under that header seals with it, and takes it as the login's once the file is in place.
    std::unique_ptr<FileProtection> strongerProtection;
    ProtectedHeader strongerFor;
    // A protected account file, read and checked against its stamp at start-up, waiting for the login that opens
    // it; stampAfterUnlock: it had no stamp or another one, and gets its own once it opened; changedOutside: it had
    // another one (written by another computer or restored), and the user hears so once it opened.
    std::string lockedAccountFile;
    bool stampAfterUnlock = false;
    bool changedOutside = false;

    bool hasLogin() const { return !LoginUserName.empty() || !LoginPassword1.empty() || !LoginPassword2.empty(); }
};
