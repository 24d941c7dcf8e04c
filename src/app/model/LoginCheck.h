#pragma once

#include "app/files/AccountRecord.h"
#include "base/Result.h"
#include "cipher/ProtectedFile.h"
#include "cipher/SecretString.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

struct AppState;

inline constexpr const char* kInvalidLoginMessage = "Invalid login, please try again!  ";
inline constexpr const char* kInvalidLoginCaption = "Login";
inline constexpr const char* kTooManyFailedLogins = "You have exceeded the maximum number   "
                                                    "\r\n"
                                                    "of failed logins. Coffernote will now close.  ";

// The login asked for at start-up: the entry on the number pad and the comparison with the header record of the
// table the session loaded (not with the program-wide settings, which it sets on success). A protected account
// file is opened here instead: the key derived from the entry must open it, and its header then holds the login.
class LoginCheck
{
public:
    // table: the session's account table; only its header record is consulted, unless a protected file fills it.
    LoginCheck(AppState& state, AccountTable& table);
    ~LoginCheck();

    LoginCheck(const LoginCheck&) = delete;
    LoginCheck& operator=(const LoginCheck&) = delete;

    // The dialog opens: no failure counted yet, the pad entry empty, the check not over.
    void start();
    // Appends the digit, keeping at most the first kMaxPadDigits.
    void padDigit(char digit);
    // Ok: logged in (the login settings are set, the main window opens: loggedIn()), or nothing happened (no
    // account file, or the check is over). Reported: the entry was refused and the user told so, the pad entry
    // emptied. EndProgram: the seventh failure, told.
    Result cmdOK_Click(const SecretString& userName, const SecretString& password1);
    // The account file waits for the login's key: OK derives it (slow on purpose) and opens the file with it.
    bool opensProtectedFile() const;
    // The derivation on its own, for a thread other than the dialog's: it touches nothing shared. Null when the
    // file's header is unknown or memory is short.
    static std::unique_ptr<FileProtection> deriveKey(const std::optional<ProtectedHeader>& header,
                                                     const SecretString& userName, const SecretString& password1,
                                                     const SecretString& padDigits);
    // The settings and salt of the file that waits; nothing when none does.
    std::optional<ProtectedHeader> protectedHeader() const;
    // OK's second half for a protected file, with the key derived from the entry: opened is a login, a key that
    // does not open the file is a failed login like a wrong entry. Results as for cmdOK_Click.
    Result openWith(std::unique_ptr<FileProtection> key);

    // Leaving the dialog (Cancel, Esc, closing it) ends the program unless the check is already over.
    Result cmdCancel_Click();

    bool loggedIn() const { return loggedIn_; }
    // Logged in, or the program must end: nothing the dialog does later counts.
    bool finished() const { return finished_; }
    const SecretString& numpadEntry() const { return numpadEntry_; }
    int failedLogins() const { return failedLogins_; }

    // Forgets the pad entry.
    void wipeSecrets();

    static constexpr std::size_t kMaxPadDigits = 20;
    static constexpr int kMaxFailedLogins = 7;

private:
    bool accountFileExists() const;
    Result end(ExitStatus exit);
    Result takeHeaderLogin();
    Result failed();

    AppState& state_;
    AccountTable& table_;
    SecretString numpadEntry_;
    std::int16_t failedLogins_ = 0;
    bool loggedIn_ = false;
    bool finished_ = false;
};
