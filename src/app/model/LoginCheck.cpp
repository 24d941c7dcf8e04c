#include "app/model/LoginCheck.h"

#include "app/AppState.h"
#include "app/files/Paths.h"
#include "platform/Platform.h"

LoginCheck::LoginCheck(AppState& state, const AccountTable& table) : state_(state), table_(table)
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

Result LoginCheck::end()
{
    finished_ = true;
    wipeSecrets();
    return Result::endProgram();
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

Result LoginCheck::cmdOK_Click(const SecretString& userName, const SecretString& password1)
{
    if (finished_ || !accountFileExists())
        return Result::ok();

    // A file that appeared after the start has no header here: nothing can match it.
    const bool match = !table_.empty() && userName == table_.front().Notes && numpadEntry_ == table_.front().Password &&
                       password1 == table_.front().UserId;
    if (match) {
        const AccountRecord& header = table_.front();
        state_.LoginUserName = header.Notes;
        state_.LoginPassword1 = header.UserId;
        state_.LoginPassword2 = header.Password;
        loggedIn_ = finished_ = true;
        wipeSecrets();
        return Result::ok();
    }

    ++failedLogins_;
    if (failedLogins_ >= kMaxFailedLogins) {
        state_.platform.message(kTooManyFailedLogins, MsgInformation);
        return end();
    }
    state_.platform.messageBox(kInvalidLoginMessage, MsgExclamation, kInvalidLoginCaption);
    wipe(numpadEntry_);
    return Result::reported();
}

Result LoginCheck::cmdCancel_Click()
{
    if (finished_)
        return Result::ok();
    return end();
}

void LoginCheck::wipeSecrets()
{
    wipe(numpadEntry_);
}
