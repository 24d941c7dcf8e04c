// Adding, changing, deleting, cancelling and starting anew; the clipboard and the password generator.
#include "app/model/AccountBook.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/model/PasswordGenerator.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

#include <cstring>

namespace {

const char* const kNoName = "You must enter an account name in the\r\ndropdown-box before saving this account.  ";
const char* const kDuplicate = "An account with this name already exists.";
const char* const kNotStored = "This appears to be a new account. Please \r\nclick 'Add' to add it to the database.";
const char* const kEmptyName = "Please enter an account name.  ";
const char* const kDeleteQuestion = "Delete record?";
const char* const kListFull = "The account list is full: it holds 32765 accounts, the most it can hold.\r\n"
                              "Delete an account you no longer need before adding another.  ";
const char* const kClipboardBusy = "The clipboard is in use by another program, so nothing was copied.\r\n"
                                   "Please try again.  ";
const char* const kNoTitle = "You must create an account title first.";
const char* const kOffer = "Your new password for this account is: \r\n";
const char* const kKeep = ".   Keep this password?";

} // namespace

Result AccountBook::addAccount()
{
    // The placeholder is the combo box's prompt, no account name.
    const std::string name = comboText_;
    if (name.empty() || name == kPlaceholder) {
        state_.platform.message(kNoName, MsgInformation);
        return Result::ok();
    }
    if (table_.empty())
        table_.push_back(MakeHeaderRecord(login_.LoginUserName, login_.LoginPassword1, login_.LoginPassword2));

    // The header record's marker is the name of a record always in the table: it is taken, as any other name.
    bool taken = name == kHeaderMarker;
    for (std::size_t i = 1; i < table_.size() && !taken; ++i)
        taken = table_[i].AccountName == name;
    if (taken) {
        buttons_.add = false;
        state_.platform.message(kDuplicate, MsgExclamation);
        return Result::ok();
    }
    // Record numbers are 16-bit: one more record could not be numbered, stored or read back.
    if (table_.size() >= kMaxRecords) {
        state_.platform.message(kListFull, MsgExclamation);
        return Result::ok();
    }

    AccountRecord r;
    r.RecordNo = static_cast<std::int16_t>(table_.size());
    r.AccountName = name;
    takeFields(r);
    table_.push_back(std::move(r));

    insertedRow_ = names_.insert(name);
    ++namesRevision_;
    displayed_ = static_cast<int>(table_.size()) - 1;
    buttons_.go = true;
    if (Result saved = SaveToFile(); saved.mustEnd())
        return saved;
    setButtons(true, false, false, false, true);
    enterDragDropMode();
    resetIdle();
    return Result::ok();
}

Result AccountBook::changeAccount()
{
    // The header record (number 0) is never on display, so it is never changed here.
    const int p = displayedIndex();
    if (p < 1) {
        state_.platform.message(kNotStored, MsgInformation);
        return Result::ok();
    }
    const std::string name = comboText_;
    if (name.empty() && boxes_[Website].empty() && boxes_[Notes].empty() && boxes_[UserId].empty() &&
        boxes_[Password].empty()) {
        newAccount();
        return Result::ok();
    }
    if (name == kHeaderMarker || name == kPlaceholder) {
        state_.platform.message(kNoName, MsgInformation);
        return Result::ok();
    }

    if (name.empty()) {
        state_.platform.message(kEmptyName, MsgInformation);
        comboFocusRequest_ = true;
    } else {
        AccountRecord& r = table_[static_cast<std::size_t>(p)];
        const bool renamed = r.AccountName != name;
        r.AccountName = name;
        takeFields(r);
        if (renamed) {
            rebuildAccountList();
            setComboText(name);
        }
        if (Result saved = SaveToFile(); saved.mustEnd())
            return saved;
        setButtons(true, false, false, false, true);
    }
    enterDragDropMode();
    resetIdle();
    return Result::ok();
}

Result AccountBook::deleteAccount()
{
    const Answer answer = state_.platform.message(kDeleteQuestion, MsgQuestion);
    const int p = displayedIndex();
    if (answer == Answer::Yes && p >= 1) {
        // Later records move up one place and keep numbers without gaps.
        table_.erase(table_.begin() + p);
        for (std::size_t i = static_cast<std::size_t>(p); i < table_.size(); ++i)
            table_[i].RecordNo = static_cast<std::int16_t>(i);
        rebuildAccountList();
        if (Result saved = SaveToFile(); saved.mustEnd())
            return saved;
        displayed_ = -1;
        // Emptying a box that held text is a change of it.
        for (Box box : {Website, Notes, UserId, Password})
            setBox(box, {}, true);
        setButtons(true, false, false, false, false);
    }
    enterEditMode();
    buttons_.cancel = false;
    buttons_.add = false;
    buttons_.change = false;
    resetIdle();
    return Result::ok();
}

void AccountBook::cancelEdit()
{
    const int p = displayedIndex();
    if (p >= 1) {
        showRecord(p);
        setButtons(true, false, false, false, true);
    } else {
        newAccount();
        buttons_.cancel = false;
        buttons_.go = true;
    }
    enterDragDropMode();
    resetIdle();
}

void AccountBook::newAccount()
{
    // Emptying a box that held text is a change of it: the window then goes into Edit mode.
    displayed_ = -1;
    for (Box box : {Website, Notes, UserId, Password})
        setBox(box, {}, true);
    if (!comboText_.empty())
        setComboText({});
    setButtons(true, false, false, false, false);
    resetIdle();
}

void AccountBook::takeFields(AccountRecord& r) const
{
    r.Website.assign(boxes_[Website].view()); // a website is no secret
    r.Notes = boxes_[Notes];
    r.UserId = boxes_[UserId];
    r.Password = boxes_[Password];
}

void AccountBook::copyBox(Box box)
{
    // The box's real text, masked or not. An empty box leaves the clipboard empty.
    state_.platform.clearClipboard();
    // Another program may hold the clipboard; the box keeps its text and the user may simply try again.
    if (!boxes_[box].empty() && !state_.platform.setClipboardText(boxes_[box].view()))
        state_.platform.message(kClipboardBusy, MsgExclamation);
    resetIdle();
}

void AccountBook::clearClipboard()
{
    state_.platform.clearClipboard();
    resetIdle();
}

Result AccountBook::generatePassword()
{
    if (comboText_.empty() || comboText_ == kPlaceholder) {
        state_.platform.message(kNoTitle, MsgInformation);
        return Result::ok();
    }
    return PasswordGenerator();
}

Result AccountBook::PasswordGenerator()
{
    if (const Result made = ::PasswordGenerator::generate(generatedPassword_); !made.isOk()) {
        state_.platform.message(made.message(), MsgExclamation);
        return Result::ok();
    }
    // Built in one buffer of the final size: growing it would leave copies of the password behind.
    std::string question;
    question.reserve(std::strlen(kOffer) + generatedPassword_.size() + std::strlen(kKeep));
    question.append(kOffer).append(generatedPassword_.view()).append(kKeep);
    const Answer answer = state_.platform.message(question, MsgQuestion);
    wipe(question);
    if (answer != Answer::Yes) {
        wipe(generatedPassword_);
        return Result::ok();
    }

    setBox(Password, generatedPassword_.view(), true);
    wipe(generatedPassword_); // the password box holds it now
    // Stored at once: as a change of the account on display, or as a new account.
    return displayed_ >= 0 ? changeAccount() : addAccount();
}
