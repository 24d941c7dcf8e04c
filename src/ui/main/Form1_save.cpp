// Storing the account table after every change.
#include "ui/main/Form1.h"

#include "app/AccountFile.h"
#include "app/AppState.h"
#include "platform/Platform.h"
#include "ui/main/Program.h"

bool Form1::SaveToFile()
{
    const Result result = SaveAccountFile(state_, AccountTable_);
    if (result.mustEnd()) {
        Program::endProgram(state_);
        return false;
    }
    if (result.isFailed())
        // Nothing on disk changed; the change stays in memory so the user can try again.
        state_.platform.message("Your accounts could not be saved.\r\n" + result.message(), MsgExclamation);
    else
        state_.platform.message("Settings have been saved successfully.", MsgInformation);
    state_.resetIdle();
    return true;
}
