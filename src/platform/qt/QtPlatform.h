#pragma once

#include "platform/Platform.h"
#include "platform/qt/SingleCopy.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QThread;
class QFileDialog;
class QWidget;
class QWindow;

// The desktop as Qt offers it.
class QtPlatform : public Platform
{
public:
    // dataFolder holds the lock that keeps a second copy from running on the same data files. readOnly: the run
    // only reads the folder's files (they are not the user's alone to change), so it never takes that lock.
    explicit QtPlatform(const QString& dataFolder, bool readOnly = false);
    ~QtPlatform() override;

    void clearClipboard() override;
    bool setClipboardText(std::string_view text) override;
    bool openUrl(const std::string& url) override;
    WebAddressParts parseWebAddress(const std::string& text) override;
    // Takes the data folder's lock on the first call; true when another copy holds it (that copy is asked to
    // come to the front).
    bool previousInstanceRunning() override;
    bool holdsDataFolderLock() override;
    std::string lockRefusal() override { return singleCopy_.refusal().toStdString(); }
    bool setWindowTopmost(int mode, QWidget* window) override;
    void dismissPrompts() override;
    bool readOnlyRun() override { return readOnly_; }
    // work on a thread of its own; done through the event loop, once the thread has ended.
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    [[noreturn]] void endProgram(int exitStatus) override;
    // What endProgram does before the process goes: clears the clipboard if the program put text there,
    // releases the single-copy lock. (The cached cipher keys are the application object's to wipe.)
    void prepareEnd();

    // Where the note of the data folders encrypted with a login is kept (none until set).
    void setProtectionNotePath(std::string path) { protectionNote_ = std::move(path); }
    std::string protectionNotePath() override { return protectionNote_; }

    // What a running copy does when a second one asks it to come to the front (by default: restore and raise
    // its shown windows).
    void setActivationHandler(std::function<void()> handler) { singleCopy_.setActivationHandler(std::move(handler)); }

    // "Text Files  (*.txt; *.csv)|*.txt; *.csv" becomes the Qt filter "Text Files  (*.txt *.csv)".
    static QString qtFilter(const std::string& filter);
    // The file dialog of saveFileName and openFileName: Qt's own dialog (a native one shows the filter in its
    // own words), whose filter list shows the caption of filter exactly as written while matching its patterns.
    // A caption replaces the dialog's own title; a start folder replaces the current folder it starts in.
    static QFileDialog* createFileDialog(bool save, const std::string& filter, QWidget* parent,
                                         const QString& caption = {}, const QString& startFolder = {});
    // Where browsers save their exports: the Downloads folder, else the home folder.
    static QString downloadsFolder();

    // The import preview is a window (src/ui/import), which this layer does not include: the program hands in how
    // to make one for an owner. The dialog's result code is the ImportChoice. Without it a preview imports nothing.
    using ImportPreviewWindow = std::function<QDialog*(const ImportPreview&, QWidget* owner)>;
    void setImportPreviewWindow(ImportPreviewWindow make) { importPreviewWindow_ = std::move(make); }

    // The window a prompt opened now belongs to, so that the desktop keeps the prompt above it: the window the
    // user acts in; else the window of the prompt answered last (a prompt that follows another opens before
    // the desktop has given that window the keyboard back); else the main window. None in the splash phase
    // and in a refused second copy.
    QWidget* promptOwner();

protected:
    Answer showMessageBox(const std::string& text, int style, const std::string& caption) override;
    std::string chooseSaveFile(const std::string& filter) override;
    std::string chooseOpenFile(const std::string& filter) override;
    std::string chooseDownloadedFile(const std::string& filter, const std::string& caption) override;
    ImportChoice showImportPreview(const ImportPreview& preview) override;
    int showVersionList(VersionList& versions) override;
    bool showLoginPrompt(const std::string& text, const TakeLogin& take) override;

private:
    // A prompt being shown. Prompts nest (one can open while another waits) and close in reverse order.
    struct Prompt
    {
        QPointer<QDialog> dialog;
        bool dismissed = false;
    };
    // Runs the dialog modally; false when it was dismissed or went with its parent window meanwhile.
    bool runPrompt(QDialog* dialog, int& result);
    // Makes a prompt for the owner promptOwner() chose: one without an owner is kept above other windows, and
    // in a refused second copy above the running copy's window it has just brought to the front.
    void placePrompt(QDialog* prompt, QWidget* owner);
    std::string fileDialog(bool save, const std::string& filter, const QString& caption = {},
                           const QString& startFolder = {});

    std::vector<Prompt> prompts_;
    // The threads of background work still running, and what receives their ends: it goes with the platform, so
    // no done runs after it.
    std::vector<QThread*> background_;
    std::unique_ptr<QObject> backgroundDone_;
    QPointer<QWidget> lastOwner_;
    std::unique_ptr<QWindow> runningCopyWindow_;
    SingleCopy singleCopy_;
    bool readOnly_ = false;
    bool lockTested_ = false;
    bool otherRunning_ = false;
    bool clipboardUsed_ = false;
    std::string protectionNote_;
    ImportPreviewWindow importPreviewWindow_;
};
