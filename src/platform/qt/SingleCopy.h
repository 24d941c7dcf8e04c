#pragma once

#include <QString>

#include <functional>
#include <memory>

class DataFolderLock;
class QLocalServer;
class QWidget;

// One running copy per data folder. The lock is the data folder itself (an advisory lock on the folder, no file
// in it), so two starts on one folder of one computer exclude each other whatever their temporary folder,
// runtime folder or session, and a folder kept in step with another computer carries nothing of it there. A
// `.coffernote.lock` that older versions kept in the folder means nothing now and is left alone. Only when the
// folder cannot be locked and cannot be written either does the lock go to the user's runtime folder, under a
// name taken from the folder's path; a copy on that lock, or one opened read-only, is read-only: it never holds
// the folder's lock, so it never saves. A folder that can be written but not locked keeps the copy from
// starting. The copy that holds the lock listens for a second copy's request to come to the front.
class SingleCopy
{
public:
    // readOnly: the run only reads the folder's files; it takes the runtime folder's lock and never the folder's.
    explicit SingleCopy(const QString& dataFolder, bool readOnly = false);
    ~SingleCopy();
    SingleCopy(const SingleCopy&) = delete;
    SingleCopy& operator=(const SingleCopy&) = delete;

    // Takes the lock. False when another copy holds it (that copy is then asked to come to the front), or when a
    // folder that can be written cannot be locked (refusal() says why). A read-only run whose lock can be had
    // nowhere runs without one.
    bool claim();
    // After a refused claim(): the message naming the folder and why it cannot be locked; empty when another
    // copy holds the lock.
    const QString& refusal() const { return refusal_; }
    // True while the data folder's own lock, taken by claim(), is still this copy's; never on the runtime
    // folder's lock.
    bool holds() const;
    // The message for a data folder that can be written but not locked, for the reason given.
    static QString refusalMessage(const QString& folder, const QString& reason);
    // Stops listening and frees the lock.
    void release();

    // What a request to come to the front does; by default every shown window is restored and raised.
    void setActivationHandler(std::function<void()> handler) { onActivation_ = std::move(handler); }
    static void bringToFront();
    // The window a request brings to the front: the open prompt, else the active window, else the main window,
    // else any shown window; none without one.
    static QWidget* frontWindow();

    // After a refused claim(): the window the running copy brought to the front, as "<platform>:<window id>"
    // ("xcb:12345"); empty when it named none.
    const QString& runningCopyWindow() const { return runningCopyWindow_; }

    // Where the copy holding the folder's lock listens: on Linux a name in the abstract socket namespace taken
    // from the user and the folder's device and inode, the same in every session of the user and gone with the
    // process; elsewhere a socket in the runtime folder. Empty when there is none to be had.
    static QString socketName(const QString& dataFolder);
    // A name in the user's runtime folder taken from the data folder's path ("coffernote-<hash><suffix>");
    // empty when that folder is missing or open to other users.
    static QString runtimeName(const QString& dataFolder, const QString& suffix);

private:
    void listen();
    void askToFront();

    QString folder_;
    bool readOnly_ = false;
    bool onRuntimeLock_ = false;
    QString refusal_;
    QString runningCopyWindow_;
    std::unique_ptr<DataFolderLock> lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onActivation_;
};
