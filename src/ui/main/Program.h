#pragma once

#include <QObject>

#include <memory>

struct AppState;
class Form1;
class frmAbout;
class frmLogin;

// Owns the windows of one run and leads from the splash to the first window.
class Program : public QObject
{
    Q_OBJECT

public:
    explicit Program(AppState& state);
    ~Program() override;

    // Shows the splash; its timer then runs the start-up sequence.
    void start();
    // The start-up sequence and the choice of the first window.
    void runStartup();
    // Opens the main window (after the start-up sequence or a successful login). False when the program ended.
    bool openMain();
    bool openLogin();

    // The one way the program ends: every window and start-up step that must end it comes here. The cached
    // cipher keys go first, then the desktop seam ends the process (the test fake records the call and returns).
    void end() { endProgram(state_); }
    static void endProgram(AppState& state);

    Form1* mainWindow() const { return main_.get(); }
    frmLogin* loginDialog() const { return login_.get(); }
    frmAbout* splash() const { return splash_.get(); }

private:
    AppState& state_;
    std::unique_ptr<frmAbout> splash_;
    std::unique_ptr<frmLogin> login_;
    std::unique_ptr<Form1> main_;
};
