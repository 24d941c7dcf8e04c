#pragma once

#include <string>

struct AppState;

enum class FirstWindow
{
    Main,  // open the main window
    Login, // the header holds login settings: open the login dialog
    Ended, // the program ended (second copy, or No to the recovery question)
};

inline constexpr const char* kAlreadyRunningMessage = "Coffernote is already running.  ";

// The start-up sequence the splash runs once: second-copy test, default options file, stamp check,
// test load and header check, then the choice of the first window.
FirstWindow RunStartupSequence(AppState& state);

// The choice alone, from the header record's login fields and whether an account file exists.
FirstWindow ChooseFirstWindow(bool accountFileExists, const std::string& headerNotes, const std::string& headerUserId,
                              const std::string& headerPassword);
