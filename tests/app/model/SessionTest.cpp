// The session over a run: the one load handed from the start to the login and the main window, the lock as a
#include "Submit.h"
// state machine, and the end.
#include "AccountBookFixture.h"

#include <cstdint>

namespace {

class SessionRun : public AccountBookFixture
{
protected:
    // A run whose main window is open on stored accounts (or none), with the first login password set, and
    // something on the clipboard.
    void openRun(const std::vector<AccountRecord>& accounts = {account("Bank", "", "notes", "me", "pw")})
    {
        if (!accounts.empty())
            storeAccounts(accounts);
        open();
        login.LoginPassword1 = "Secret";
        platform.setClipboardText("copied");
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            EXPECT_FALSE(session.tick()) << "tick " << i + 1 << " of " << n;
    }
    bool clipboardCleared() const { return !platform.clipboardHasText; }
    bool lockedIdle() const
    {
        return session.screen() == Session::Screen::Locked && session.lockScreen().stage() == LockScreen::Stage::Idle &&
               session.lockScreen().boxEmptied();
    }
};

} // namespace

TEST_F(SessionRun, TheAccountFileIsReadOnceAndHandedOn)
{
    // Changed behind the program's back after the start: a second load would ask the recovery question.
    for (const bool withLogin : {false, true}) {
        SCOPED_TRACE(withLogin ? "with a login" : "without a login");
        emptyFolder();
        login.LoginUserName = withLogin ? "owner" : "";
        storeAccounts({account("Bank", "", "n", "u", "p")});
        login.LoginUserName = "";
        ASSERT_EQ(outcome(session.start()), withLogin ? "Login" : "Main");
        folder.write(kAccountFileName, "no longer the file that was loaded");
        if (withLogin) {
            session.loginCheck().start();
            ASSERT_TRUE(SubmitLogin(session.loginCheck(), "owner", "").isOk());
            ASSERT_TRUE(session.loginCheck().loggedIn());
        }
        session.openMain();
        EXPECT_EQ(session.book().names(), std::vector<std::string>{"Bank"});
        EXPECT_EQ(session.table()[1].Password, "p");
        EXPECT_TRUE(platform.messages.empty());
    }
}

TEST_F(SessionRun, TheEleventhTickLocksOnceWhileAnAccountIsStored)
{
    openRun();
    EXPECT_TRUE(session.idleTimerRunning());
    ticks(10);
    EXPECT_EQ(session.screen(), Session::Screen::Main);
    EXPECT_FALSE(clipboardCleared());

    EXPECT_TRUE(session.tick());
    EXPECT_TRUE(lockedIdle());
    EXPECT_TRUE(clipboardCleared());
    EXPECT_EQ(platform.promptDismissals, 1); // nothing left open is answered behind the lock
    EXPECT_TRUE(session.idleTimerRunning()); // the idle lock leaves the timer on
    EXPECT_EQ(state.IdleTickCount, 11);

    // Later ticks only count.
    platform.setClipboardText("again");
    ticks(20);
    EXPECT_EQ(state.IdleTickCount, 31);
    EXPECT_FALSE(clipboardCleared());
    EXPECT_EQ(platform.promptDismissals, 1);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SessionRun, NoIdleLockWithoutAnAccount)
{
    openRun({});
    ASSERT_EQ(session.table().size(), 1u);
    ticks(200);
    EXPECT_EQ(session.screen(), Session::Screen::Main);
    EXPECT_FALSE(clipboardCleared());
}

TEST_F(SessionRun, ActivityPostponesTheIdleLock)
{
    openRun();
    ticks(10);
    session.book().clearClipboard(); // activity
    platform.setClipboardText("copied");
    ticks(10);
    EXPECT_TRUE(session.tick());
}

TEST_F(SessionRun, LockNowStopsTheIdleTimerAndIsNoActivity)
{
    openRun();
    state.IdleTickCount = 3;
    EXPECT_EQ(session.lock(), Session::Screen::Locked);
    EXPECT_TRUE(lockedIdle());
    EXPECT_TRUE(clipboardCleared());
    EXPECT_EQ(platform.promptDismissals, 1);
    EXPECT_FALSE(session.idleTimerRunning());
    EXPECT_EQ(state.IdleTickCount, 3);
    // No tick counts while a lock by command lasts.
    ticks(20);
    EXPECT_EQ(state.IdleTickCount, 3);

    EXPECT_EQ(session.unlock(SecretString("Secret")), Session::Screen::Main);
    EXPECT_TRUE(session.idleTimerRunning());
    EXPECT_EQ(state.IdleTickCount, 0);
}

TEST_F(SessionRun, SecurityOffStopsTheIdleTimerUntilSecurityOnOrAnUnlock)
{
    openRun();
    state.IdleTickCount = 5;
    session.securityOff();
    EXPECT_FALSE(session.securityIsOn());
    EXPECT_FALSE(session.idleTimerRunning());
    EXPECT_EQ(state.IdleTickCount, 5); // no activity
    ticks(30);
    EXPECT_EQ(state.IdleTickCount, 5);

    session.securityOn();
    EXPECT_TRUE(session.securityIsOn());
    EXPECT_TRUE(session.idleTimerRunning());
    EXPECT_EQ(state.IdleTickCount, 0); // activity

    // Security OFF, Lock Now and an unlock: the timer runs again, the menu still says OFF.
    session.securityOff();
    session.lock();
    session.unlock(SecretString("Secret"));
    EXPECT_TRUE(session.idleTimerRunning());
    EXPECT_FALSE(session.securityIsOn());
}

TEST_F(SessionRun, OnlyTheFirstPasswordUnlocks)
{
    openRun();
    session.lock();
    for (const char* wrong : {"secret", "", "Secret "}) {
        SCOPED_TRACE(wrong);
        session.askPassword();
        EXPECT_EQ(session.lockScreen().stage(), LockScreen::Stage::Entry);
        state.IdleTickCount = 9;
        EXPECT_EQ(session.unlock(SecretString(wrong)), Session::Screen::Locked);
        EXPECT_TRUE(lockedIdle());
        EXPECT_EQ(state.IdleTickCount, 0);
        EXPECT_FALSE(session.idleTimerRunning());
    }
    EXPECT_TRUE(platform.messages.empty()); // no message, no limit
    EXPECT_EQ(session.unlock(SecretString("Secret")), Session::Screen::Main);
    EXPECT_EQ(session.unlock(SecretString("anything")), Session::Screen::Main); // nothing to unlock
}

TEST_F(SessionRun, AFailedAttemptIsFollowedByAnotherIdleLock)
{
    openRun();
    ticks(10);
    EXPECT_TRUE(session.tick());
    session.unlock(SecretString("wrong")); // resets the count
    session.askPassword();
    platform.setClipboardText("copied while locked");
    ticks(10);
    EXPECT_EQ(session.lockScreen().stage(), LockScreen::Stage::Entry);
    const int before = session.lockScreen().revision();
    EXPECT_TRUE(session.tick());
    EXPECT_TRUE(lockedIdle()); // the entry closes, its box emptied
    EXPECT_GT(session.lockScreen().revision(), before);
    EXPECT_TRUE(clipboardCleared());
}

TEST_F(SessionRun, TheIdleCountSaturatesInsteadOfOverflowing)
{
    openRun();
    state.IdleTickCount = INT16_MAX - 2;
    ticks(10);
    EXPECT_EQ(state.IdleTickCount, INT16_MAX);
    ticks(3 * 7 * 24 * 60); // three weeks without activity
    EXPECT_EQ(state.IdleTickCount, INT16_MAX);
    EXPECT_EQ(session.screen(), Session::Screen::Main);
}

TEST_F(SessionRun, QuittingClearsTheClipboardAndWipesTheSecrets)
{
    login.LoginUserName = "owner";
    login.LoginPassword2 = "2468";
    openRun({account("Alpha", "http://a.example", "notes", "alice", "s3cret")});
    lookUp("Alpha");
    const SecretString& password = session.table()[1].Password;
    const char* buffer = password.data();
    const std::size_t size = password.size();

    EXPECT_TRUE(session.quit().mustEnd());
    EXPECT_FALSE(platform.ended()); // the caller ends the program
    EXPECT_TRUE(clipboardCleared());
    EXPECT_EQ(std::string(buffer, size), std::string(size, '\0'));
    EXPECT_TRUE(session.table()[1].Notes.empty());
    EXPECT_TRUE(session.table()[1].UserId.empty());
    EXPECT_TRUE(session.book().boxText(Box::Password).empty());
    EXPECT_TRUE(login.LoginUserName.empty() && login.LoginPassword1.empty() && login.LoginPassword2.empty());
    EXPECT_EQ(session.table()[1].AccountName, "Alpha"); // names and websites are no secrets

    // Every other way out wipes the same, and leaves the clipboard alone.
    platform.setClipboardText("another program's");
    EXPECT_TRUE(session.end().mustEnd());
    EXPECT_FALSE(clipboardCleared());
}
