#include "platform/qt/SingleCopy.h"

#include "platform/qt/DataFolder.h"
#include "platform/qt/DataFolderLock.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMainWindow>
#include <QStandardPaths>
#include <QWidget>

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");
// The answer: "front <platform>:<window id>\n", the window now in front, so that the refused copy can keep its
// message above it.
const QByteArray kFront = QByteArrayLiteral("front ");
constexpr int kWaitMs = 1000;

QString absoluteFolder(const QString& folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir(folder).absolutePath() : canonical;
}

// True when the other end of the socket runs as this user: a name in the abstract namespace is open to every user
// of the computer, who may take it first or knock on it.
bool sameUser(const QLocalSocket& socket)
{
#ifdef Q_OS_LINUX
    ucred peer = {};
    socklen_t size = sizeof peer;
    return getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == geteuid();
#else
    Q_UNUSED(socket);
    return true; // the runtime folder is the user's alone
#endif
}

} // namespace

SingleCopy::SingleCopy(const QString& dataFolder, bool readOnly)
    : folder_(dataFolder), readOnly_(readOnly), onActivation_(&SingleCopy::bringToFront)
{
}

SingleCopy::~SingleCopy()
{
    release();
}

QString SingleCopy::socketName(const QString& dataFolder)
{
#ifdef Q_OS_LINUX
    struct stat st = {};
    if (stat(QFile::encodeName(absoluteFolder(dataFolder)).constData(), &st) != 0)
        return {};
    return QStringLiteral("coffernote-%1-%2-%3")
        .arg(geteuid())
        .arg(static_cast<qulonglong>(st.st_dev))
        .arg(static_cast<qulonglong>(st.st_ino));
#else
    return runtimeName(dataFolder, QStringLiteral(".socket"));
#endif
}

QString SingleCopy::runtimeName(const QString& dataFolder, const QString& suffix)
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    struct stat st = {};
    // Never a folder others can write or read: they could plant or watch the names in it.
    if (dir.isEmpty() || stat(QFile::encodeName(dir).constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != geteuid() || (st.st_mode & 077) != 0)
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(absoluteFolder(dataFolder).toUtf8(), QCryptographicHash::Sha256).toHex();
    return QDir(dir).filePath(QStringLiteral("coffernote-") + QString::fromLatin1(hash.left(16)) + suffix);
}

QString SingleCopy::refusalMessage(const QString& folder, const QString& reason)
{
    return QStringLiteral("Coffernote cannot start: its data folder\r\n%1\r\ncannot be locked (%2).\r\n"
                          "Without that lock a second copy could save at the same time and undo this one's changes.")
        .arg(QDir::toNativeSeparators(folder), reason);
}

bool SingleCopy::claim()
{
    refusal_.clear();
    onRuntimeLock_ = false;
    DataFolderLock::Result result = DataFolderLock::Result::Unavailable;
    if (!readOnly_) {
        const QString path = absoluteFolder(folder_);
        lock_ = std::make_unique<DataFolderLock>(QFile::encodeName(path).toStdString());
        result = lock_->acquire();
        // The folder itself is tested, not the lock: a copy that could write the folder must hold its lock, or
        // two copies could save at once.
        if (result == DataFolderLock::Result::Unavailable && folderWritable(folder_)) {
            refusal_ = refusalMessage(path, QString::fromLocal8Bit(std::strerror(lock_->error())));
            lock_.reset();
            return false;
        }
    }
    if (result == DataFolderLock::Result::Unavailable) {
        lock_.reset();
        onRuntimeLock_ = true;
        const QString fallback = runtimeName(folder_, QStringLiteral(".lock"));
        if (!fallback.isEmpty()) {
            lock_ =
                std::make_unique<DataFolderLock>(QFile::encodeName(fallback).toStdString(), DataFolderLock::Kind::File);
            result = lock_->acquire();
        }
    }
    if (result == DataFolderLock::Result::TakenByOther) {
        lock_.reset();
        askToFront();
        return false;
    }
    if (result != DataFolderLock::Result::Held) {
        lock_.reset();
        return true;
    }
    listen();
    return true;
}

bool SingleCopy::holds() const
{
    return lock_ && !onRuntimeLock_ && lock_->held();
}

void SingleCopy::release()
{
    server_.reset(); // closing removes the socket file
    if (lock_)
        lock_->release();
    lock_.reset();
}

void SingleCopy::listen()
{
    const QString name = socketName(folder_);
    if (name.isEmpty() || !QCoreApplication::instance())
        return;
    server_ = std::make_unique<QLocalServer>();
#ifdef Q_OS_LINUX
    server_->setSocketOptions(QLocalServer::AbstractNamespaceOption);
#else
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // The name belongs to this folder and this copy holds its lock: a socket left there is a killed run's.
    QLocalServer::removeServer(name);
#endif
    if (!server_->listen(name)) {
        server_.reset();
        return;
    }
    QLocalServer* server = server_.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [this, server] {
        while (QLocalSocket* client = server->nextPendingConnection()) {
            if (!sameUser(*client)) {
                client->abort();
                client->deleteLater();
                continue;
            }
            auto consume = [this, client] {
                if (!client->readAll().contains(kActivate))
                    return;
                if (onActivation_)
                    onActivation_();
                QByteArray front = kFront;
                if (const QWidget* window = frontWindow())
                    front += QGuiApplication::platformName().toUtf8() + ':' + QByteArray::number(window->winId());
                client->write(front + '\n');
                client->flush();
            };
            QObject::connect(client, &QLocalSocket::readyRead, client, consume);
            QObject::connect(client, &QLocalSocket::disconnected, client, [client, consume] {
                consume();
                client->deleteLater();
            });
            consume();
        }
    });
}

void SingleCopy::askToFront()
{
    const QString name = socketName(folder_);
    if (name.isEmpty())
        return;
    QLocalSocket socket;
#ifdef Q_OS_LINUX
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
#endif
    socket.connectToServer(name);
    if (!socket.waitForConnected(kWaitMs) || !sameUser(socket))
        return;
    socket.write(kActivate);
    socket.waitForBytesWritten(kWaitMs);
    // A copy of an older build answers nothing: the wait ends with the time allowed.
    while (!socket.canReadLine() && socket.waitForReadyRead(kWaitMs)) {
    }
    const QByteArray answer = socket.readLine().trimmed();
    if (answer.startsWith(kFront))
        runningCopyWindow_ = QString::fromUtf8(answer.mid(kFront.size()));
    socket.disconnectFromServer();
}

namespace {

bool shown(const QWidget* w)
{
    return w->isVisible() && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip;
}

} // namespace

void SingleCopy::bringToFront()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!shown(w))
            continue;
        if (w->isMinimized())
            w->setWindowState((w->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        w->raise();
    }
    if (QWidget* front = frontWindow())
        front->activateWindow();
}

QWidget* SingleCopy::frontWindow()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow(); active && shown(active))
        return active;
    QWidget* any = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!shown(w))
            continue;
        if (qobject_cast<QMainWindow*>(w))
            return w;
        any = w;
    }
    return any;
}
