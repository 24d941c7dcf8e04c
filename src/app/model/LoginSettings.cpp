#include "app/model/LoginSettings.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

namespace {

// Replaces a login setting; the assignment overwrites the old text, so no trace of it stays in the buffer.
void store(SecretString& setting, const SecretString& value)
{
    setting = value;
}

std::size_t characters(std::string_view s)
{
    std::size_t n = 0;
    for (const unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

} // namespace

LoginSettings::LoginSettings(AppState& state, std::function<Result()> save, std::function<bool()> stillOpen,
                             Derive derive)
    : state_(state), save_(std::move(save)), stillOpen_(std::move(stillOpen)), derive_(std::move(derive))
{
}

void LoginSettings::Form_Load(LoginEntries& entries) const
{
    store(entries.userName, state_.LoginUserName);
    store(entries.password, state_.LoginPassword1);
    store(entries.confirm, state_.LoginPassword1);
    store(entries.numpad, state_.LoginPassword2);
    entries.encrypt = state_.protection != nullptr;
}

Result LoginSettings::cmdOK_Click(const LoginEntries& e)
{
    closes_ = false;
    removed_ = e.userName.empty() && e.password.empty() && e.numpad.empty();
    auto open = [this] { return !stillOpen_ || stillOpen_(); };

    // A copy that cannot save (a read-only run, another copy's lock) asks nothing and derives nothing.
    if (save_ && !state_.platform.holdsDataFolderLock()) {
        state_.platform.message(kLoginNotChangedMessage + LockNotHeldReason(state_) + ".", MsgExclamation);
        return Result::reported();
    }

    if (removed_ && state_.platform.message(kNoLoginQuestion, MsgQuestion) != Answer::Yes)
        return Result::ok(); // the dialog stays open as it is
    if (!open())
        return Result::ok(); // closed by the lock while asking: nothing is stored
    if (e.password != e.confirm) {
        state_.platform.message(kLoginMismatchMessage, MsgExclamation);
        return Result::reported();
    }

    const bool wasProtected = state_.protection != nullptr;
    const bool protect = e.encrypt && !removed_;
    const bool newLogin =
        e.userName != state_.LoginUserName || e.password != state_.LoginPassword1 || e.numpad != state_.LoginPassword2;
    const bool newKey = protect && (!wasProtected || newLogin);
    // These questions weaken the protection or risk the accounts on Yes: Enter alone answers No.
    auto asked = [&](const char* question) {
        return state_.platform.message(question, MsgQuestionNoDefault) == Answer::Yes && open();
    };
    if (protect && e.password.empty()) {
        state_.platform.message(kEncryptNeedsPasswordMessage, MsgExclamation);
        return Result::reported();
    }
    if (protect && !wasProtected && !asked(kEncryptConsentQuestion))
        return Result::ok(); // nothing stored; the dialog stays open
    const std::size_t length =
        characters(e.userName.view()) + characters(e.password.view()) + characters(e.numpad.view());
    if (newKey && length < kShortLoginCharacters && !asked(kShortLoginQuestion))
        return Result::ok();
    if (!protect && wasProtected && !asked(kUnprotectQuestion))
        return Result::ok();

    std::unique_ptr<FileProtection> key;
    if (newKey) {
        key = derive_ ? derive_(e) : NewProtection(state_.kdfDefaults, e.userName, e.password, e.numpad);
        if (!open())
            return Result::ok(); // closed by the lock while deriving: nothing is stored
        if (!key) {
            state_.platform.message("Coffernote could not derive the key of the account file:\r\nnot enough memory.",
                                    MsgExclamation);
            return Result::reported();
        }
    }

    // Kept until the save is known to be in place: the login and the key must keep matching the file on disk.
    const SecretString previousUser = state_.LoginUserName, previousPassword1 = state_.LoginPassword1,
                       previousPassword2 = state_.LoginPassword2;
    const std::string previousStamp = state_.ComputedStamp;
    const bool replacesKey = key || !protect;
    store(state_.LoginUserName, e.userName);
    store(state_.LoginPassword1, e.password);
    store(state_.LoginPassword2, e.numpad);
    // The save writes the file under the new key (in one journal save), or in the default form.
    if (replacesKey) {
        state_.replacedProtection = std::move(state_.protection);
        state_.protection = std::move(key);
    }
    const Result saved = save_ ? save_() : Result::ok();
    std::unique_ptr<FileProtection> previousKey = std::move(state_.replacedProtection);
    if (saved.mustEnd())
        return saved;
    // A failed save keeps the stamp in place unless the new files are in place all the same (only a flush of
    // the folder failed): then the new login and key are what the disk holds.
    if (!saved.isOk() && state_.ComputedStamp == previousStamp) {
        store(state_.LoginUserName, previousUser);
        store(state_.LoginPassword1, previousPassword1);
        store(state_.LoginPassword2, previousPassword2);
        if (replacesKey)
            state_.protection = std::move(previousKey);
    }
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
