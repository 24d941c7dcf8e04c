// Storing the account table after every change.
#include "ui/main/Form1.h"

#include "app/AccountFile.h"
#include "app/AppState.h"
#include "platform/Platform.h"

bool Form1::SaveToFile()
{
    const SaveResult result = SaveAccountFile(state_, AccountTable_);
    switch (result.status) {
    case SaveResult::Ended:
        return false;
    case SaveResult::Failed:
        // Nothing on disk changed; the change stays in memory so the user can try again.
        state_.platform.message("Your accounts could not be saved.\r\n" + result.error, MsgExclamation);
        break;
    case SaveResult::Saved:
    case SaveResult::Removed:
        state_.platform.message("Settings have been saved successfully.", MsgInformation);
        break;
    }
    state_.resetIdle();
    return true;
}
