#pragma once

#include <QDialog>

class Form1;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;

// The lock screen: hides the main window until the login's first password is typed. Leaving it any other way
// than by the password ends the program.
class frmLocked : public QDialog
{
    Q_OBJECT

public:
    frmLocked(AppState& state, Form1& mainWindow);
    ~frmLocked() override;

    void Form_Load();
    void Command1_Click(); // UNLOCK
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdExit_Click();
    // Closing the window: the program ends through the main window's unload.
    void Form_Unload();

    // Only UNLOCK shows; with emptyPassword the password box is emptied.
    void enterIdleState(bool emptyPassword);
    // The label, password box, OK, Cancel and Exit show; UNLOCK hides.
    void enterEntryState();

protected:
    void reject() override; // Esc
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void emptyPassword();

    AppState& state_;
    Form1& main_;

    QLabel* lblLabels = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdExit = nullptr;
};
