// The session's state onto the widgets, after every event forwarded to it and before every prompt.
#include "ui/main/FieldBox.h"
#include "ui/main/FixedColours.h"
#include "ui/main/Form1.h"

#include "app/model/Session.h"
#include "platform/Platform.h"
#include "ui/SecretText.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QTimer>

namespace {
const char* const kEditModeCaption = " Edit Mode";
const char* const kDragDropModeCaption = " Drag/Drop Mode";
} // namespace

void Form1::run(const std::function<Result()>& operation)
{
    // The combo text may have been changed by code without an edit event; the book works on what is shown.
    // Not inside another operation (a tick while a message is open): the book's text may be newer there.
    if (!hiddenCombo_.concealed && operationDepth_ == 0)
        book_.setComboTextQuietly(cboSelect->currentText().toStdString());
    ++operationDepth_;
    const Result result = operation();
    --operationDepth_;
    if (result.mustEnd()) {
        endProgram_(result.exitStatus());
        return;
    }
    showBook();
    showLock();
}

void Form1::act(const std::function<void()>& operation)
{
    run([&operation] {
        operation();
        return Result::ok();
    });
}

void Form1::showBook()
{
    showAccountList();
    // While locked the boxes hold nothing; the unlock puts back what they held.
    if (!hiddenCombo_.concealed)
        showTexts();
    const AccountBook::Buttons& b = book_.buttons();
    cmdGo->setEnabled(b.go);
    Add_Account->setEnabled(b.add);
    cmdChange->setEnabled(b.change);
    cmdCancel->setEnabled(b.cancel);
    cmdDelete->setEnabled(b.del);
    showMode();
    showNoteLinesMark();
    if (const auto mode = book_.takeTopmostRequest())
        session_.platform().setWindowTopmost(*mode, this);
    OnTop->setChecked(book_.onTop());
    mnuTooltips->setChecked(book_.toolTips());
    if (cboSelect->toolTip().isEmpty() == book_.toolTips())
        applyToolTips(book_.toolTips());
    if (book_.takeComboFocusRequest())
        cboSelect->setFocus();
}

void Form1::showTexts()
{
    setRecordLabel(QString::fromStdString(book_.recordLabel()));
    const QString text = QString::fromStdString(book_.comboText());
    if (cboSelect->currentText() != text)
        setComboText(text);
    if (const auto selection = book_.takeComboSelection())
        cboSelect->lineEdit()->setSelection(selection->start, selection->length);
    const bool was = settingText_;
    settingText_ = true;
    // A secret crosses into its widget only when the book gave the box another text.
    for (AccountBook::Box box :
         {AccountBook::Website, AccountBook::Notes, AccountBook::UserId, AccountBook::Password}) {
        if (shownBoxRevisions_[box] == book_.boxRevision(box))
            continue;
        shownBoxRevisions_[box] = book_.boxRevision(box);
        boxOf(box)->setFieldText(ShownText(book_.boxText(box)));
    }
    settingText_ = was;
}

void Form1::showAccountList()
{
    if (shownNamesRevision_ == book_.namesRevision())
        return;
    const QString text = cboSelect->currentText();
    const bool was = settingText_;
    settingText_ = true;
    const auto& names = book_.names();
    const int row = book_.insertedRow();
    if (row >= 0 && shownNamesRevision_ + 1 == book_.namesRevision()) {
        // One name added: inserted in place, as a sorted list inserts.
        accountModel_->insertRows(row, 1);
        accountModel_->setData(accountModel_->index(row), QString::fromStdString(names[static_cast<std::size_t>(row)]));
    } else {
        QStringList list;
        list.reserve(static_cast<qsizetype>(names.size()));
        for (const std::string& name : names)
            list.append(QString::fromStdString(name));
        accountModel_->setStringList(list);
    }
    cboSelect->setEditText(text);
    settingText_ = was;
    shownNamesRevision_ = book_.namesRevision();
}

void Form1::showMode()
{
    const bool dragDrop = book_.dragDrop();
    LoginSelect->setChecked(dragDrop);
    const QString caption = QString::fromLatin1(dragDrop ? kDragDropModeCaption : kEditModeCaption);
    if (lblMode->text() != caption) {
        for (FieldBox* box : {txtUserid, txtPassword, txtGeneral, txtWebsite})
            box->setDragSource(dragDrop);
        lblMode->setText(caption);
        // Read without the caption's leading blank, and heard when it changes.
        lblMode->setAccessibleName(caption.trimmed());
        lblMode->setStyleSheet(
            fixedcolours::labelSheet(dragDrop ? fixedcolours::kLightGreen : fixedcolours::kLightYellow));
    }

    const std::pair<AccountBook::Box, QAction*> masks[] = {
        {AccountBook::Notes, Command1}, {AccountBook::UserId, MaskUser}, {AccountBook::Password, MaskPwd}};
    for (const auto& [box, item] : masks) {
        if (boxOf(box)->isMasked() != book_.masked(box))
            boxOf(box)->setMasked(book_.masked(box));
        item->setChecked(book_.masked(box));
    }
    sec_on->setChecked(session_.securityIsOn());
    sec_off->setChecked(!session_.securityIsOn());
}

void Form1::setComboText(const QString& text)
{
    const bool was = settingText_;
    settingText_ = true;
    cboSelect->setEditText(text);
    // Text put in by the program reads from its beginning, with the caret in front of it, as in any edit box.
    cboSelect->lineEdit()->setCursorPosition(0);
    settingText_ = was;
}

void Form1::setRecordLabel(const QString& recordNo)
{
    if (lblID->text() == recordNo)
        return;
    lblID->setText(recordNo);
    // Named "ID" after its label; the number it shows goes to screen readers as its description.
    lblID->setAccessibleDescription(recordNo);
}

FieldBox* Form1::boxOf(AccountBook::Box box) const
{
    switch (box) {
    case AccountBook::Website:
        return txtWebsite;
    case AccountBook::Notes:
        return txtGeneral;
    case AccountBook::UserId:
        return txtUserid;
    default:
        return txtPassword;
    }
}

void Form1::boxEdited(AccountBook::Box box)
{
    if (settingText_)
        return; // the window itself is showing the book's texts
    const SecretString text = SecretTextOf(boxOf(box));
    act([&] { book_.boxEdited(box, text); });
}
