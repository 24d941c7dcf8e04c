#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>

enum class FirstWindow {
    Main,  // open the main window
    Login, // the header holds login settings: open the login dialog
};
// The program must end (result.mustEnd()) for a second copy, or No to the recovery question.
using StartupResult = Outcome<FirstWindow>;

inline constexpr const char* kAlreadyRunningMessage = "Coffernote is already running.  ";

// Said once at start-up when the data folder cannot be written; %1 is the folder, %2 the reason.
inline constexpr const char* kReadOnlyFolderMessage =
    "Coffernote cannot write to its data folder\r\n%1\r\n(%2).\r\n"
    "You can look accounts up, but no change can be saved until the folder can be written.";
std::string ReadOnlyFolderMessage(const std::string& folder, const std::string& reason);

// The first window, from the header record's login fields and whether an account file exists.
FirstWindow ChooseFirstWindow(bool accountFileExists, std::string_view headerNotes, std::string_view headerUserId,
                              std::string_view headerPassword);
