#include "app/model/LoginCheck.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/Paths.h"
#include "app/model/BackgroundKey.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

LoginCheck::LoginCheck(AppState& state, Login& login, AccountTable& table) : state_(state), login_(login), table_(table)
{
    // Room for the longest entry from the start: a growing string would move the earlier digits to a new buffer.
    // The wipes keep the buffer, so the entry never moves.
    numpadEntry_.reserve(kMaxPadDigits + 1);
}

LoginCheck::~LoginCheck() = default;

bool LoginCheck::accountFileExists() const
{
    return FileExists(JoinPath(state_.programFolder, kAccountFileName));
}

Result LoginCheck::end(ExitStatus exit)
{
    finished_ = true;
    wipeSecrets();
    return Result::endProgram(exit);
}

void LoginCheck::start()
{
    abandon();
    failedLogins_ = 0;
    loggedIn_ = finished_ = false;
    wipe(numpadEntry_);
}

void LoginCheck::padDigit(char digit)
{
    if (busy_)
        return; // the derivation took the entry as it was
    numpadEntry_.push_back(digit);
    if (numpadEntry_.size() > kMaxPadDigits)
        numpadEntry_.resize(kMaxPadDigits); // a 21st digit is dropped, the first 20 stay
}

Result LoginCheck::openWith(std::unique_ptr<FileProtection> key)
{
    if (finished_ || !opensProtectedFile())
        return Result::ok();
    if (!key) {
        state_.platform.message("Coffernote could not derive the key of the account file:\r\nnot enough memory.",
                                MsgExclamation);
        wipe(numpadEntry_);
        return Result::reported();
    }
    const Outcome<UnlockKind> opened = UnlockAccountFile(state_, login_, locked_, std::move(key), table_);
    if (opened.result.mustEnd())
        return end(opened.result.exitStatus());
    if (opened.value == UnlockKind::WrongLogin)
        return failed();
    // Opened: the file's header holds the login just typed. Recovered: the damaged file is gone, and with it the
    // login it held.
    const Result loggedIn = takeHeaderLogin();
    deriveStrongerKey();
    return loggedIn;
}

// A file whose key was derived with less than the settings of today is sealed under a stronger key at its next
// save: derived now, in the background, so that the save need not wait for it.
void LoginCheck::deriveStrongerKey()
{
    if (!login_.protection || !login_.protection->header.kdf.below(login_.kdfDefaults))
        return;
    const ProtectedHeader weaker = login_.protection->header;
    const std::weak_ptr<const bool> alive = alive_;
    DeriveKeyInBackground(
        state_.platform,
        [kdf = login_.kdfDefaults, user = login_.LoginUserName, password1 = login_.LoginPassword1,
         password2 = login_.LoginPassword2] { return NewProtection(kdf, user, password1, password2); },
        [this, alive, weaker](std::unique_ptr<FileProtection> key) {
            // A save meanwhile derived its own, or the login changed: the key goes unused, wiped.
            if (alive.expired() || !key || !login_.protection || !(login_.protection->header == weaker))
                return;
            login_.strongerProtection = std::move(key);
            login_.strongerFor = weaker;
        });
}

void LoginCheck::submitLogin(const SecretString& userName, const SecretString& password1, Calls calls)
{
    if (busy_)
        return;
    if (finished_ || !opensProtectedFile()) {
        const Result checked = finished_ ? Result::ok() : compareWithHeader(userName, password1);
        if (calls.finished)
            calls.finished(checked);
        return;
    }
    // The derivation gets its own copies of the entry: the dialog's boxes and the pad may change or go meanwhile.
    const std::optional<ProtectedHeader> header = ReadProtectedHeader(locked_.bytes);
    auto derive = [header, userName, password1, digits = numpadEntry_]() -> std::unique_ptr<FileProtection> {
        if (!header)
            return nullptr;
        return ProtectionFor(*header, userName, password1, digits);
    };
    busy_ = true;
    const std::uint64_t derivation = ++derivation_;
    const std::weak_ptr<const bool> alive = alive_;
    if (calls.deriving)
        calls.deriving(true);
    DeriveKeyInBackground(state_.platform, std::move(derive),
                          [this, alive, derivation, calls](std::unique_ptr<FileProtection> key) {
                              // The check or the dialog went meanwhile: the key goes unused, wiped with it.
                              if (alive.expired() || derivation != derivation_)
                                  return;
                              if (calls.deriving)
                                  calls.deriving(false);
                              const Result opened = openWith(std::move(key));
                              busy_ = false;
                              if (calls.finished)
                                  calls.finished(opened);
                          });
}

void LoginCheck::abandon()
{
    ++derivation_;
    busy_ = false;
}

Result LoginCheck::compareWithHeader(const SecretString& userName, const SecretString& password1)
{
    if (!accountFileExists())
        return Result::ok();

    // A file that appeared after the start has no header here: nothing can match it.
    // Each part compared in full, in constant time: how long a comparison takes tells nothing of the login.
    bool match = !table_.empty();
    if (match) {
        const AccountRecord& header = table_.front();
        match = SameSecret(userName.view(), header.Notes.view()) &
                SameSecret(numpadEntry_.view(), header.Password.view()) &
                SameSecret(password1.view(), header.UserId.view());
    }
    return match ? takeHeaderLogin() : failed();
}

// The login of the table's header becomes the program's login.
Result LoginCheck::takeHeaderLogin()
{
    const AccountRecord& header = table_.front();
    login_.LoginUserName = header.Notes;
    login_.LoginPassword1 = header.UserId;
    login_.LoginPassword2 = header.Password;
    loggedIn_ = finished_ = true;
    wipeSecrets();
    return Result::ok();
}

Result LoginCheck::failed()
{
    ++failedLogins_;
    if (failedLogins_ >= kMaxFailedLogins) {
        state_.platform.message(kTooManyFailedLogins, MsgInformation);
        return end(ExitStatus::Failed);
    }
    state_.platform.messageBox(kInvalidLoginMessage, MsgExclamation, kInvalidLoginCaption);
    wipe(numpadEntry_);
    return Result::reported();
}

Result LoginCheck::cancelLogin()
{
    if (finished_ || busy_)
        return Result::ok();
    return end(ExitStatus::Closed);
}

void LoginCheck::wipeSecrets()
{
    wipe(numpadEntry_);
    locked_.forget();
}
