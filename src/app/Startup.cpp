#include "app/Startup.h"

#include "app/AccountFile.h"
#include "app/AppState.h"
#include "app/OptionsFile.h"
#include "app/Paths.h"
#include "platform/Platform.h"

FirstWindow RunStartupSequence(AppState& state)
{
    if (state.platform.previousInstanceRunning()) {
        state.platform.message(kAlreadyRunningMessage, MsgInformation);
        state.platform.endProgram();
        return FirstWindow::Ended;
    }

    // A failure to create it shows later, when a save cannot write it and says so.
    if (!FileExists(JoinPath(state.programFolder, kOptionsFileName)))
        WriteOptionsFile(state.programFolder, OptionsRecord::defaults());

    // The test load checks the stamp, the content and the header, and asks the recovery question on any
    // damage. Only the header of this private table is looked at.
    OptionsRecord options;
    AccountTable table;
    if (LoadAccountFile(state, options, table) == LoadResult::Ended) {
        WipeTable(table);
        return FirstWindow::Ended;
    }

    const bool accountFileExists = FileExists(JoinPath(state.programFolder, kAccountFileName));
    FirstWindow first = FirstWindow::Main;
    if (!table.empty())
        first = ChooseFirstWindow(accountFileExists, table.front().Notes, table.front().UserId,
                                  table.front().Password);
    WipeTable(table);
    return first;
}

FirstWindow ChooseFirstWindow(bool accountFileExists, const std::string& headerNotes, const std::string& headerUserId,
                              const std::string& headerPassword)
{
    if (accountFileExists && (!headerNotes.empty() || !headerUserId.empty() || !headerPassword.empty()))
        return FirstWindow::Login;
    return FirstWindow::Main;
}
