#include "app/model/Session.h"

#include "app/files/AccountFile.h"
#include "app/files/ChangedOutside.h"
#include "app/files/DataFiles.h"
#include "app/files/OptionsFile.h"
#include "app/files/Paths.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

#include <new>

namespace {

// The eleventh tick after the last activity locks.
constexpr std::int16_t kLockTick = 11;

} // namespace

Session::Session(std::string folder, Platform& platform, const TextRules& rules)
    : state_(std::move(folder), platform), book_(state_, login_, table_, rules), loginCheck_(state_, login_, table_),
      lockScreen_(state_, login_)
{
}

Session::~Session() = default;

StartupResult Session::start()
{
    // No failure ends the program unannounced.
    try {
        return startSequence();
    } catch (const std::exception& e) {
        const bool memory = dynamic_cast<const std::bad_alloc*>(&e) != nullptr;
        state_.platform.message(
            std::string("Coffernote could not start:\r\n") + (memory ? "not enough memory" : e.what()), MsgExclamation);
        return {Result::endProgram()};
    }
}

StartupResult Session::startSequence()
{
    if (state_.platform.previousInstanceRunning()) {
        const std::string refusal = state_.platform.lockRefusal();
        if (refusal.empty())
            state_.platform.message(kAlreadyRunningMessage, MsgInformation);
        else
            state_.platform.message(refusal, MsgExclamation);
        return {Result::endProgram()};
    }

    // A failure to create it shows later, when a save cannot write it and says so. A copy without the folder's
    // lock writes nothing. Beside an account file it may be another computer's, still moving in.
    const std::string optionsFile = JoinPath(state_.programFolder, kOptionsFileName);
    if (!FileExists(optionsFile) && FileExists(JoinPath(state_.programFolder, kAccountFileName)))
        (void)AwaitOptionsFile(state_);
    if (!FileExists(optionsFile) && state_.platform.holdsDataFolderLock())
        (void)WriteOptionsFile(state_.programFolder, OptionsRecord::defaults());

    // Where the data files are kept, when that needs saying; else a run in a folder that cannot be written still
    // serves to look accounts up, and the user hears why every change will fail before the first one does.
    if (!state_.startNotice.empty())
        state_.platform.message(state_.startNotice,
                                state_.platform.holdsDataFolderLock() ? MsgInformation : MsgExclamation);
    else if (const Result writable = FolderWritable(state_.programFolder); !writable.isOk())
        state_.platform.message(ReadOnlyFolderMessage(state_.programFolder, writable.message()), MsgExclamation);

    if (Result loaded = load(); !loaded.isOk())
        return {std::move(loaded)};
    // A protected file tells that a login exists without the key: the login always opens it.
    if (loginCheck_.opensProtectedFile())
        return {Result::ok(), FirstWindow::Login};
    const bool accountFileExists = FileExists(JoinPath(state_.programFolder, kAccountFileName));
    const AccountRecord& header = table_.front();
    return {Result::ok(),
            ChooseFirstWindow(accountFileExists, header.Notes.view(), header.UserId.view(), header.Password.view())};
}

Result Session::load()
{
    OptionsRecord options;
    LoadResult loaded = LoadAccountFile(state_, login_, options, table_, loginCheck_.lockedFile());
    if (!loaded.result.isOk()) {
        WipeTable(table_);
        return std::move(loaded.result);
    }
    // A header without its marker after the recovery's Yes: the account file is gone, and the main window finds
    // no accounts, as when there is no file at all.
    if (table_.empty() || table_.front().AccountName != kHeaderMarker) {
        WipeTable(table_);
        table_.push_back(MakeHeaderRecord(login_.LoginUserName, login_.LoginPassword1, login_.LoginPassword2));
    }
    return Result::ok();
}

void Session::openMain()
{
    book_.open();
    locked_ = false;
    securityOn_ = true;
    idleTimerOn_ = true;
    lookOutside();
}

void Session::lookOutside()
{
    if (locked_)
        return; // nothing is asked or shown at a locked program: the unlock's next look takes it in
    // Another computer's save is no activity of the user's: the idle lock keeps its count.
    const std::int16_t idle = state_.IdleTickCount;
    book_.mergeConflictCopies();
    book_.takeInOutsideChanges();
    state_.IdleTickCount = idle;
}

bool Session::tick()
{
    if (!idleTimerOn_)
        return false;
    state_.tickIdle(); // saturates: weeks without activity never overflow
    // Equality: the lock comes once per reset; after a failed unlock it comes again eleven ticks later.
    if (state_.IdleTickCount != kLockTick || table_.size() <= 1)
        return false;
    enterLock();
    return true;
}

Session::Screen Session::lock()
{
    enterLock();
    idleTimerOn_ = false;
    return Screen::Locked;
}

void Session::enterLock()
{
    locked_ = true;
    lockScreen_.lock();
    state_.platform.clearClipboard();
    // A message, question or file dialog left open when the lock came must not be answered behind it: an export
    // dialog would write every password in clear text. Each is taken as cancelled.
    state_.platform.dismissPrompts();
}

Session::Screen Session::unlock(const SecretString& typed)
{
    if (!locked_)
        return Screen::Main;
    if (!lockScreen_.tryPassword(typed))
        return Screen::Locked;
    locked_ = false;
    idleTimerOn_ = true;
    return Screen::Main;
}

void Session::securityOff()
{
    securityOn_ = false;
    idleTimerOn_ = false;
}

void Session::securityOn()
{
    securityOn_ = true;
    idleTimerOn_ = true;
    state_.resetIdle();
}

Result Session::quit()
{
    state_.platform.clearClipboard();
    return end();
}

Result Session::end()
{
    login_.forget();
    for (AccountRecord& r : table_) {
        wipe(r.Notes);
        wipe(r.UserId);
        wipe(r.Password);
    }
    book_.wipeSecrets();
    loginCheck_.wipeSecrets();
    return Result::endProgram(ExitStatus::Closed);
}
