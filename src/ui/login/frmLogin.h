#pragma once

#include "app/AccountRecord.h"
#include "app/OptionsFile.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;

// The login dialog: user name, first password, and a second password entered on a number pad.
class frmLogin : public QDialog
{
    Q_OBJECT

public:
    // openMain opens the main window after a correct entry; it returns false when the program ended.
    frmLogin(AppState& state, std::function<bool()> openMain, QWidget* parent = nullptr);
    ~frmLogin() override;

    // The load: second-copy test, stamp check, private load and header check. False when the program ended.
    bool Form_Load();

    // The number pad: appends the digit, keeping at most the first kMaxPadDigits.
    void padDigit(char digit);
    void cmdOK_Click();
    void cmdCancel_Click();
    // Closing the window in any other way: the program ends.
    void Form_Unload();

    const SecretString& numpadEntry() const { return NumpadEntry; }
    int failedLogins() const { return FailedLogins; }

    static constexpr std::size_t kMaxPadDigits = 20;
    static constexpr int kMaxFailedLogins = 7;

protected:
    void reject() override; // Esc
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // Forgets the entries and the private copy of the login settings.
    void wipeSecrets();
    // Ends the program after the dialog has gone.
    void endProgram();

    AppState& state_;
    std::function<bool()> openMain_;
    OptionsRecord options_;
    AccountTable table_; // only the header record is consulted
    SecretString NumpadEntry;
    std::int16_t FailedLogins = 0;
    bool finished_ = false; // the dialog has done its work: a later close ends nothing

    QLabel* lblUserName = nullptr;
    QLabel* lblPassword1 = nullptr;
    QLineEdit* txtUsername = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
