#include "ui/main/Program.h"

#include "app/AppState.h"
#include "app/model/Startup.h"
#include "cipher/CipherComponent.h"
#include "platform/Platform.h"
#include "ui/login/frmLogin.h"
#include "ui/main/Form1.h"
#include "ui/main/frmAbout.h"

Program::Program(AppState& state) : state_(state) {}

Program::~Program() = default;

void Program::start()
{
    splash_ = std::make_unique<frmAbout>(state_, [this] { runStartup(); });
    splash_->Form_Load();
    splash_->show();
}

void Program::runStartup()
{
    const StartupResult first = RunStartupSequence(state_);
    if (!first.result.isOk()) {
        end();
        return;
    }
    const bool opened = first.value == FirstWindow::Login ? openLogin() : openMain();
    if (!opened)
        return; // the program ended

    if (splash_)
        splash_->unload();
}

void Program::endProgram(AppState& state)
{
    CipherComponent::wipeKeyCache();
    state.platform.endProgram();
}

bool Program::openMain()
{
    main_ = std::make_unique<Form1>(state_, [this] { end(); });
    if (main_->Form_Load().mustEnd())
        return false;
    main_->show();
    return true;
}

bool Program::openLogin()
{
    login_ = std::make_unique<frmLogin>(
        state_, [this] { openMain(); }, [this] { end(); });
    if (login_->Form_Load().mustEnd())
        return false;
    login_->show();
    return true;
}
