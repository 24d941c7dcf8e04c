#pragma once

#include "base/Result.h"

#include <QDialog>

#include <functional>

class LoginCheck;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Session;

// The login dialog: user name, first password, and a second password entered on a number pad. The rules are
// the session's LoginCheck, against the header of the table the session loaded; the dialog shows its boxes
// and forwards what the user does.
class frmLogin : public QDialog
{
    Q_OBJECT

public:
    // The client area in twips; a protected file adds a line below the controls, which keep their places.
    static constexpr int kDialogWidth = 4860;
    static constexpr int kDialogHeight = 2115;
    static constexpr int kProtectedDialogHeight = 2415;

    // openMain opens the main window after a correct entry; endProgram ends the program (it never returns in
    // the program).
    frmLogin(Session& session, std::function<void()> openMain, std::function<void(ExitStatus)> endProgram,
             QWidget* parent = nullptr);
    ~frmLogin() override;

    // The dialog opens: no failure counted, the pad entry empty, the user name focused.
    void Form_Load();

    const LoginCheck& model() const;

public slots:
    void padDigit(char digit);
    void cmdOK_Click();
    void cmdCancel_Click();
    // Closing the window in any other way: the program ends.
    void Form_Unload();

protected:
    void reject() override; // Esc
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // While the key is derived: the line says so, the controls take no input.
    void showDeriving(bool deriving);
    // OK's outcome, once the check is over.
    void loginChecked(const Result& checked, bool wasFinished);
    // Hides the dialog, forgets what it holds and ends the program.
    void leave(ExitStatus exit);

    LoginCheck& model_;
    std::function<void()> openMain_;
    std::function<void(ExitStatus)> endProgram_;

    QLabel* lblUserName = nullptr;
    QLabel* lblPassword1 = nullptr;
    QLineEdit* txtUsername = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblStatus = nullptr; // a protected file only
};
