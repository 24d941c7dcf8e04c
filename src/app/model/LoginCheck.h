#pragma once

#include "app/files/AccountRecord.h"
#include "app/files/OptionsFile.h"
#include "base/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct AppState;

inline constexpr const char* kInvalidLoginMessage = "Invalid login, please try again!  ";
inline constexpr const char* kInvalidLoginCaption = "Login";
inline constexpr const char* kTooManyFailedLogins = "You have exceeded the maximum number   "
                                                    "\r\n"
                                                    "of failed logins. Coffernote will now close.  ";

// The login asked for at start-up: the load with its checks, the entry on the number pad, and the comparison
// with the account file's header record (not with the program-wide settings, which it sets on success).
class LoginCheck
{
public:
    // openMain opens the main window after a correct entry.
    LoginCheck(AppState& state, std::function<void()> openMain);
    ~LoginCheck();

    LoginCheck(const LoginCheck&) = delete;
    LoginCheck& operator=(const LoginCheck&) = delete;

    // Second-copy test, stamp check, private load and header check (damage leads to the recovery question).
    Result Form_Load();
    // Appends the digit, keeping at most the first kMaxPadDigits.
    void padDigit(char digit);
    // Ok: the main window was opened, or nothing happened (no account file, or the check is over).
    // Failed: the entry was refused and told so, the pad entry emptied. EndProgram: the seventh failure.
    Result cmdOK_Click(const std::string& userName, const std::string& password1);
    // Leaving the dialog (Cancel, Esc, closing it) ends the program unless the check is already over.
    Result cmdCancel_Click();

    bool loggedIn() const { return loggedIn_; }
    // Logged in, or the program must end: nothing the dialog does later counts.
    bool finished() const { return finished_; }
    const std::string& numpadEntry() const { return NumpadEntry; }
    int failedLogins() const { return FailedLogins; }

    // Forgets the pad entry and the private copy of the login settings.
    void wipeSecrets();

    static constexpr std::size_t kMaxPadDigits = 20;
    static constexpr int kMaxFailedLogins = 7;

private:
    bool accountFileExists() const;
    Result end();

    AppState& state_;
    std::function<void()> openMain_;
    OptionsRecord options_;
    AccountTable table_; // only the header record is consulted
    std::string NumpadEntry;
    std::int16_t FailedLogins = 0;
    bool loggedIn_ = false;
    bool finished_ = false;
};
