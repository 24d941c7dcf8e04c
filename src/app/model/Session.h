#pragma once

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountRecord.h"
#include "app/model/AccountBook.h"
#include "app/model/LockScreen.h"
#include "app/model/LoginCheck.h"
#include "app/model/LoginSettings.h"
#include "app/model/Startup.h"
#include "base/Result.h"

#include <functional>
#include <memory>
#include <string>

class Platform;
class TextRules;

// One run of the program, from its first start-up step to its end. It holds the run's state (the data folder, the
// desktop seam, the idle count), the login and its keys, the one account table, loaded once per start, the login
// check against that table's header, the main window's rules on the same table, and the lock as one small state
// machine: the idle count, Security ON/OFF, Lock Now and the lock screen. The windows show it and forward events.
class Session
{
public:
    // What the windows must show.
    enum class Screen {
        Main,   // the main window
        Locked, // the lock screen in its stage; the main window hidden, its fields emptied
    };

    // rules: the desktop's rules of text for the account list; they must outlive the session.
    Session(std::string folder, Platform& platform, const TextRules& rules = TextRules::plain());
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    AppState& state() { return state_; }
    const AppState& state() const { return state_; }
    const AccountTable& table() const { return table_; }

    // What the windows reach through the session instead of its state: the desktop seam they show themselves
    // on, the folder they watch, the notice the start says, and the user's activity outside the book's rules.
    Platform& platform() { return state_.platform; }
    const std::string& programFolder() const { return state_.programFolder; }
    void setStartNotice(std::string notice) { state_.startNotice = std::move(notice); }
    void resetIdle() { state_.resetIdle(); }
    // Login Settings' rules on this run's login. save: the main window's save; stillOpen: whether the dialog still
    // shows (a key derived after it closed is dropped). Shared: an operation keeps itself until its end.
    std::shared_ptr<LoginSettings> loginSettings(std::function<Result()> save = {},
                                                 std::function<bool()> stillOpen = {})
    {
        return std::make_shared<LoginSettings>(state_, login_, std::move(save), std::move(stillOpen));
    }

    // The start-up sequence the splash runs once: the second-copy test, a word when the data folder cannot be
    // written, the default options file, then the one load and the choice of the first window. EndProgram for a
    // second copy, a No to the recovery question, data files that cannot be read or a stamp whose account file is
    // not there (told).
    StartupResult start();
    // The one load of this run (start() runs it): the stamp check, the content, the header check; any damage asks
    // the recovery question, and a whole file under another stamp is used and told. Without an account file (none
    // yet, the last account deleted, or the recovery gave it up) the table is the header alone, from the login
    // settings. EndProgram as for start().
    Result load();

    // The login dialog's rules, against the header of the table loaded.
    LoginCheck& loginCheck() { return loginCheck_; }
    // This run's login and its keys.
    Login& login() { return login_; }
    const Login& login() const { return login_; }

    // The main window's rules on the table loaded. openMain() runs the window's load sequence; the idle timer
    // runs from then on, with Security ON.
    AccountBook& book() { return book_; }
    const AccountBook& book() const { return book_; }
    void openMain();
    // Takes in what another computer saved through a synchronised folder (its accounts merged with the list, the
    // conflict copies a synchronisation program set aside merged and kept among the versions), unless locked.
    // openMain() runs it; the window runs it on a change in the data folder and at every idle tick, never while
    // one of its operations waits on a prompt (the table must not change under it).
    void lookOutside();

    // One minute of the idle timer (it runs only while idleTimerRunning()): true when this tick locked the
    // session, at the eleventh tick after the last activity while an account is stored.
    bool tick();
    // Lock Now: the lock, and no idle tick while it lasts.
    Screen lock();
    // OK on the lock screen: the first login password shows the main window again and switches the idle timer on
    // (also after Security OFF); anything else keeps the lock, its box emptied. Either way the idle count starts
    // over.
    Screen unlock(const SecretString& typed);
    // UNLOCK and Cancel on the lock screen.
    void askPassword() { lockScreen_.askPassword(); }
    void cancelEntry() { lockScreen_.cancelEntry(); }
    void securityOff();
    void securityOn();

    Screen screen() const { return locked_ ? Screen::Locked : Screen::Main; }
    bool locked() const { return locked_; }
    bool idleTimerRunning() const { return idleTimerOn_; }
    bool securityIsOn() const { return securityOn_; }
    const LockScreen& lockScreen() const { return lockScreen_; }

    // Leaving the main window (Exit, closing it, Exit on the lock screen): the clipboard is cleared, then end().
    Result quit();
    // Every way out: the secrets held for the run (the login settings, every account's notes, user ID and
    // password, the boxes, the pad entry) are overwritten. The program ends without destructors, so this is
    // their last chance. The caller ends the program.
    Result end();

private:
    StartupResult startSequence();
    void enterLock();

    AppState state_;
    Login login_;
    AccountTable table_;
    AccountBook book_;
    LoginCheck loginCheck_;
    LockScreen lockScreen_;
    bool idleTimerOn_ = false;
    bool securityOn_ = true;
    bool locked_ = false;
};
