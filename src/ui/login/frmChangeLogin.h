#pragma once

#include "base/Result.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Session;

// The login settings dialog: sets, changes or removes the login the program asks for at start-up, and stores
// it at once in the account file's header record through the main window. The rules are LoginSettings';
// the dialog keeps the boxes (the number pad box refusing all but digits) and forwards OK and Cancel.
class frmChangeLogin : public QDialog
{
    Q_OBJECT

public:
    // The client area in twips: the login's rows, OK and Cancel, the encryption's row, then a line that tells
    // when the accounts are being encrypted.
    static constexpr int kDialogHeight = 3345;

    // save: the main window's save, which tells the user its outcome (and ends the program when it must); the
    // main window shows again when the dialog closes.
    frmChangeLogin(Session& session, QWidget* mainWindow, std::function<Result()> save, QWidget* parent = nullptr);
    ~frmChangeLogin() override;

    // Fills the fields from the login settings and keeps the dialog above all other windows.
    void Form_Load();
    // Closes the dialog without storing anything and without touching the main window (the lock uses this).
    void unload();

public slots:
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void reject() override; // Esc
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // txtNumpad's key press: swallows every typed character that is not a digit or Backspace.
    bool txtNumpad_KeyPress(const QKeyEvent* key);
    // Any other way text gets into txtNumpad (paste, drop, undo): the change stands only if it inserted digits.
    void txtNumpad_Edited(const QString& text);
    void txtNumpad_Changed(const QString& text);
    // Overwrites the passwords and the pad entry in the boxes' own buffers, then empties the boxes.
    void forgetEntries();
    // While the new key is derived: the line says so, the controls take no input.
    void showEncrypting(bool encrypting);

    Session& session_;
    QPointer<QWidget> main_;
    std::function<Result()> save_;
    QString numpadText_; // txtNumpad's last accepted text
    bool revertPending_ = false;
    int revertCursor_ = 0;
    bool unloaded_ = false;
    bool encrypting_ = false; // the new key is being derived

    QLineEdit* txtUsername = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QLineEdit* txtConfirm = nullptr;
    QLineEdit* txtNumpad = nullptr;
    QCheckBox* chkEncrypt = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblStatus = nullptr;
};
