#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class Session;

// The lock screen: shows the session's lock and hands it the password typed. The rules (the stages, the
// comparison, what an unlock opens) are the session's and its LockScreen's; the main window hides and shows
// itself from the session's state when this window says so.
class frmLocked : public QDialog
{
    Q_OBJECT

public:
    explicit frmLocked(Session& session);
    ~frmLocked() override;

    // Shows the lock screen's stage, emptying the password box where the lock asked for it; each change once.
    void showStage();

public slots:
    void Command1_Click(); // UNLOCK
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdExit_Click();
    // Closing the window: the program ends, as by Exit.
    void Form_Unload();

signals:
    // The first password was typed: the main window shows again.
    void unlocked();
    // Exit or closing the window: the program ends through the main window's unload.
    void exitRequested();

protected:
    void reject() override; // Esc
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();

    Session& session_;
    int shownRevision_ = -1;

    QLabel* lblLabels = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdExit = nullptr;
};
