#include "app/model/LoginCheck.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/Paths.h"
#include "app/model/Startup.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

LoginCheck::LoginCheck(AppState& state, std::function<void()> openMain) : state_(state), openMain_(std::move(openMain))
{
    // Room for the longest entry from the start: a growing string would leave the earlier digits behind in
    // the buffers it gives up. The wipes keep the buffer, so the entry never moves.
    NumpadEntry.reserve(kMaxPadDigits + 1);
}

LoginCheck::~LoginCheck()
{
    wipeSecrets();
}

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

Result LoginCheck::Form_Load()
{
    FailedLogins = 0;
    wipe(NumpadEntry);

    if (state_.platform.previousInstanceRunning()) {
        state_.platform.message(kAlreadyRunningMessage, MsgInformation);
        return end();
    }
    if (!accountFileExists())
        return Result::ok(); // nothing to log in to: the header stays empty and OK does nothing

    const LoadResult loaded = LoadAccountFile(state_, options_, table_);
    if (!loaded.result.isOk())
        return end();
    if (loaded.value == LoadKind::Recovered)
        table_.clear(); // the accounts are gone: nothing was loaded
    // Only the header record is needed; the accounts' secrets need not stay here.
    for (std::size_t i = 1; i < table_.size(); ++i) {
        wipe(table_[i].Notes);
        wipe(table_[i].UserId);
        wipe(table_[i].Password);
    }
    if (table_.size() > 1)
        table_.resize(1);
    return Result::ok();
}

void LoginCheck::padDigit(char digit)
{
    NumpadEntry.push_back(digit);
    if (NumpadEntry.size() > kMaxPadDigits)
        NumpadEntry.resize(kMaxPadDigits); // a 21st digit is dropped, the first 20 stay
}

Result LoginCheck::cmdOK_Click(const std::string& userName, const std::string& password1)
{
    if (finished_ || !accountFileExists())
        return Result::ok();

    // A file that appeared after the load has no header here: nothing can match it.
    const bool match = !table_.empty() && userName == table_.front().Notes && NumpadEntry == table_.front().Password &&
                       password1 == table_.front().UserId;
    if (match) {
        const AccountRecord& header = table_.front();
        state_.LoginUserName = header.Notes;
        state_.LoginPassword1 = header.UserId;
        state_.LoginPassword2 = header.Password;
        loggedIn_ = finished_ = true;
        if (openMain_)
            openMain_();
        wipeSecrets();
        return Result::ok();
    }

    ++FailedLogins;
    if (FailedLogins >= kMaxFailedLogins) {
        state_.platform.message(kTooManyFailedLogins, MsgInformation);
        return end();
    }
    state_.platform.messageBox(kInvalidLoginMessage, MsgExclamation, kInvalidLoginCaption);
    wipe(NumpadEntry);
    return Result::failed(kInvalidLoginMessage);
}

Result LoginCheck::cmdCancel_Click()
{
    if (finished_)
        return Result::ok();
    return end();
}

void LoginCheck::wipeSecrets()
{
    wipe(NumpadEntry);
    WipeTable(table_);
}
