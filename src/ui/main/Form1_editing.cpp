// Adding, changing and deleting accounts, and the rule every field edit follows.
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"

#include "app/AppState.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QPushButton>

#include <string>

namespace {

const char* const kNoName = "You must enter an account name in the\r\ndropdown-box before saving this account.  ";
const char* const kDuplicate = "An account with this name already exists.";
const char* const kNotStored = "This appears to be a new account. Please \r\nclick 'Add' to add it to the database.";
const char* const kEmptyName = "Please enter an account name.  ";
const char* const kDeleteQuestion = "Delete record?";
const char* const kListFull = "The account list is full: it holds 32765 accounts, the most it can hold.\r\n"
                              "Delete an account you no longer need before adding another.  ";

// The header record's marker would hide an account from the list (and make it look like the header), and the
// placeholder is the combo box's prompt: neither is an account name.
bool reservedName(const QString& name)
{
    return name == QLatin1String(kHeaderMarker) || name == QLatin1String(Form1::kPlaceholder);
}

} // namespace

void Form1::Add_Account_Click()
{
    const QString name = comboText();
    if (name.isEmpty() || reservedName(name)) {
        state_.platform.message(kNoName, MsgInformation);
        return;
    }
    if (AccountTable_.empty())
        AccountTable_.push_back(MakeHeaderRecord(state_.LoginUserName, state_.LoginPassword1, state_.LoginPassword2));

    const std::string accountName = name.toStdString();
    if (AccountTable_.size() != 1) {
        for (const AccountRecord& r : AccountTable_) {
            if (r.AccountName == accountName) {
                Add_Account->setEnabled(false);
                state_.platform.message(kDuplicate, MsgExclamation);
                return;
            }
        }
    }
    // Record numbers are 16-bit: one more record could not be numbered, stored or read back.
    if (AccountTable_.size() >= kMaxRecords) {
        state_.platform.message(kListFull, MsgExclamation);
        return;
    }

    AccountRecord r;
    r.RecordNo = static_cast<std::int16_t>(AccountTable_.size());
    r.AccountName = accountName;
    takeFields(r);
    AccountTable_.push_back(std::move(r));

    addAccountName(name);
    setRecordLabel(QString::number(AccountTable_.back().RecordNo));
    cmdGo->setEnabled(true);
    if (!SaveToFile())
        return;
    cmdCancel->setEnabled(false);
    cmdDelete->setEnabled(true);
    cmdChange->setEnabled(false);
    Add_Account->setEnabled(false);
    enterDragDropMode();
    state_.resetIdle();
}

void Form1::cmdChange_Click()
{
    // The header record (number 0) is never on display, so it is never changed here.
    const int p = displayedIndex();
    if (p < 1) {
        state_.platform.message(kNotStored, MsgInformation);
        return;
    }
    const QString name = comboText();
    if (name.isEmpty() && txtWebsite->text().isEmpty() && txtGeneral->text().isEmpty() &&
        txtUserid->text().isEmpty() && txtPassword->text().isEmpty()) {
        New_Click();
        return;
    }
    if (reservedName(name)) {
        state_.platform.message(kNoName, MsgInformation);
        return;
    }

    AccountRecord& r = AccountTable_[p];
    const std::string oldName = r.AccountName;
    if (name.isEmpty()) {
        state_.platform.message(kEmptyName, MsgInformation);
        cboSelect->setFocus();
    } else {
        r.AccountName = name.toStdString();
        takeFields(r);
        if (r.AccountName != oldName) {
            rebuildAccountList();
            setComboText(QString::fromStdString(AccountTable_[p].AccountName));
        }
        if (!SaveToFile())
            return;
        cmdGo->setEnabled(true);
        Add_Account->setEnabled(false);
        cmdChange->setEnabled(false);
        cmdCancel->setEnabled(false);
        cmdDelete->setEnabled(true);
    }
    enterDragDropMode();
    state_.resetIdle();
}

void Form1::cmdDelete_Click()
{
    const Answer answer = state_.platform.message(kDeleteQuestion, MsgQuestion);
    const int p = displayedIndex();
    if (answer == Answer::Yes && p >= 1) {
        // Later records move up one place and keep numbers without gaps.
        AccountTable_.erase(AccountTable_.begin() + p);
        for (int i = p; i < static_cast<int>(AccountTable_.size()); ++i)
            AccountTable_[i].RecordNo = static_cast<std::int16_t>(i);
        rebuildAccountList();
        if (!SaveToFile())
            return;
        setRecordLabel(QString());
        txtWebsite->setFieldText(QString());
        txtGeneral->setFieldText(QString());
        txtUserid->setFieldText(QString());
        txtPassword->setFieldText(QString());
        cmdGo->setEnabled(true);
        Add_Account->setEnabled(false);
        cmdChange->setEnabled(false);
        cmdCancel->setEnabled(false);
        cmdDelete->setEnabled(false);
    }
    enterEditMode();
    cmdCancel->setEnabled(false);
    Add_Account->setEnabled(false);
    cmdChange->setEnabled(false);
    state_.resetIdle();
}

void Form1::cmdCancel_Click()
{
    const int p = displayedIndex();
    if (p >= 1) {
        showRecord(p);
        cmdGo->setEnabled(true);
        Add_Account->setEnabled(false);
        cmdChange->setEnabled(false);
        cmdDelete->setEnabled(true);
        cmdCancel->setEnabled(false);
    } else {
        New_Click();
        cmdCancel->setEnabled(false);
        cmdGo->setEnabled(true);
    }
    enterDragDropMode();
    state_.resetIdle();
}

void Form1::New_Click()
{
    // Emptying a box that held text is a change of it: the window then goes into Edit mode.
    setRecordLabel(QString());
    txtWebsite->setFieldText(QString());
    txtGeneral->setFieldText(QString());
    txtUserid->setFieldText(QString());
    txtPassword->setFieldText(QString());
    if (!comboText().isEmpty())
        setComboText(QString());

    cmdChange->setEnabled(false);
    Add_Account->setEnabled(false);
    cmdDelete->setEnabled(false);
    cmdCancel->setEnabled(false);
    cmdGo->setEnabled(true);
    state_.resetIdle();
}

void Form1::txtUserid_Change()
{
    boxChangeRule();
}

void Form1::txtPassword_Change()
{
    boxChangeRule();
}

void Form1::txtWebsite_Change()
{
    boxChangeRule();
}

void Form1::txtGeneral_Change()
{
    boxChangeRule();
}

void Form1::boxChangeRule()
{
    if (settingText_)
        return; // the window is filling the boxes and sets the buttons and mode itself
    cmdGo->setEnabled(false);
    enterEditMode();
    state_.resetIdle();
}

void Form1::takeFields(AccountRecord& r) const
{
    r.Website = txtWebsite->text().toStdString();
    r.Notes = txtGeneral->text().toStdString();
    r.UserId = txtUserid->text().toStdString();
    r.Password = txtPassword->text().toStdString();
}
