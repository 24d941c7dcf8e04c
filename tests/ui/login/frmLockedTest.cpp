// The lock screen and the main window behind it: what the windows show and hand on. (The lock's rules, the idle
// count, Security ON/OFF and the password comparison, are checked on the session: SessionTest, LockScreenTest.)
#include "LoginFixture.h"

#include "ui/login/frmChangeLogin.h"
#include "ui/login/frmLocked.h"
#include "ui/main/frmAbout.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

class LockScreen : public LoginFixture
{
protected:
    // A run with stored accounts (or none) whose first password is password1.
    void openRun(const std::string& password1, const std::vector<AccountRecord>& accounts = {account("Bank")})
    {
        storeEarlierRun("", "", "", accounts);
        openMain();
        login().LoginPassword1 = password1;
        platform().setClipboardText("copied secret");
    }

    frmLocked* lock() { return main->lockScreen(); }
    QPushButton* button(const char* name) { return child<QPushButton>(lock(), name); }
    QLineEdit* passwordBox() { return child<QLineEdit>(lock(), "txtPassword"); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    // Idle state: only UNLOCK shows.
    void expectIdleState()
    {
        EXPECT_FALSE(button("Command1")->isHidden());
        for (const char* name : {"cmdOK", "cmdCancel", "cmdExit"})
            EXPECT_TRUE(button(name)->isHidden()) << name;
        EXPECT_TRUE(passwordBox()->isHidden());
        EXPECT_TRUE(child<QLabel>(lock(), "lblLabels")->isHidden());
    }
    void expectEntryState()
    {
        EXPECT_TRUE(button("Command1")->isHidden());
        for (const char* name : {"cmdOK", "cmdCancel", "cmdExit"})
            EXPECT_FALSE(button(name)->isHidden()) << name;
        EXPECT_FALSE(passwordBox()->isHidden());
        EXPECT_FALSE(child<QLabel>(lock(), "lblLabels")->isHidden());
    }
    void expectLocked()
    {
        EXPECT_FALSE(main->isVisible());
        ASSERT_NE(lock(), nullptr);
        EXPECT_TRUE(lock()->isVisible());
        EXPECT_FALSE(platform().clipboardHasText);
        EXPECT_EQ(platform().clipboard, "");
    }
    void unlockWith(const QString& password)
    {
        click("Command1");
        passwordBox()->clear();
        QTest::keyClicks(passwordBox(), password);
        click("cmdOK");
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            main->Timer1_Timer();
    }
};

TEST_F(LockScreen, LockNowHidesTheMainWindow)
{
    openRun("Secret");
    auto* lockItem = child<QAction>(main.get(), "Lock");
    EXPECT_EQ(lockItem->text(), QStringLiteral("&Lock Now"));
    EXPECT_EQ(lockItem->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    state().IdleTickCount = 3;
    lockItem->trigger();

    expectLocked();
    EXPECT_EQ(lock()->windowTitle(), QStringLiteral(" Locked"));
    expectIdleState();
    EXPECT_EQ(button("Command1")->text(), QStringLiteral("UNLOCK"));
    EXPECT_EQ(child<QLabel>(lock(), "lblLabels")->text(), QStringLiteral("&Password:"));
    EXPECT_EQ(passwordBox()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(passwordBox()->maxLength(), 50);
    EXPECT_FALSE(main->idleTimer()->isActive()); // no idle tick while a lock by command lasts
    EXPECT_EQ(platform().promptDismissals, 1);   // nothing left open is answered behind the lock
    EXPECT_FALSE(platform().ended());
}

TEST_F(LockScreen, TheFirstPasswordUnlocks)
{
    openRun("Secret");
    const QRect place = main->geometry();
    main->Lock_Click();
    click("Command1");
    expectEntryState();
    QTest::keyClicks(passwordBox(), QStringLiteral("Secret"));
    EXPECT_EQ(passwordBox()->displayText(), QStringLiteral("******"));
    click("cmdOK");
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->geometry(), place); // a desktop's placing is checked under X11 (window_manager_x11.sh)
    EXPECT_FALSE(lock()->isVisible());
    EXPECT_TRUE(main->idleTimer()->isActive());
    EXPECT_TRUE(platform().messages.empty());

    // The lock screen is created once and reused, its box emptied at every lock.
    frmLocked* first = lock();
    main->Lock_Click();
    EXPECT_EQ(lock(), first);
    expectIdleState();
    EXPECT_EQ(passwordBox()->text(), QString());
}

TEST_F(LockScreen, AWrongPasswordReturnsToTheIdleState)
{
    openRun("Secret");
    main->Lock_Click();
    unlockWith(QStringLiteral("secret"));
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(lock()->isVisible());
    expectIdleState();
    EXPECT_EQ(passwordBox()->text(), QString());
    EXPECT_FALSE(platform().ended());
    unlockWith(QStringLiteral("Secret"));
    EXPECT_TRUE(main->isVisible());
}

TEST_F(LockScreen, CancelKeepsTheTypedText)
{
    openRun("Secret");
    main->Lock_Click();
    click("Command1");
    QTest::keyClicks(passwordBox(), QStringLiteral("Sec"));
    click("cmdCancel");
    expectIdleState();
    click("Command1");
    expectEntryState();
    EXPECT_EQ(passwordBox()->text(), QStringLiteral("Sec"));
}

TEST_F(LockScreen, EnterPressesOkAndEscPressesExit)
{
    openRun("Secret");
    main->Lock_Click();
    // In the idle state Esc does nothing.
    QTest::keyClick(lock(), Qt::Key_Escape);
    EXPECT_FALSE(platform().ended());
    expectIdleState();

    click("Command1");
    QTest::keyClicks(passwordBox(), QStringLiteral("Secret"));
    QTest::keyClick(passwordBox(), Qt::Key_Return);
    EXPECT_TRUE(main->isVisible());

    main->Lock_Click();
    click("Command1");
    QTest::keyClick(passwordBox(), Qt::Key_Escape);
    EXPECT_EQ(platform().endCount, 1);
}

TEST_F(LockScreen, ExitAndClosingEndTheProgram)
{
    const std::function<void(frmLocked*)> ways[] = {
        [](frmLocked* l) {
            l->Command1_Click();
            QTest::mouseClick(l->findChild<QPushButton*>(QStringLiteral("cmdExit")), Qt::LeftButton);
        },
        [](frmLocked* l) { l->close(); },
    };
    for (const auto& leave : ways) {
        restart();
        openRun("Secret");
        main->Lock_Click();
        platform().setClipboardText("copied after the lock");
        leave(lock());
        EXPECT_EQ(platform().endCount, 1);
        EXPECT_FALSE(platform().clipboardHasText);
        EXPECT_FALSE(main->isVisible());
        EXPECT_TRUE(login().LoginPassword1.empty()); // wiped on the way out
    }
}

TEST_F(LockScreen, TheEleventhTickLocksTheWindow)
{
    openRun("Secret");
    ticks(10);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->lockScreen(), nullptr);
    main->Timer1_Timer();
    expectLocked();
    expectIdleState();
    EXPECT_TRUE(main->idleTimer()->isActive()); // the idle lock leaves the timer on
    unlockWith(QStringLiteral("Secret"));
    EXPECT_TRUE(main->isVisible());
}

TEST_F(LockScreen, AnIdleLockOfAMinimizedWindowRestoresItOnUnlock)
{
    openRun("Secret");
    main->showMinimized();
    ASSERT_TRUE(main->isMinimized());
    ticks(11);
    EXPECT_FALSE(main->isVisible());
    unlockWith(QStringLiteral("Secret"));
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMinimized());
}

// A lock while locked shows again: the entry closes and its box is emptied.
TEST_F(LockScreen, AFailedAttemptIsFollowedByAnotherIdleLock)
{
    openRun("Secret");
    ticks(11);
    unlockWith(QStringLiteral("wrong")); // resets the count
    click("Command1");
    QTest::keyClicks(passwordBox(), QStringLiteral("Sec"));
    expectEntryState();
    ticks(10);
    expectEntryState();
    main->Timer1_Timer();
    expectIdleState();
    EXPECT_EQ(passwordBox()->text(), QString());
}

TEST_F(LockScreen, LockingClosesTheSettingsDialogAndTheAboutBox)
{
    for (const bool byCommand : {true, false}) {
        SCOPED_TRACE(byCommand ? "by command" : "by the timer");
        restart();
        openRun("Secret");
        const std::string before = folder.read(kAccountFileName);
        main->About_Click();
        auto* about = main->findChild<frmAbout*>();
        if (!about) // the About box is a window of its own
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* a = qobject_cast<frmAbout*>(w); a && a->isVisible())
                    about = a;
        ASSERT_NE(about, nullptr);
        main->showNormal();
        main->Login_Click();
        auto* settings = main->findChild<frmChangeLogin*>();
        ASSERT_NE(settings, nullptr);
        settings->findChild<QLineEdit*>(QStringLiteral("txtUsername"))->setText(QStringLiteral("changed"));
        if (byCommand)
            main->Lock_Click();
        else
            ticks(11);
        EXPECT_TRUE(settings->isHidden());
        EXPECT_FALSE(about->isVisible());
        expectLocked();
        EXPECT_TRUE(platform().messages.empty());
        EXPECT_EQ(login().LoginUserName, "");
        EXPECT_EQ(folder.read(kAccountFileName), before);
        unlockWith(QStringLiteral("Secret"));
        EXPECT_TRUE(main->isVisible());
    }
}

} // namespace
