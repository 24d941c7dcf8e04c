#pragma once

#include "LoginFixture.h"
#include "Outcomes.h"

#include "ui/login/frmChangeLogin.h"

#include <QTest>

// A run with its main window open and the login settings dialog opened from it.
class SettingsDialogFixture : public LoginFixture
{
protected:
    frmChangeLogin* dialog = nullptr;

    // A run that logged in with the given login (or none), its main window open, the settings dialog opened.
    void openSettings(const std::string& user, const std::string& p1, const std::string& p2,
                      const std::vector<AccountRecord>& accounts = {account("Bank")})
    {
        storeEarlierRun(user, p1, p2, accounts);
        login().LoginUserName = user;
        login().LoginPassword1 = p1;
        login().LoginPassword2 = p2;
        openMain();
        main->Login_Click();
        dialog = main->findChild<frmChangeLogin*>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isVisible());
    }

    QLineEdit* box(const char* name) { return child<QLineEdit>(dialog, name); }
    void set(const char* name, const QString& text)
    {
        box(name)->clear();
        QTest::keyClicks(box(name), text);
    }
    void ok() { QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton); }

    // The next start of the program: which first window the start-up sequence chooses.
    std::string nextStart()
    {
        restart();
        return outcome(session().start());
    }
};
