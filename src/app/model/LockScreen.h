#pragma once

#include "cipher/SecretString.h"

struct AppState;
struct Login;

// The lock screen's rules: two stages (only UNLOCK, or the password entry) and the comparison with the first login
// password. Unlimited attempts, no message. The session decides when the lock comes and what an unlock opens.
class LockScreen
{
public:
    enum class Stage {
        Idle,  // only UNLOCK shows
        Entry, // the label, password box, OK, Cancel and Exit show
    };

    LockScreen(AppState& state, const Login& login) : state_(state), login_(login) {}

    // Idle, and the password box is to be emptied (every lock).
    void lock() { change(Stage::Idle, true); }
    // UNLOCK: the entry stage; the box keeps what it held.
    void askPassword() { change(Stage::Entry, false); }
    // Cancel: the idle stage; the box is not emptied.
    void cancelEntry() { change(Stage::Idle, false); }
    // OK: true when typed is the first login password. Either way the box is to be emptied, the stage is Idle
    // again and the idle count starts over.
    bool tryPassword(const SecretString& typed);
    // Esc is Exit's key, and Exit shows only in the entry stage.
    bool escapeExits() const { return stage_ == Stage::Entry; }

    Stage stage() const { return stage_; }
    // Whether the last operation asked for the password box to be emptied.
    bool boxEmptied() const { return emptyBox_; }
    // Changes with every operation, so a window shows each one once.
    int revision() const { return revision_; }

private:
    void change(Stage stage, bool emptyBox)
    {
        stage_ = stage;
        emptyBox_ = emptyBox;
        ++revision_;
    }

    AppState& state_;
    const Login& login_;
    Stage stage_ = Stage::Idle;
    bool emptyBox_ = false;
    int revision_ = 0;
};
