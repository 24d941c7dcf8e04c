#include "app/model/Startup.h"

#include <string_view>

std::string ReadOnlyFolderMessage(const std::string& folder, const std::string& reason)
{
    // The two places are filled in one pass: a folder named with "%2" in it keeps its name.
    const std::string_view text = kReadOnlyFolderMessage;
    const std::size_t folderAt = text.find("%1");
    const std::size_t reasonAt = text.find("%2", folderAt);
    std::string message(text.substr(0, folderAt));
    message += folder;
    message += text.substr(folderAt + 2, reasonAt - folderAt - 2);
    message += reason;
    message += text.substr(reasonAt + 2);
    return message;
}

FirstWindow ChooseFirstWindow(bool accountFileExists, std::string_view headerNotes, std::string_view headerUserId,
                              std::string_view headerPassword)
{
    if (accountFileExists && (!headerNotes.empty() || !headerUserId.empty() || !headerPassword.empty()))
        return FirstWindow::Login;
    return FirstWindow::Main;
}
