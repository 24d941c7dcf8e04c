#include "app/files/ChangedOutside.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/AccountVersions.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "cipher/CipherService.h"
#include "platform/Platform.h"

Result StampAccountFileAnew(AppState& state, OptionsRecord& options, bool hadOptions)
{
    // A copy without the lock (the files opened read-only, or another copy saving) uses the file as it is.
    if (!state.platform.holdsDataFolderLock())
        return Result::failed(kLockLostReason);
    OptionsRecord stamped = hadOptions ? options : OptionsRecord::defaults();
    stamped.set(OptionsRecord::IntegrityStamp, state.ComputedStamp);
    // A folder that cannot be written changes nothing: the next load takes the file in the same way.
    if (Result written = WriteOptionsFile(state.programFolder, stamped); !written.isOk())
        return written;
    options = stamped;
    return Result::ok();
}

std::string ChangedOutsideMessage(const std::string& accountFile, const Result& restamped)
{
    return "The account file was changed outside this copy of Coffernote, by another computer or a restored "
           "copy:\r\n" +
           accountFile +
           (restamped.isOk() ? "\r\nIts accounts are used, and its integrity stamp was written anew."
                             : "\r\nIts accounts are used; its integrity stamp could not be written anew:\r\n" +
                                   restamped.message());
}

void TellChangedOutside(AppState& state, const Result& restamped)
{
    state.platform.message(ChangedOutsideMessage(JoinPath(state.programFolder, kAccountFileName), restamped),
                           MsgInformation);
}

bool StampOfKeptVersion(const std::string& dataFolder, const std::string& stamp)
{
    // A folder without versions was emptied by an earlier version of Coffernote, which kept none.
    if (!FileExists(VersionsFolder(dataFolder)))
        return true;
    for (const KeptVersion& v : ListVersions(dataFolder)) {
        const Outcome<std::string> kept = EncryptField(StampText(v.crc));
        if (kept.result.isOk() && kept.value == stamp)
            return true;
    }
    return false;
}

std::string MissingAccountFileMessage(const std::string& dataFolder)
{
    return "Coffernote did not find its account file:\r\n" + JoinPath(dataFolder, kAccountFileName) +
           "\r\nThe integrity stamp in config.dat names an account file that is not there: a save from another "
           "computer may still be arriving, or the file was lost.\r\n"
           "Start Coffernote again in a moment. If the file does not come back, its earlier versions are kept in\r\n" +
           VersionsFolder(dataFolder) +
           "\r\n(copy one back as settings.dat to use it); to start with no accounts, delete config.dat.\r\n"
           "Nothing was changed or deleted.  The program will now close.";
}
