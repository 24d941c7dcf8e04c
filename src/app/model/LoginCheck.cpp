#include "app/model/LoginCheck.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/Paths.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

LoginCheck::LoginCheck(AppState& state, AccountTable& table) : state_(state), table_(table)
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
    failedLogins_ = 0;
    loggedIn_ = finished_ = false;
    wipe(numpadEntry_);
}

void LoginCheck::padDigit(char digit)
{
    numpadEntry_.push_back(digit);
    if (numpadEntry_.size() > kMaxPadDigits)
        numpadEntry_.resize(kMaxPadDigits); // a 21st digit is dropped, the first 20 stay
}

bool LoginCheck::opensProtectedFile() const
{
    return !state_.lockedAccountFile.empty();
}

std::optional<ProtectedHeader> LoginCheck::protectedHeader() const
{
    if (!opensProtectedFile())
        return std::nullopt;
    return ReadProtectedHeader(state_.lockedAccountFile);
}

std::unique_ptr<FileProtection> LoginCheck::deriveKey(const std::optional<ProtectedHeader>& header,
                                                      const SecretString& userName, const SecretString& password1,
                                                      const SecretString& padDigits)
{
    if (!header)
        return nullptr;
    return ProtectionFor(*header, userName, password1, padDigits);
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
    const Outcome<UnlockKind> opened = UnlockAccountFile(state_, std::move(key), table_);
    if (opened.result.mustEnd())
        return end(opened.result.exitStatus());
    if (opened.value == UnlockKind::WrongLogin)
        return failed();
    // Opened: the file's header holds the login just typed. Recovered: the damaged file is gone, and with it the
    // login it held.
    return takeHeaderLogin();
}

Result LoginCheck::cmdOK_Click(const SecretString& userName, const SecretString& password1)
{
    if (finished_)
        return Result::ok();
    if (opensProtectedFile())
        return openWith(deriveKey(protectedHeader(), userName, password1, numpadEntry_));
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
    state_.LoginUserName = header.Notes;
    state_.LoginPassword1 = header.UserId;
    state_.LoginPassword2 = header.Password;
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

Result LoginCheck::cmdCancel_Click()
{
    if (finished_)
        return Result::ok();
    return end(ExitStatus::Closed);
}

void LoginCheck::wipeSecrets()
{
    wipe(numpadEntry_);
}
