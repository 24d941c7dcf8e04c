#pragma once

#include "app/model/LoginCheck.h"

#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;

// The login dialog: user name, first password, and a second password entered on a number pad. The rules are
// the LoginCheck's; the dialog shows its boxes and forwards what the user does.
class frmLogin : public QDialog
{
    Q_OBJECT

public:
    // openMain opens the main window after a correct entry; endProgram ends the program (it never returns in
    // the program).
    frmLogin(AppState& state, std::function<void()> openMain, std::function<void()> endProgram,
             QWidget* parent = nullptr);
    ~frmLogin() override;

    // The load's checks. EndProgram: the program has been ended, the dialog must not be shown.
    Result Form_Load();

    const LoginCheck& model() const { return model_; }

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
    // Hides the dialog, forgets what it holds and ends the program.
    void leave();

    LoginCheck model_;
    std::function<void()> endProgram_;

    QLabel* lblUserName = nullptr;
    QLabel* lblPassword1 = nullptr;
    QLineEdit* txtUsername = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
