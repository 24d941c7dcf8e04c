#include "ui/main/Program.h"

#include "app/model/Session.h"
#include "cipher/CipherComponent.h"
#include "platform/Platform.h"
#include "ui/login/frmLogin.h"
#include "ui/main/Form1.h"
#include "ui/main/frmAbout.h"

Program::Program(Session& session) : session_(session) {}

Program::~Program() = default;

void Program::start()
{
    if (StartupDone)
        return;
    StartupDone = true;
    splash_ = std::make_unique<frmAbout>([this] { runStartup(); });
    splash_->Form_Load();
    splash_->show();
}

void Program::runStartup()
{
    const StartupResult first = session_.start();
    if (!first.result.isOk()) {
        end(first.result.mustEnd() ? first.result.exitStatus() : ExitStatus::Failed);
        return;
    }
    if (first.value == FirstWindow::Login)
        openLogin();
    else
        openMain();
    if (splash_)
        splash_->unload();
}

void Program::endProgram(Session& session, ExitStatus exit)
{
    (void)session.end();
    CipherComponent::wipeKeyCache();
    session.platform().endProgram(static_cast<int>(exit));
}

void Program::openMain()
{
    main_ = std::make_unique<Form1>(session_, [this](ExitStatus exit) { end(exit); });
    main_->Form_Load();
    main_->show();
}

void Program::openLogin()
{
    login_ = std::make_unique<frmLogin>(
        session_, [this] { openMain(); }, [this](ExitStatus exit) { end(exit); });
    login_->Form_Load();
    login_->show();
}
