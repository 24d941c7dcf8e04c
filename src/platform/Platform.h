#pragma once

#include "base/WebAddressParts.h"

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class QWidget;

// Message box styles: the button set and icon of a modal message.
enum MessageStyle : int {
    MsgOk = 0,                  // OK only, no icon
    MsgInformation = 64,        // information icon, OK
    MsgExclamation = 48,        // exclamation icon, OK
    MsgQuestion = 36,           // question icon, Yes and No, Yes the default
    MsgQuestionNoDefault = 292, // question icon, Yes and No, No the default: Enter alone never agrees
};

inline constexpr bool isQuestion(int style)
{
    return style == MsgQuestion || style == MsgQuestionNoDefault;
}

enum class Answer { Ok, Yes, No };

inline constexpr const char* kProgramTitle = "Coffernote";

// What the preview of an import from another program shows (app/model/ImportPreview.h): the seam hands it on.
struct ImportPreview;
// The user's answer to the preview: nothing, or import, skipping or numbering the accounts whose names exist.
enum class ImportChoice { Cancel, SkipExisting, AddNumbered };

// What the dialog that restores an earlier version shows: one row a version, and for the row selected what a
// restore would change. The dialog asks again each time the selection moves.
class VersionList
{
public:
    virtual ~VersionList() = default;
    virtual std::vector<std::string> rows() const = 0;
    virtual std::string details(int row) = 0;
};

// The one seam through which the program reaches the desktop. The program uses the Qt implementation;
// tests use a scripted fake, so every dialog flow runs headless.
class Platform
{
public:
    virtual ~Platform() = default;

    // Modal message box; returns the button pressed (Ok for the OK-only styles).
    Answer messageBox(const std::string& text, int style, const std::string& caption)
    {
        announcePrompt();
        return showMessageBox(text, style, caption);
    }
    Answer message(const std::string& text, int style) { return messageBox(text, style, kProgramTitle); }

    // Common file dialogs. The filter is "Description|pattern; pattern". An empty result means cancelled.
    std::string saveFileName(const std::string& filter)
    {
        announcePrompt();
        return chooseSaveFile(filter);
    }
    std::string openFileName(const std::string& filter)
    {
        announcePrompt();
        return chooseOpenFile(filter);
    }
    // The same for a file another program wrote: titled caption, starting where downloads land.
    std::string openDownloadedFileName(const std::string& filter, const std::string& caption)
    {
        announcePrompt();
        return chooseDownloadedFile(filter, caption);
    }

    // The preview of an import from another program (a modal dialog with Import and Cancel).
    ImportChoice previewImport(const ImportPreview& preview)
    {
        announcePrompt();
        return showImportPreview(preview);
    }

    // The list of earlier versions (a modal dialog with Restore and Close): the row chosen, or -1 for none.
    int chooseVersion(VersionList& versions)
    {
        announcePrompt();
        return showVersionList(versions);
    }

    // Asks for a login (user name, password, number-pad digits) with text above it: take receives the three texts
    // (the prompt overwrites its own copies once take returned); false when the user cancelled.
    using TakeLogin =
        std::function<void(std::string_view userName, std::string_view password, std::string_view digits)>;
    bool askLogin(const std::string& text, const TakeLogin& take)
    {
        announcePrompt();
        return showLoginPrompt(text, take);
    }

    // Runs each time a prompt (a message box, a question, a file dialog) is about to open: the main window shows
    // the state as it stands at that moment, also in the middle of an operation, so the user decides while
    // looking at it. One observer at a time; it is removed only by the owner that set it.
    void setPromptObserver(const void* owner, std::function<void()> observer)
    {
        promptObserverOwner_ = owner;
        promptObserver_ = std::move(observer);
    }
    void removePromptObserver(const void* owner)
    {
        if (owner == promptObserverOwner_)
            setPromptObserver(nullptr, {});
    }

    // Clipboard. setClipboardText returns false when the clipboard cannot be taken.
    virtual void clearClipboard() = 0;
    virtual bool setClipboardText(std::string_view text) = 0;

    // Hands a URL to the desktop's browser; false when nothing could open it. The website command hands it only
    // the normalized form of an address its parse returned.
    virtual bool openUrl(const std::string& url) = 0;
    // Takes text apart as the desktop's parser reads it, once: the model judges the parts and opens their
    // normalized form. The plain parse serves desktops without a parser of their own.
    virtual WebAddressParts parseWebAddress(const std::string& text)
    {
        return PlainWebAddressParts(text).value_or(WebAddressParts{});
    }

    // True when another copy of the program already runs from the same program folder.
    virtual bool previousInstanceRunning() = 0;

    // After previousInstanceRunning() answered true: the message to show when what keeps this copy out is not
    // another copy but a data folder that cannot be locked; empty for another copy.
    virtual std::string lockRefusal() { return {}; }

    // True while this copy still holds the data folder's single-copy lock. Every write to the data folder (a save,
    // an options write, the removal of a leftover) asks it first, so a copy that lost its lock (deleted behind its
    // back), or a read-only one that never had it, never writes over another copy's files.
    virtual bool holdsDataFolderLock() { return true; }
    // True for a read-only run: the data files were opened for reading only at start, and the lock was never this
    // copy's to hold. What it refuses to write then blames the folder, not another copy.
    virtual bool readOnlyRun() { return false; }

    // mode 1 keeps the window above all others, mode 0 returns it to the normal band; other modes do nothing
    // and give false. The window keeps its position and size.
    virtual bool setWindowTopmost(int mode, QWidget* window) = 0;

    // Answers every prompt that is open now (a message box, a question, a file dialog) as if the user had
    // cancelled it: a question gets No, a file dialog no file. The lock calls it, so that nobody at the locked
    // program can answer a prompt left open on its behalf. Each prompt returns once its own handler resumes.
    virtual void dismissPrompts() {}

    // The file, outside every data folder, that remembers which data folders this user encrypted with a login;
    // empty when none is kept.
    virtual std::string protectionNotePath() { return {}; }

    // Lets ms milliseconds pass, for a file another program is still putting in place; the scripted desktop of
    // the tests lets no time pass and records the wait.
    virtual void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    // Runs work (slow, and touching nothing the windows use) away from the windows' thread, then done on that
    // thread. An exception ends work only: done still runs, with whatever work was to fill left empty. done never
    // runs once the platform is gone. Without windows (the tools, the benchmarks) both simply run in turn.
    virtual void runInBackground(std::function<void()> work, std::function<void()> done)
    {
        try {
            work();
        } catch (...) {
        }
        done();
    }

    // Ends the program at once with the exit status given (0 closed normally, 1 after a failure the user was told
    // of): no further handler runs. The program's implementation never returns; the test fake records the call and
    // returns, so every caller returns straight after it.
    virtual void endProgram(int exitStatus) = 0;

protected:
    // The prompts themselves, shown once the observer has run.
    virtual Answer showMessageBox(const std::string& text, int style, const std::string& caption) = 0;
    virtual std::string chooseSaveFile(const std::string& filter) = 0;
    virtual std::string chooseOpenFile(const std::string& filter) = 0;
    virtual std::string chooseDownloadedFile(const std::string& filter, const std::string&)
    {
        return chooseOpenFile(filter);
    }
    virtual ImportChoice showImportPreview(const ImportPreview&) { return ImportChoice::Cancel; }
    virtual int showVersionList(VersionList&) { return -1; }
    virtual bool showLoginPrompt(const std::string&, const TakeLogin&) { return false; }

private:
    void announcePrompt()
    {
        if (promptObserver_)
            promptObserver_();
    }

    const void* promptObserverOwner_ = nullptr;
    std::function<void()> promptObserver_;
};
