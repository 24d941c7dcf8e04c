#include "app/model/Startup.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/DataFiles.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "platform/Platform.h"

#include <new>
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

namespace {

StartupResult runStartupSequence(AppState& state)
{
    if (state.platform.previousInstanceRunning()) {
        state.platform.message(kAlreadyRunningMessage, MsgInformation);
        return {Result::endProgram()};
    }

    // A run in a folder that cannot be written still serves to look accounts up; the user hears why every
    // change will fail before the first one does.
    if (const Result writable = FolderWritable(state.programFolder); !writable.isOk())
        state.platform.message(ReadOnlyFolderMessage(state.programFolder, writable.message()), MsgExclamation);

    // A failure to create it shows later, when a save cannot write it and says so.
    if (!FileExists(JoinPath(state.programFolder, kOptionsFileName)))
        (void)WriteOptionsFile(state.programFolder, OptionsRecord::defaults());

    // The test load checks the stamp, the content and the header, and asks the recovery question on any
    // damage. Only the header of this private table is looked at.
    OptionsRecord options;
    AccountTable table;
    if (LoadResult loaded = LoadAccountFile(state, options, table); !loaded.result.isOk()) {
        WipeTable(table);
        return {std::move(loaded.result)};
    }

    const bool accountFileExists = FileExists(JoinPath(state.programFolder, kAccountFileName));
    FirstWindow first = FirstWindow::Main;
    if (!table.empty())
        first = ChooseFirstWindow(accountFileExists, table.front().Notes, table.front().UserId, table.front().Password);
    WipeTable(table);
    return {Result::ok(), first};
}

} // namespace

StartupResult RunStartupSequence(AppState& state)
{
    // No failure ends the program unannounced.
    try {
        return runStartupSequence(state);
    } catch (const std::exception& e) {
        const bool memory = dynamic_cast<const std::bad_alloc*>(&e) != nullptr;
        state.platform.message(
            std::string("Coffernote could not start:\r\n") + (memory ? "not enough memory" : e.what()), MsgExclamation);
        return {Result::endProgram()};
    }
}

FirstWindow ChooseFirstWindow(bool accountFileExists, std::string_view headerNotes, std::string_view headerUserId,
                              std::string_view headerPassword)
{
    if (accountFileExists && (!headerNotes.empty() || !headerUserId.empty() || !headerPassword.empty()))
        return FirstWindow::Login;
    return FirstWindow::Main;
}
