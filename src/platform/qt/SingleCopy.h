#pragma once

#include <QString>

#include <functional>
#include <memory>

class DataFolderLock;
class QLocalServer;
class QWidget;

// One running copy per data folder. The lock is a hidden owner-only file in the data folder itself, so two
// starts on one folder exclude each other whatever their temporary folder, runtime folder or session. Only
// when the folder itself cannot be written (and has no lock file) does the lock go to the user's runtime
// folder, under a name taken from the folder's path; a copy on that lock, or one opened read-only, is read-only:
// it never holds the folder's lock, so it never saves. Anything else under the lock file's name (a folder, a
// link, a pipe, another user's file) keeps the copy from starting. The copy that holds the lock listens for a
// second copy's request to come to the front.
class SingleCopy
{
public:
    // readOnly: the run only reads the folder's files; it takes the runtime folder's lock and never the folder's.
    explicit SingleCopy(const QString& dataFolder, bool readOnly = false);
    ~SingleCopy();
    SingleCopy(const SingleCopy&) = delete;
    SingleCopy& operator=(const SingleCopy&) = delete;

    // Takes the lock. False when another copy holds it (that copy is then asked to come to the front), or when
    // something that is not a lock file of this user's is in its place (refusal() says what). A read-only run
    // whose lock can be had nowhere runs without one.
    bool claim();
    // After a refused claim(): the message naming the lock file and what is wrong with it; empty when another
    // copy holds the lock.
    const QString& refusal() const { return refusal_; }
    // True while the data folder's own lock, taken by claim(), is still this copy's; never on the runtime
    // folder's lock.
    bool holds() const;
    // The message for a lock file path whose problem is "is a folder", "belongs to another user (bob)", ...
    static QString refusalMessage(const QString& lockPath, const QString& problem);
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

    static QString lockFilePath(const QString& dataFolder);
    // A name in the user's runtime folder taken from the data folder's path ("coffernote-<hash><suffix>");
    // empty when that folder is missing or open to other users.
    static QString runtimeName(const QString& dataFolder, const QString& suffix);

private:
    void listen();
    void askToFront(const QString& lockPath);

    QString folder_;
    bool readOnly_ = false;
    bool onRuntimeLock_ = false;
    QString refusal_;
    QString runningCopyWindow_;
    std::unique_ptr<DataFolderLock> lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onActivation_;
};
