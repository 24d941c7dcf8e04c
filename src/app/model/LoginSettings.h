#pragma once

#include "cipher/ProtectedFile.h"
#include "cipher/SecretString.h"

#include "base/Result.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

struct AppState;
struct Login;

inline constexpr const char* kNoLoginQuestion = "No login will be required to view your accounts.  Continue?  ";
inline constexpr const char* kLoginMismatchMessage = "The password you entered does not match the confirmed password.";

// The choice that encrypts the account file with a key derived from the login, and what it asks.
inline constexpr const char* kEncryptChoiceText = "Encrypt the account file with this login";
inline constexpr const char* kEncryptConsentQuestion =
    "The account file will be encrypted with this login.  Without it nobody can open your accounts, not even "
    "from a backup, and a forgotten login cannot be recovered.  Continue?  ";
inline constexpr const char* kEncryptNeedsPasswordMessage =
    "An encrypted account file needs a login with a password.  Please enter a password.";
inline constexpr const char* kShortLoginQuestion =
    "This login is short: the user name, the password and the number pad hold fewer than 12 characters together, "
    "so the encrypted file is easier to break.  Use it anyway?  ";
inline constexpr const char* kUnprotectQuestion =
    "The account file will no longer be encrypted with your login: anyone with a copy of it and of Coffernote "
    "will be able to read your accounts.  Continue?  ";
inline constexpr std::size_t kShortLoginCharacters = 12;
// What the dialog says while the new key is derived.
inline constexpr const char* kEncryptingAccounts = "Encrypting your accounts...";
// Followed by the reason: a copy that cannot save changes no login.
inline constexpr const char* kLoginNotChangedMessage = "The login was not changed:\r\n";

// What the login settings dialog's four boxes hold. Overwritten when it goes.
struct LoginEntries
{
    SecretString userName;
    SecretString password;
    SecretString confirm;
    SecretString numpad;
    bool encrypt = false; // the choice to encrypt the account file with this login

    LoginEntries() = default;
    LoginEntries(const LoginEntries&) = delete;
    LoginEntries& operator=(const LoginEntries&) = delete;
};

// The login settings: sets, changes or removes the login asked for at start-up, and stores it at once in the
// account file's header record. An OK may wait on a prompt while the dialog is closed behind it (the lock), so
// one instance serves one operation and is held by a shared pointer, not by the dialog alone: the derivation of
// a new key keeps it until its end.
class LoginSettings : public std::enable_shared_from_this<LoginSettings>
{
public:
    using Finished = std::function<void(const Result&)>;

    // save writes the account file with the new header (and tells the user); stillOpen is false once the dialog
    // was closed while a prompt was open or the key was derived.
    LoginSettings(AppState& state, Login& login, std::function<Result()> save, std::function<bool()> stillOpen);

    // The boxes' first content: the user name, the first password twice, the second password.
    void fillEntries(LoginEntries& entries) const;
    // OK; finished receives the outcome: before this returns, unless a new key is derived (only for an instance
    // held by a shared pointer): then later, on the dialog's thread, once the platform's background work derived
    // it and the save is done. Meanwhile busy() is true.
    // Ok: stored and saved (closes() is true), or left as it was (the removal, the encryption or its end was
    // declined, the dialog was closed meanwhile: a key derived is then wiped unused). With the encryption chosen, a
    // new login (or the encryption turned on) gets a new key and salt, and the save writes the file under it;
    // turned off, the save writes the default file. The new login and key are kept only when the save put the files
    // in place: a failed save that left the files as they were restores the login and key they hold.
    // Reported: the password and its confirmation differ, the key could not be derived, or this copy cannot save
    // (it does not hold the data folder's lock); the user was told, nothing stored.
    // EndProgram: the save ended the program.
    void changeLogin(const LoginEntries& entries, Finished finished);
    bool busy() const { return busy_; }

    // After OK: the dialog unloads; removed() says the login was removed (the main window is not shown again).
    bool closes() const { return closes_; }
    bool removed() const { return removed_; }

    // The number pad box's filter: the digits and Backspace (code 8).
    static bool isNumber(int code);
    // What reaches the number pad box otherwise (a paste, a drop) stands only when this holds.
    static bool onlyNumbers(const std::u16string& text);

    static constexpr int kMaxNumpadDigits = 15;

private:
    bool check(const LoginEntries& e, Result& outcome, bool& newKey);
    // Stores the entries and the key (null: the key stays as it is, unless the encryption ends) and saves.
    Result storeAndSave(std::unique_ptr<FileProtection> key);
    bool open() const { return !stillOpen_ || stillOpen_(); }

    AppState& state_;
    Login& login_;
    std::function<Result()> save_;
    std::function<bool()> stillOpen_;
    // The entries OK stores, kept for the end of a derivation.
    SecretString userName_, password_, numpad_;
    bool protect_ = false;
    bool busy_ = false;
    bool closes_ = false;
    bool removed_ = false;
};
