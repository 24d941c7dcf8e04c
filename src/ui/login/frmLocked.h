#pragma once

#include "app/model/LockScreen.h"

#include <QDialog>

class Form1;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;

// The lock screen: hides the main window until the login's first password is typed. Leaving it any other way
// than by the password ends the program, through the main window's unload. The rules are LockScreen's; the
// window shows its stage and brings the main window back.
class frmLocked : public QDialog
{
    Q_OBJECT

public:
    frmLocked(AppState& state, Form1& mainWindow);
    ~frmLocked() override;

    void Form_Load();
    // Only UNLOCK shows; with emptyPassword the password box is emptied (the main window's lock asks this).
    void enterIdleState(bool emptyPassword);

public slots:
    void Command1_Click(); // UNLOCK
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdExit_Click();
    // Closing the window: the program ends through the main window's unload.
    void Form_Unload();

protected:
    void reject() override; // Esc
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    // Shows the controls of the model's stage, and empties the box when the model asked for it.
    void showStage();
    void unlock();

    LockScreen model_;
    Form1& main_;

    QLabel* lblLabels = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdExit = nullptr;
};
