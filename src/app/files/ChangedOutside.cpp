#include "app/files/ChangedOutside.h"

#include "app/AppState.h"
#include "app/files/AccountFile.h"
#include "app/files/AccountVersions.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "platform/Platform.h"

Result StampAccountFileAnew(AppState& state, OptionsRecord& options, bool hadOptions)
{
    // A copy without the lock (the files opened read-only, or another copy saving) uses the file as it is.
    if (!state.platform.holdsDataFolderLock())
        return Result::failed(LockNotHeldReason(state));
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

namespace {

constexpr int kStepMs = 20;

// Looks until arrived says so or the time left is spent.
template <typename Arrived> bool await(AppState& state, int& leftMs, Arrived arrived)
{
    while (!arrived()) {
        if (leftMs <= 0)
            return false;
        state.platform.pause(kStepMs);
        leftMs -= kStepMs;
    }
    return true;
}

} // namespace

bool AwaitAccountFile(AppState& state, int& leftMs)
{
    const std::string path = JoinPath(state.programFolder, kAccountFileName);
    return await(state, leftMs, [&] { return FileExists(path); });
}

bool AwaitOptionsFile(AppState& state)
{
    const std::string path = JoinPath(state.programFolder, kOptionsFileName);
    int leftMs = kAccountFileArrivalMs;
    return await(state, leftMs, [&] { return FileExists(path); });
}

bool AwaitStampChange(AppState& state, const std::string& stamp, int& leftMs)
{
    return await(state, leftMs, [&] {
        OptionsRecord now;
        const Outcome<bool> read = ReadOptionsFile(state.programFolder, now);
        return read.result.isOk() && now.get(OptionsRecord::IntegrityStamp) != stamp;
    });
}

Result ForgetStamp(AppState& state)
{
    OptionsRecord options;
    const Outcome<bool> read = ReadOptionsFile(state.programFolder, options);
    if (!read.result.isOk())
        return read.result;
    if (!read.value || options.get(OptionsRecord::IntegrityStamp).empty())
        return Result::ok();
    if (!state.platform.holdsDataFolderLock())
        return Result::failed(LockNotHeldReason(state));
    options.set(OptionsRecord::IntegrityStamp, "");
    return WriteOptionsFile(state.programFolder, options);
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
