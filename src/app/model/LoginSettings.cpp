#include "app/model/LoginSettings.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/model/BackgroundKey.h"
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

LoginSettings::LoginSettings(AppState& state, Login& login, std::function<Result()> save,
                             std::function<bool()> stillOpen)
    : state_(state), login_(login), save_(std::move(save)), stillOpen_(std::move(stillOpen))
{
}

void LoginSettings::fillEntries(LoginEntries& entries) const
{
    store(entries.userName, login_.LoginUserName);
    store(entries.password, login_.LoginPassword1);
    store(entries.confirm, login_.LoginPassword1);
    store(entries.numpad, login_.LoginPassword2);
    entries.encrypt = login_.protection != nullptr;
}

void LoginSettings::changeLogin(const LoginEntries& e, Finished finished)
{
    if (busy_)
        return;
    bool newKey = false;
    Result checked = Result::ok();
    if (!check(e, checked, newKey)) {
        finished(checked);
        return;
    }
    store(userName_, e.userName);
    store(password_, e.password);
    store(numpad_, e.numpad);
    if (!newKey) {
        finished(storeAndSave(nullptr));
        return;
    }
    // The new key is derived in the background, from copies of the entries; the dialog waits, and this instance
    // stays until the end even if the dialog goes.
    busy_ = true;
    DeriveKeyInBackground(
        state_.platform,
        [kdf = login_.kdfDefaults, user = e.userName, password = e.password, digits = e.numpad] {
            return NewProtection(kdf, user, password, digits);
        },
        [self = shared_from_this(), finished = std::move(finished)](std::unique_ptr<FileProtection> key) {
            self->busy_ = false;
            if (!self->open()) {
                finished(Result::ok()); // closed by the lock while deriving: nothing is stored, the key wiped
                return;
            }
            if (!key) {
                self->state_.platform.message(
                    "Coffernote could not derive the key of the account file:\r\nnot enough memory.", MsgExclamation);
                finished(Result::reported());
                return;
            }
            finished(self->storeAndSave(std::move(key)));
        });
}

// The checks and questions before anything is stored: true when the entries are to be stored (with a new key when
// newKey), else false with the outcome.
bool LoginSettings::check(const LoginEntries& e, Result& outcome, bool& newKey)
{
    closes_ = false;
    removed_ = e.userName.empty() && e.password.empty() && e.numpad.empty();

    // A copy that cannot save (a read-only run, another copy's lock) asks nothing and derives nothing.
    if (save_ && !state_.platform.holdsDataFolderLock()) {
        state_.platform.message(kLoginNotChangedMessage + LockNotHeldReason(state_) + ".", MsgExclamation);
        outcome = Result::reported();
        return false;
    }

    if (removed_ && state_.platform.message(kNoLoginQuestion, MsgQuestion) != Answer::Yes)
        return false; // the dialog stays open as it is
    if (!open())
        return false; // closed by the lock while asking: nothing is stored
    if (e.password != e.confirm) {
        state_.platform.message(kLoginMismatchMessage, MsgExclamation);
        outcome = Result::reported();
        return false;
    }

    const bool wasProtected = login_.protection != nullptr;
    protect_ = e.encrypt && !removed_;
    const bool newLogin =
        e.userName != login_.LoginUserName || e.password != login_.LoginPassword1 || e.numpad != login_.LoginPassword2;
    newKey = protect_ && (!wasProtected || newLogin);
    // These questions weaken the protection or risk the accounts on Yes: Enter alone answers No.
    auto asked = [&](const char* question) {
        return state_.platform.message(question, MsgQuestionNoDefault) == Answer::Yes && open();
    };
    if (protect_ && e.password.empty()) {
        state_.platform.message(kEncryptNeedsPasswordMessage, MsgExclamation);
        outcome = Result::reported();
        return false;
    }
    if (protect_ && !wasProtected && !asked(kEncryptConsentQuestion))
        return false; // nothing stored; the dialog stays open
    const std::size_t length =
        characters(e.userName.view()) + characters(e.password.view()) + characters(e.numpad.view());
    if (newKey && length < kShortLoginCharacters && !asked(kShortLoginQuestion))
        return false;
    if (!protect_ && wasProtected && !asked(kUnprotectQuestion))
        return false;
    return true;
}

Result LoginSettings::storeAndSave(std::unique_ptr<FileProtection> key)
{
    // Kept until the save is known to be in place: the login and the key must keep matching the file on disk.
    const SecretString previousUser = login_.LoginUserName, previousPassword1 = login_.LoginPassword1,
                       previousPassword2 = login_.LoginPassword2;
    const std::string previousStamp = state_.ComputedStamp;
    const bool replacesKey = key || !protect_;
    store(login_.LoginUserName, userName_);
    store(login_.LoginPassword1, password_);
    store(login_.LoginPassword2, numpad_);
    wipe(userName_);
    wipe(password_);
    wipe(numpad_);
    // The save writes the file under the new key (in one journal save), or in the default form.
    if (replacesKey) {
        login_.replacedProtection = std::move(login_.protection);
        login_.protection = std::move(key);
    }
    const Result saved = save_ ? save_() : Result::ok();
    std::unique_ptr<FileProtection> previousKey = std::move(login_.replacedProtection);
    if (saved.mustEnd())
        return saved;
    // A failed save keeps the stamp in place unless the new files are in place all the same (only a flush of
    // the folder failed): then the new login and key are what the disk holds.
    if (!saved.isOk() && state_.ComputedStamp == previousStamp) {
        store(login_.LoginUserName, previousUser);
        store(login_.LoginPassword1, previousPassword1);
        store(login_.LoginPassword2, previousPassword2);
        if (replacesKey)
            login_.protection = std::move(previousKey);
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
