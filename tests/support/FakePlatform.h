#pragma once

#include "app/model/ImportPreview.h"
#include "cipher/SecretString.h"
#include "platform/Platform.h"

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A scripted desktop for tests. Questions (styles 36 and 292) and file dialogs take their answers from queues filled
// by the test; a question or dialog with nothing queued fails the test, and so does an answer left unused
// when the fake goes. Every message and every other call is recorded.
class FakePlatform : public Platform
{
public:
    struct Message
    {
        std::string text;
        int style;
        std::string caption;
    };

    ~FakePlatform() override;

    // Scripting.
    void queueAnswer(Answer answer) { answers.push_back(answer); }
    void queueFile(const std::string& path) { files.push_back(path); } // "" = the user cancels
    void queueImportChoice(ImportChoice choice) { importChoices.push_back(choice); }
    void queueVersionChoice(int row) { versionChoices.push_back(row); } // -1 = the user closes the list
    // A login typed into a login prompt: user name, password, digits; an empty user name and password cancel.
    void queueLogin(std::array<std::string, 3> login) { logins.push_back(std::move(login)); }
    void checkNothingLeft(); // fails on unused answers, then forgets them

    // Platform.
    void clearClipboard() override;
    bool setClipboardText(std::string_view text) override;
    bool openUrl(const std::string& url) override;
    // The texts of WebAddressParses.h as the desktop's parse takes them; any other plain address by the plain
    // parse; a text neither knows fails the test.
    WebAddressParts parseWebAddress(const std::string& text) override;
    bool previousInstanceRunning() override { return otherInstance; }
    bool holdsDataFolderLock() override { return holdsLock; }
    bool readOnlyRun() override { return readOnly; }
    std::string lockRefusal() override { return refusal; }
    bool setWindowTopmost(int mode, QWidget* window) override;
    void dismissPrompts() override;
    void endProgram(int exitStatus) override
    {
        ++endCount;
        endStatus = exitStatus;
    }
    std::string protectionNotePath() override { return protectionNote; }
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    void pause(int ms) override
    {
        pausedMs += ms;
        if (whilePaused)
            whilePaused();
    }

    // What happened.
    std::vector<Message> messages;
    std::vector<std::string> fileFilters;  // the filter of every dialog shown
    std::vector<std::string> fileCaptions; // the caption of every dialog for a downloaded file
    std::vector<ImportPreview> importPreviews;
    std::vector<std::string> versionRows;    // the rows of the last version list shown
    std::vector<std::string> versionDetails; // what it said of each row, the one chosen last
    std::vector<std::string> urls;
    std::vector<int> topmostModes;
    std::string clipboard;
    bool clipboardHasText = false;
    int clipboardClears = 0;
    int endCount = 0;
    int endStatus = -1; // the exit status of the last end
    bool ended() const { return endCount > 0; }

    int promptDismissals = 0;          // calls of dismissPrompts
    std::string protectionNote;        // the note of encrypted data folders; empty: none kept
    int pausedMs = 0;                  // the time the code let pass, all pauses together
    std::function<void()> whilePaused; // runs at each pause: a test can put a file in place there

    // Background work runs at once; with holdBackgroundWork it waits until the test lets it finish, in order.
    bool holdBackgroundWork = false;
    std::size_t backgroundWaiting() const { return background_.size(); }
    void finishBackgroundWork();

    // Runs while a prompt (its text, or "save"/"open" for a file dialog) is open, before it is answered: a test
    // can make the idle lock come there. A prompt dismissed meanwhile is cancelled and takes no queued answer.
    std::function<void(const std::string& prompt)> whilePromptOpen;

    // Settings.
    bool otherInstance = false;
    bool holdsLock = true;      // what holdsDataFolderLock answers
    bool readOnly = false;      // what readOnlyRun answers: the data files were opened for reading only
    std::string refusal;        // what lockRefusal answers
    bool clipboardBusy = false; // setClipboardText fails, as when another program holds the clipboard
    bool urlOpens = true;       // what openUrl answers; false as on a desktop without a browser

    std::deque<Answer> answers;
    std::deque<std::string> files;
    std::deque<ImportChoice> importChoices;
    std::deque<int> versionChoices;
    std::deque<std::array<std::string, 3>> logins;
    std::vector<std::string> loginPrompts; // the text of every login prompt shown

protected:
    Answer showMessageBox(const std::string& text, int style, const std::string& caption) override;
    std::string chooseSaveFile(const std::string& filter) override;
    std::string chooseOpenFile(const std::string& filter) override;
    std::string chooseDownloadedFile(const std::string& filter, const std::string& caption) override
    {
        fileCaptions.push_back(caption);
        return chooseOpenFile(filter);
    }
    ImportChoice showImportPreview(const ImportPreview& preview) override;
    int showVersionList(VersionList& versions) override;
    bool showLoginPrompt(const std::string& text, const TakeLogin& take) override;

private:
    std::deque<std::pair<std::function<void()>, std::function<void()>>> background_;
    bool promptDismissed(const std::string& prompt); // runs whilePromptOpen
    int openPrompts_ = 0;
    bool dismissedNow_ = false;
};

// Test failures show a secret's text, as they show any other string.
inline void PrintTo(const SecretString& text, std::ostream* out)
{
    *out << '"' << text.view() << '"';
}
