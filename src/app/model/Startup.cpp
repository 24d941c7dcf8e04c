#include "app/model/Startup.h"

std::string ReadOnlyFolderMessage(const std::string& folder, const std::string& reason)
{
    std::string text = kReadOnlyFolderMessage;
    text.replace(text.find("%1"), 2, folder);
    text.replace(text.find("%2"), 2, reason);
    return text;
}

FirstWindow ChooseFirstWindow(bool accountFileExists, std::string_view headerNotes, std::string_view headerUserId,
                              std::string_view headerPassword)
{
    if (accountFileExists && (!headerNotes.empty() || !headerUserId.empty() || !headerPassword.empty()))
        return FirstWindow::Login;
    return FirstWindow::Main;
}
