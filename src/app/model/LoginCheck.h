#pragma once

#include "app/files/AccountFile.h"
#include "app/files/AccountRecord.h"
#include "base/Result.h"
#include "cipher/ProtectedFile.h"
#include "cipher/SecretString.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct AppState;
struct Login;

inline constexpr const char* kInvalidLoginMessage = "Invalid login, please try again!  ";
inline constexpr const char* kInvalidLoginCaption = "Login";
inline constexpr const char* kTooManyFailedLogins = "You have exceeded the maximum number   "
                                                    "\r\n"
                                                    "of failed logins. Coffernote will now close.  ";
// The login dialog's line below its controls, for a protected file: what OK opens, then that it does so.
inline constexpr const char* kProtectedFileNote = "Your account file is encrypted with this login.";
inline constexpr const char* kOpeningAccounts = "Opening your accounts...";

// The login asked for at start-up: the entry on the number pad and the comparison with the header record of the
// table the session loaded (not with the program-wide settings, which it sets on success). A protected account
// file is opened here instead: the key derived from the entry must open it, and its header then holds the login.
class LoginCheck
{
public:
    // table: the session's account table; only its header record is consulted, unless a protected file fills it.
    // login: the run's login, set from the header on success (with the key that opened a protected file).
    LoginCheck(AppState& state, Login& login, AccountTable& table);
    ~LoginCheck();

    LoginCheck(const LoginCheck&) = delete;
    LoginCheck& operator=(const LoginCheck&) = delete;

    // The dialog opens: no failure counted yet, the pad entry empty, the check not over.
    void start();
    // Appends the digit, keeping at most the first kMaxPadDigits.
    void padDigit(char digit);
    // What the dialog is told of an OK. deriving: the key's derivation starts (true) or has ended (false), before the
    // file is opened and anything is said. finished: the outcome. Ok: logged in (the login settings are set, the
    // main window opens: loggedIn()), or nothing happened (no account file, or the check is over). Reported: the
    // entry was refused and the user told so, the pad entry emptied. EndProgram: the seventh failure, told.
    struct Calls
    {
        std::function<void(bool deriving)> deriving;
        std::function<void(const Result&)> finished;
    };
    // OK: the entry against the header; for a protected file, the key derived from the entry (slow on purpose, in
    // the platform's background work) then the file opened with it. Without protection it finishes before it
    // returns; with it, later, on the dialog's thread. While it works busy() is true, and submits, cancels and pad
    // digits are ignored.
    void submitLogin(const SecretString& userName, const SecretString& password1, Calls calls);
    bool busy() const { return busy_; }
    // The dialog goes while the key is derived: the key is wiped unused, nothing opened and nothing called.
    void abandon();
    // The account file waits for the login's key: OK derives it and opens the file with it.
    bool opensProtectedFile() const { return locked_.waiting(); }
    // Where the load leaves a protected account file for this check to open.
    LockedFile& lockedFile() { return locked_; }

    // Leaving the dialog (Cancel, Esc, closing it) ends the program unless the check is already over (or a key is
    // being derived: then it is ignored).
    Result cancelLogin();

    bool loggedIn() const { return loggedIn_; }
    // Logged in, or the program must end: nothing the dialog does later counts.
    bool finished() const { return finished_; }
    const SecretString& numpadEntry() const { return numpadEntry_; }
    int failedLogins() const { return failedLogins_; }

    // Forgets the pad entry and the protected file waiting.
    void wipeSecrets();

    static constexpr std::size_t kMaxPadDigits = 20;
    static constexpr int kMaxFailedLogins = 7;

private:
    bool accountFileExists() const;
    Result end(ExitStatus exit);
    Result takeHeaderLogin();
    Result failed();
    // OK's second half for a protected file: opened is a login, a key that does not open the file is a failed
    // login like a wrong entry.
    Result openWith(std::unique_ptr<FileProtection> key);
    void deriveStrongerKey();
    Result compareWithHeader(const SecretString& userName, const SecretString& password1);

    AppState& state_;
    Login& login_;
    AccountTable& table_;
    LockedFile locked_;
    SecretString numpadEntry_;
    std::int16_t failedLogins_ = 0;
    bool loggedIn_ = false;
    bool finished_ = false;
    bool busy_ = false;
    // Names the derivation under way: an abandoned one, or one ending after the check, finds another here.
    std::uint64_t derivation_ = 0;
    // Gone with the check: a derivation that ends later finds it expired.
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};
