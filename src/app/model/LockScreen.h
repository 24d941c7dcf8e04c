#pragma once

#include "base/Result.h"

#include <string>

struct AppState;

// The lock screen's rules: two stages (only UNLOCK, or the password entry), the comparison with the first login
// password, and leaving it, which ends the program. Unlimited attempts, no message.
class LockScreen
{
public:
    enum class Stage {
        Idle,  // only UNLOCK shows
        Entry, // the label, password box, OK, Cancel and Exit show
    };

    explicit LockScreen(AppState& state) : state_(state) {}

    // Idle, and the password box is to be emptied (every lock, and the first load).
    void lock();
    void Command1_Click() { enter(Stage::Entry); } // the box keeps what it held
    void cmdCancel_Click() { enter(Stage::Idle); } // the box is not emptied
    // True when typed is the first login password: the main window comes back. Either way the box is to be
    // emptied, the stage is Idle again and the idle count starts over.
    bool cmdOK_Click(const std::string& typed);
    // Exit and closing the window: the program ends (through the main window's unload).
    Result cmdExit_Click() { return Result::endProgram(); }
    // Esc is Exit's key, and Exit shows only in the entry stage.
    bool escapeExits() const { return stage_ == Stage::Entry; }

    Stage stage() const { return stage_; }
    // Whether the last operation asked for the password box to be emptied.
    bool boxEmptied() const { return emptyBox_; }

private:
    void enter(Stage stage)
    {
        stage_ = stage;
        emptyBox_ = false;
    }

    AppState& state_;
    Stage stage_ = Stage::Idle;
    bool emptyBox_ = false;
};
