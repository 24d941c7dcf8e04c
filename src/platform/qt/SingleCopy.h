#pragma once

#include <QString>

#include <functional>
#include <memory>

class DataFolderLock;
class QLocalServer;
class QWidget;

// One running copy per data folder. The lock is a hidden owner-only file in the data folder itself, so two
// starts on one folder exclude each other whatever their temporary folder, runtime folder or session. Only
// when the folder cannot hold the file (it cannot be written and has none) does the lock go to the user's
// runtime folder, under a name taken from the folder's path. The copy that holds the lock listens for a
// second copy's request to come to the front.
class SingleCopy
{
public:
    explicit SingleCopy(const QString& dataFolder);
    ~SingleCopy();
    SingleCopy(const SingleCopy&) = delete;
    SingleCopy& operator=(const SingleCopy&) = delete;

    // Takes the lock. False when another copy holds it; that copy is then asked to come to the front.
    // A folder whose lock can be had nowhere runs without one (it cannot be written, so nothing is saved).
    bool claim();
    // True while the lock taken by claim() is still this copy's.
    bool holds() const;
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
    QString runningCopyWindow_;
    std::unique_ptr<DataFolderLock> lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onActivation_;
};
