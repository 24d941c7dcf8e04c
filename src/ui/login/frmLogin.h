#pragma once

#include "app/AccountRecord.h"

#include <QDialog>

#include <functional>
#include <string>

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

private:
    AppState& state_;
    std::function<bool()> openMain_;
};
