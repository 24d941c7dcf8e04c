// Looking an account up by name: the combo box rules and GO.
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"

#include "app/AppState.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kMaxNameLength = 50;
const char* const kNotFound = "This account does not exist.  ";

} // namespace

void Form1::cboSelect_Change()
{
    QLineEdit* edit = cboSelect->lineEdit();
    if (edit->text().size() > kMaxNameLength) {
        const int caret = std::min(edit->cursorPosition(), kMaxNameLength);
        edit->setText(edit->text().left(kMaxNameLength));
        edit->setCursorPosition(caret);
    }

    const QString text = edit->text();
    if (text.isEmpty() || AutoCompleteSuppressed) {
        AutoCompleteSuppressed = false;
        return;
    }

    const int row = accountNames_.completionFor(text);
    if (row >= 0) {
        const QString& entry = accountNames_.names()[row];
        const int caret = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        const int p = std::min(caret, static_cast<int>(entry.size()));
        if (entry != text)
            edit->setText(entry);
        // The completed tail is selected: the next character typed replaces it.
        edit->setSelection(p, static_cast<int>(entry.size()) - p);
    }

    cmdChange->setEnabled(!lblID->text().isEmpty());
    Add_Account->setEnabled(true);
    cmdGo->setEnabled(true);
    cmdCancel->setEnabled(true);
    cmdDelete->setEnabled(false);
    state_.resetIdle();
}

void Form1::cboSelect_KeyDown(int key, Qt::KeyboardModifiers)
{
    // Deleting must not bring back the completion just removed.
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && !comboText().isEmpty())
        AutoCompleteSuppressed = true;
    cmdGo->setEnabled(true);
    state_.resetIdle();
}

void Form1::cboSelect_DropDown()
{
    cmdGo->setEnabled(true);
    state_.resetIdle();
}

void Form1::cmdGo_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // Shift+Enter or Shift+Space looks the account up without opening its website; Shift alone is enough.
    if (modifiers.testFlag(Qt::ShiftModifier) || key == Qt::Key_Shift)
        SkipWebsiteOnGo = true;
}

void Form1::cmdGo_Click()
{
    // Exact comparison; with duplicate names the last one in the table wins. The header record carries the
    // login settings and is never shown, whatever the text.
    const std::string name = comboText().toStdString();
    int found = -1;
    for (int i = 1; i < static_cast<int>(AccountTable_.size()); ++i)
        if (AccountTable_[i].AccountName == name)
            found = i;

    if (found < 0) {
        state_.platform.message(kNotFound, MsgInformation);
        New_Click();
        return;
    }

    showRecord(found);
    if (SkipWebsiteOnGo)
        SkipWebsiteOnGo = false;
    else if (!openWebsite())
        return;

    Add_Account->setEnabled(false);
    cmdChange->setEnabled(false);
    cmdGo->setEnabled(true);
    cmdCancel->setEnabled(false);
    cmdDelete->setEnabled(true);
    enterDragDropMode();
    state_.resetIdle();
}

void Form1::showRecord(int index)
{
    const AccountRecord& r = AccountTable_[index];
    setRecordLabel(QString::number(r.RecordNo));
    const QString name = QString::fromStdString(r.AccountName);
    if (comboText() != name)
        setComboText(name);

    const bool was = settingText_;
    settingText_ = true;
    txtWebsite->setFieldText(QString::fromStdString(r.Website));
    txtGeneral->setFieldText(QString::fromUtf8(r.Notes));
    txtUserid->setFieldText(QString::fromUtf8(r.UserId));
    txtPassword->setFieldText(QString::fromUtf8(r.Password));
    settingText_ = was;
}
