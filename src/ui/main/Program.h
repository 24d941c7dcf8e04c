#pragma once

#include "base/Result.h"

#include <QObject>

#include <memory>

class Session;
class Form1;
class frmAbout;
class frmLogin;

// Owns the windows of one run and leads them through the session: from the splash to the first window.
class Program : public QObject
{
    Q_OBJECT

public:
    explicit Program(Session& session);
    ~Program() override;

    // Shows the splash; its timer then runs the start-up sequence.
    void start();
    // The start-up sequence and the choice of the first window.
    void runStartup();
    // Opens the main window (after the start-up sequence or a successful login), or the login dialog.
    void openMain();
    void openLogin();

    // The one way the program ends: every window and start-up step that must end it comes here, with the exit
    // status. The session's secrets and the cached cipher keys are overwritten first, then the desktop seam ends
    // the process (the test fake records the call and returns).
    void end(ExitStatus exit) { endProgram(session_, exit); }
    static void endProgram(Session& session, ExitStatus exit);

    Form1* mainWindow() const { return main_.get(); }
    frmLogin* loginDialog() const { return login_.get(); }
    frmAbout* splash() const { return splash_.get(); }

private:
    Session& session_;
    std::unique_ptr<frmAbout> splash_;
    std::unique_ptr<frmLogin> login_;
    std::unique_ptr<Form1> main_;
    // The splash ran the start-up sequence: it runs once per run, whatever shows the windows again.
    bool StartupDone = false;
};
