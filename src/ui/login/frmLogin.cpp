#include "ui/login/frmLogin.h"

#include "app/AppState.h"

frmLogin::frmLogin(AppState& state, std::function<bool()> openMain, QWidget* parent)
    : QDialog(parent), state_(state), openMain_(std::move(openMain))
{
    setObjectName(QStringLiteral("frmLogin"));
}

frmLogin::~frmLogin() = default;

bool frmLogin::Form_Load()
{
    return true;
}
