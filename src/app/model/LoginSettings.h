#pragma once

#include "cipher/SecretString.h"

#include "base/Result.h"

#include <functional>
#include <string>

struct AppState;

inline constexpr const char* kNoLoginQuestion = "No login will be required to view your accounts.  Continue?  ";
inline constexpr const char* kLoginMismatchMessage = "The password you entered does not match the confirmed password.";

// What the login settings dialog's four boxes hold. Overwritten when it goes.
struct LoginEntries
{
    SecretString userName;
    SecretString password;
    SecretString confirm;
    SecretString numpad;

    LoginEntries() = default;
    LoginEntries(const LoginEntries&) = delete;
    LoginEntries& operator=(const LoginEntries&) = delete;
};

// The login settings: sets, changes or removes the login asked for at start-up, and stores it at once in the
// account file's header record. An OK may wait on a prompt while the dialog is closed behind it (the lock), so
// one instance serves one operation and lives on the caller's stack, not in the dialog.
class LoginSettings
{
public:
    // save writes the account file with the new header (and tells the user); stillOpen is false once the dialog
    // was closed while a prompt was open.
    LoginSettings(AppState& state, std::function<Result()> save, std::function<bool()> stillOpen);

    // The boxes' first content: the user name, the first password twice, the second password.
    void Form_Load(LoginEntries& entries) const;
    // Ok: stored and saved (closes() is true), or left as it was (the removal was declined, the dialog was
    // closed meanwhile). Reported: the password and its confirmation differ; the user was told, nothing stored.
    // EndProgram: the save ended the program.
    Result cmdOK_Click(const LoginEntries& entries);

    // After OK: the dialog unloads; removed() says the login was removed (the main window is not shown again).
    bool closes() const { return closes_; }
    bool removed() const { return removed_; }

    // The number pad box's filter: the digits and Backspace (code 8).
    static bool isNumber(int code);
    // What reaches the number pad box otherwise (a paste, a drop) stands only when this holds.
    static bool onlyNumbers(const std::u16string& text);

    static constexpr int kMaxNumpadDigits = 15;

private:
    AppState& state_;
    std::function<Result()> save_;
    std::function<bool()> stillOpen_;
    bool closes_ = false;
    bool removed_ = false;
};
