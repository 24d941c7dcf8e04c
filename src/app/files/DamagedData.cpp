#include "app/files/DamagedData.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/AccountVersions.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "platform/Platform.h"

const char* const kDamagedDataQuestion = "Coffernote is unable to start.  The\r\n"
                                         "data file has been damaged.  Restore  \r\n"
                                         "default settings?  Responding \r\n"
                                         "'yes' will delete all saved accounts.  ";

Result RecoverDamagedData(AppState& state)
{
    if (state.platform.message(kDamagedDataQuestion, MsgQuestion) != Answer::Yes)
        return Result::endProgram();

    const std::string accountFile = JoinPath(state.programFolder, kAccountFileName);
    // Without the data folder's lock nothing is deleted or written, as in a save: the files may be another
    // copy's, in the middle of its own save.
    const bool mayChange = state.platform.holdsDataFolderLock();
    // The file given up is kept among the versions, never deleted: no answer destroys the only copy.
    if (FileExists(accountFile) && (!mayChange || !MoveAccountFileToVersions(state.programFolder).isOk())) {
        // Going on would meet the same damaged file at every turn; end without touching anything else.
        state.platform.message("Coffernote could not delete the damaged data file\r\n" + accountFile +
                                   (mayChange ? "" : "\r\n(" + LockNotHeldReason(state) + ")") +
                                   "\r\nThe program will now close; nothing else was changed.",
                               MsgExclamation);
        return Result::endProgram();
    }
    if (!mayChange)
        return Result::ok();

    // Values read once stay in the record for the next call; a missing file leaves them as they were. One that
    // cannot be read is never replaced (its display options would be lost); with the account file gone, its
    // stamp is never checked.
    if (!ReadOptionsFile(state.programFolder, state.recoveryOptions).result.isOk())
        return Result::ok();
    state.recoveryOptions.set(OptionsRecord::IntegrityStamp, "");
    // With the account file gone no stamp is ever checked, so a failure here loses nothing.
    (void)WriteOptionsFile(state.programFolder, state.recoveryOptions);
    return Result::ok();
}
