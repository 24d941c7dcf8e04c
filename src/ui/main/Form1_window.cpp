// Window options, security, the lock and leaving the program.
#include "ui/main/Form1.h"

#include "app/model/Session.h"
#include "platform/Platform.h"
#include "ui/login/frmChangeLogin.h"
#include "ui/login/frmLocked.h"
#include "ui/main/FieldBox.h"
#include "ui/main/frmAbout.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>

namespace {

// The lock screen and the About box are windows of their own (the lock screen must stay visible while the
// main window is hidden or minimized); they go when the main window goes.
void ownWith(QObject* owner, QWidget* window)
{
    QObject::connect(owner, &QObject::destroyed, window, [window] { delete window; });
}

} // namespace

void Form1::OnTop_Click()
{
    act([this] { book_.toggleOnTop(); });
}

void Form1::mnuTooltips_Click()
{
    act([this] { book_.toggleToolTips(); });
}

void Form1::sec_off_Click()
{
    act([this] { session_.securityOff(); });
}

void Form1::sec_on_Click()
{
    act([this] { session_.securityOn(); });
}

void Form1::Login_Click()
{
    if (changeLogin_) {
        changeLogin_->raise();
        changeLogin_->activateWindow();
        return;
    }
    auto* dialog = new frmChangeLogin(
        session_, this, [this] { return SaveToFile(); }, this);
    changeLogin_ = dialog;
    // Modal for the whole program, but not a nested event loop: the idle timer keeps ticking and the lock
    // can close the dialog.
    dialog->setWindowModality(Qt::ApplicationModal);
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        if (changeLogin_ == dialog)
            changeLogin_ = nullptr;
        dialog->deleteLater();
        session_.resetIdle();
    });
    dialog->Form_Load();
    dialog->show();
}

void Form1::About_Click()
{
    setWindowState(windowState() | Qt::WindowMinimized);
    if (!about_) {
        about_ = new frmAbout({}, this);
        ownWith(this, about_);
        about_->Form_Load();
    }
    about_->show();
    about_->raise();
    session_.resetIdle();
}

void Form1::Exit_Click()
{
    session_.platform().clearClipboard();
    closeSideWindows();
    // Closing the lock screen would end the program through its own unload; the main window's unload below
    // ends it all the same, once.
    if (lockScreen_)
        lockScreen_->hide();
    Form_Unload();
}

void Form1::showLock()
{
    if (session_.idleTimerRunning() != Timer1->isActive()) {
        if (session_.idleTimerRunning())
            Timer1->start();
        else
            Timer1->stop();
    }
    const bool locked = session_.locked();
    if (locked && !shownLocked_) {
        closeNoteLines(KeepLines::WhileRendering);
        shownLocked_ = true;
        // The place the window was left at is the one it comes back to on the unlock.
        if (isVisible())
            place_ = geometry().topLeft();
        hide();
        concealFields();
        // The lock screen shows before the side windows close, so the program never has no visible window. It
        // is created on first use and afterwards only shown and hidden.
        if (!lockScreen_) {
            lockScreen_ = new frmLocked(session_);
            ownWith(this, lockScreen_);
            connect(lockScreen_, &frmLocked::unlocked, this, [this] {
                showLock();
                showBook();
            });
            connect(lockScreen_, &frmLocked::exitRequested, this, &Form1::Form_Unload);
        }
        lockScreen_->show();
        lockScreen_->raise();
        lockScreen_->activateWindow();
        closeSideWindows();
    } else if (!locked && shownLocked_) {
        shownLocked_ = false;
        revealFields();
        showWhereLeft(); // also restores a window that was minimized when it was locked
        raise();
        activateWindow();
        lockScreen_->hide();
    }
    if (locked)
        lockScreen_->showStage();
}

void Form1::concealFields()
{
    if (hiddenCombo_.concealed)
        return; // an idle lock while locked: what is hidden stays hidden
    QLineEdit* edit = cboSelect->lineEdit();
    hiddenCombo_ = {true,
                    edit->text(),
                    edit->cursorPosition(),
                    edit->selectionStart(),
                    static_cast<int>(edit->selectedText().size()),
                    edit->isModified()};
    const bool was = settingText_;
    settingText_ = true;
    cboSelect->setEditText(QString()); // no textEdited: the combo's change rule does not run
    for (FieldBox* box : {txtWebsite, txtGeneral, txtUserid, txtPassword})
        box->conceal();
    settingText_ = was;
}

void Form1::revealFields()
{
    if (!hiddenCombo_.concealed)
        return;
    const bool was = settingText_;
    settingText_ = true;
    for (FieldBox* box : {txtWebsite, txtGeneral, txtUserid, txtPassword})
        box->reveal();
    cboSelect->setEditText(hiddenCombo_.text);
    QLineEdit* edit = cboSelect->lineEdit();
    if (hiddenCombo_.selectionStart >= 0 && hiddenCombo_.selectionLength > 0) {
        const bool backwards = hiddenCombo_.cursor == hiddenCombo_.selectionStart;
        const int start = hiddenCombo_.selectionStart;
        const int length = hiddenCombo_.selectionLength;
        edit->setSelection(backwards ? start + length : start, backwards ? -length : length);
    } else {
        edit->setCursorPosition(hiddenCombo_.cursor);
    }
    edit->setModified(hiddenCombo_.modified);
    settingText_ = was;
    hiddenCombo_ = {};
}

void Form1::showWhereLeft()
{
    // Shown again without a place, the window would be placed anew by the desktop: at each lock and unlock
    // somewhere else. The native window is told where its client area stood before it is shown, so the desktop
    // finds a place the user chose (set on the widget alone, a hidden window's place never reaches it).
    if (QWindow* window = windowHandle(); window && place_)
        window->setPosition(*place_);
    showNormal();
}

void Form1::Lock_Click()
{
    act([this] { session_.lock(); });
}

void Form1::Timer1_Timer()
{
    // The timer only ticks: the session decides whether this tick locks. Outside an operation (a tick while a
    // question waits must not change the table under it) it also looks for another computer's save.
    const bool betweenOperations = operationDepth_ == 0;
    act([this] { session_.tick(); });
    if (betweenOperations)
        lookOutside();
}

void Form1::closeSideWindows()
{
    if (changeLogin_)
        changeLogin_->unload(); // stores nothing
    if (about_)
        about_->close();
    closeNoteLines(KeepLines::No);
}

void Form1::Form_Unload()
{
    if (const Result quit = session_.quit(); quit.mustEnd())
        endProgram_(quit.exitStatus());
}
