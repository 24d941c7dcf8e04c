#include "app/model/LoginSettings.h"

#include "app/AppState.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

namespace {

// Replaces a login setting; the assignment overwrites the old text, so no trace of it stays in the buffer.
void store(SecretString& setting, const SecretString& value)
{
    setting = value;
}

} // namespace

LoginSettings::LoginSettings(AppState& state, std::function<Result()> save, std::function<bool()> stillOpen)
    : state_(state), save_(std::move(save)), stillOpen_(std::move(stillOpen))
{
}

void LoginSettings::Form_Load(LoginEntries& entries) const
{
    store(entries.userName, state_.LoginUserName);
    store(entries.password, state_.LoginPassword1);
    store(entries.confirm, state_.LoginPassword1);
    store(entries.numpad, state_.LoginPassword2);
}

Result LoginSettings::cmdOK_Click(const LoginEntries& e)
{
    closes_ = false;
    removed_ = e.userName.empty() && e.password.empty() && e.numpad.empty();
    auto open = [this] { return !stillOpen_ || stillOpen_(); };

    if (removed_ && state_.platform.message(kNoLoginQuestion, MsgQuestion) != Answer::Yes)
        return Result::ok(); // the dialog stays open as it is
    if (!open())
        return Result::ok(); // closed by the lock while asking: nothing is stored
    if (e.password != e.confirm) {
        state_.platform.message(kLoginMismatchMessage, MsgExclamation);
        return Result::reported();
    }

    store(state_.LoginUserName, e.userName);
    store(state_.LoginPassword1, e.password);
    store(state_.LoginPassword2, e.numpad);
    const Result saved = save_ ? save_() : Result::ok();
    if (saved.mustEnd())
        return saved;
    // Locked while the save's message was open: stored, and the main window stays hidden.
    closes_ = open();
    return Result::ok();
}

bool LoginSettings::isNumber(int code)
{
    return code == 8 || (code >= '0' && code <= '9');
}

bool LoginSettings::onlyNumbers(const std::u16string& text)
{
    for (const char16_t c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}
