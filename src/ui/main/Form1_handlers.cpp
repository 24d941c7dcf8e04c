// The window's events, forwarded to the account book.
#include "app/model/NoteLines.h"
#include "app/model/Session.h"
#include "cipher/ProtectedFile.h"
#include "ui/login/OffThread.h"
#include "ui/main/FieldBox.h"
#include "ui/main/Form1.h"
#include "ui/main/HelpPage.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTimer>

void Form1::cboSelect_Change()
{
    if (settingText_)
        return;
    QLineEdit* edit = cboSelect->lineEdit();
    const std::string typed = edit->text().toStdString();
    const int caret = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    act([&] { book_.typeName(typed, caret); });
}

void Form1::cboSelect_KeyDown(int key, Qt::KeyboardModifiers)
{
    const bool deleting = key == Qt::Key_Backspace || key == Qt::Key_Delete;
    act([&] { book_.keyInName(deleting); });
}

void Form1::cboSelect_DropDown()
{
    act([this] { book_.openNameList(); });
}

void Form1::cmdGo_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // Shift alone is enough.
    book_.shiftOnGo(modifiers.testFlag(Qt::ShiftModifier) || key == Qt::Key_Shift);
}

void Form1::cmdGo_Click()
{
    run([this] { return book_.lookUp(); });
}

void Form1::Add_Account_Click()
{
    run([this] { return book_.addAccount(); });
}

void Form1::cmdChange_Click()
{
    run([this] { return book_.changeAccount(); });
}

void Form1::cmdDelete_Click()
{
    run([this] { return book_.deleteAccount(); });
}

void Form1::cmdCancel_Click()
{
    act([this] { book_.cancelEdit(); });
}

void Form1::New_Click()
{
    act([this] { book_.newAccount(); });
}

void Form1::txtUserid_Change()
{
    boxEdited(AccountBook::UserId);
}

void Form1::txtPassword_Change()
{
    boxEdited(AccountBook::Password);
}

void Form1::txtWebsite_Change()
{
    boxEdited(AccountBook::Website);
}

void Form1::txtGeneral_Change()
{
    boxEdited(AccountBook::Notes);
}

void Form1::LoginSelect_Click()
{
    act([this] { book_.toggleMode(); });
}

void Form1::Command1_Click()
{
    act([this] { book_.toggleMask(AccountBook::Notes); });
}

void Form1::MaskUser_Click()
{
    act([this] { book_.toggleMask(AccountBook::UserId); });
}

void Form1::MaskPwd_Click()
{
    act([this] { book_.toggleMask(AccountBook::Password); });
}

void Form1::mask_all_Click()
{
    act([this] { book_.maskAll(); });
}

void Form1::mask_none_Click()
{
    act([this] { book_.maskNone(); });
}

void Form1::box_DblClick(FieldBox* box)
{
    act([this] { book_.enterEditMode(); });
    if (box == txtGeneral && HasLineBreaks(book_.boxText(AccountBook::Notes).view()))
        editNoteLines();
}

void Form1::box_MouseMove(FieldBox* box)
{
    if (!book_.dragDrop())
        return;
    box->setFocus();
    box->selectAll();
}

void Form1::cmdCopy1_Click()
{
    run([this] { return book_.openWebsite(); });
}

void Form1::cmdCopy2_Click()
{
    act([this] { book_.copyBox(AccountBook::Notes); });
}

void Form1::cmdCopy3_Click()
{
    act([this] { book_.copyBox(AccountBook::UserId); });
}

void Form1::cmdCopy4_Click()
{
    act([this] { book_.copyBox(AccountBook::Password); });
}

void Form1::Clear_Clipboard_Click()
{
    act([this] { book_.clearClipboard(); });
}

void Form1::Online_Click()
{
    const std::string page =
        OnlineHelpAddress(QStringLiteral(COFFERNOTE_SUPPORT_HOST), QCoreApplication::applicationDirPath())
            .toStdString();
    act([this, &page] { book_.RunBrowser(page); });
}

void Form1::passwordGen_Click()
{
    run([this] { return book_.generatePassword(); });
}

void Form1::Export_Click()
{
    act([this] { book_.exportAccounts(); });
}

void Form1::Import_Click()
{
    run([this] { return book_.importAccounts(); });
}

void Form1::ImportFromProgram_Click()
{
    run([this] { return book_.importFromProgram(); });
}

void Form1::RestoreVersion_Click()
{
    // A version sealed under another salt needs its key derived from the login: off this thread, as the login's.
    auto derive = [](const ProtectedHeader& header, const SecretString& userName, const SecretString& password,
                     const SecretString& digits) {
        return RunOffThread([&] { return ProtectionFor(header, userName, password, digits); });
    };
    run([this, derive] { return book_.restoreVersion(derive, [this] { return !session_.locked(); }); });
}

void Form1::lookOutside()
{
    if (operationDepth_ > 0) {
        lookTimer_->start();
        return;
    }
    act([this] { session_.lookOutside(); });
}
