#include "app/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char showRequest[] = "show\n";
constexpr qint64 longestRequest = 64;

// A later copy waits this long for the copy that holds the lock to listen: the holder may have
// just taken the lock, or be about to end, when the later copy looks.
constexpr int answerWaitMs = 2000;
constexpr int retryPauseMs = 20;

// Room in sockaddr_un::sun_path, less its terminating zero.
constexpr qsizetype longestSocketPath = 107;

// Something in the lock's place that no copy of this user made: a folder, a link, a device, or in
// the shared temporary folder a file of another user.
bool isNoLockFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isSymLink() || (info.exists() && (!info.isFile() || info.ownerId() != ::getuid()));
}

} // namespace

SingleInstance::SingleInstance(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent)
{
    const QString stem = name + u'-' + QString::number(::getuid());
    QDir dir(folder.isEmpty() ? defaultFolder() : folder);
    if (QFile::encodeName(dir.filePath(stem + u".socket"_s)).size() > longestSocketPath)
        dir.setPath(QDir::tempPath());
    lockPath_ = dir.filePath(stem + u".lock"_s);
    serverPath_ = dir.filePath(stem + u".socket"_s);
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // The copy holding the lock may run for hours: only a lock whose process is gone is stale.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock: once the lock is free, a new copy may already listen under
    // the same name, and closing the old server afterwards would remove the new copy's socket.
    delete server_;
    server_ = nullptr;
    lock_.reset();
}

QString SingleInstance::defaultFolder()
{
    // Without XDG_RUNTIME_DIR Qt would make up a folder of its own and warn about it; the
    // temporary folder serves as well, since the names carry the user's id.
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty())
            return runtime;
    }
    return QDir::tempPath();
}

bool SingleInstance::claim()
{
    if (takeLock())
        return true;
    if (lock_->error() != QLockFile::LockFailedError || isNoLockFile(lockPath_)) {
        qWarning("Cannot create the lock file %s; running without the one-copy check",
            qPrintable(QDir::toNativeSeparators(lockPath_)));
        return true;
    }

    const QDeadlineTimer deadline(answerWaitMs);
    for (;;) {
        if (askRunningCopyToShow())
            return false;
        if (deadline.hasExpired())
            break;
        QThread::msleep(retryPauseMs);
        // The holder may have ended meanwhile, leaving the lock to this copy.
        if (takeLock())
            return true;
    }

    // No copy answers. A lock that names no process (a copy killed while it wrote the lock) is
    // never judged stale. But a copy that runs, even one that hangs, holds a file lock on it, so
    // the removal succeeds only when nobody does. One copy at a time removes it, as QLockFile
    // does with stale locks.
    {
        QLockFile removal(lockPath_ + u".rmlock"_s);
        if (removal.tryLock(0))
            lock_->removeStaleLockFile();
    }
    if (takeLock())
        return true;
    qint64 pid = 0;
    QString host;
    QString application;
    lock_->getLockInfo(&pid, &host, &application);
    qWarning("The running copy (process %lld) does not answer", pid);
    return false;
}

bool SingleInstance::takeLock()
{
    if (!lock_->tryLock(0))
        return false;
    listen();
    return true;
}

void SingleInstance::listen()
{
    // A killed copy leaves its socket behind. Only the holder of the lock removes it, so a socket
    // in use is never taken away.
    QLocalServer::removeServer(serverPath_);
    server_ = new QLocalServer(this);
    // For the user alone: in the temporary folder others could reach it otherwise.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(
                socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
            if (socket->bytesAvailable() > 0)
                readRequest(socket);
        }
    });
    if (!server_->listen(serverPath_))
        qWarning("Cannot listen on %s: %s", qPrintable(QDir::toNativeSeparators(serverPath_)),
            qPrintable(server_->errorString()));
}

bool SingleInstance::askRunningCopyToShow() const
{
    QLocalSocket socket;
    socket.connectToServer(serverPath_);
    if (!socket.waitForConnected(500))
        return false;
    socket.write(showRequest, sizeof showRequest - 1);
    socket.flush();
    if (socket.bytesToWrite() > 0 && !socket.waitForBytesWritten(1000))
        return false;
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::readRequest(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        // Whatever talks this much is not a later copy of this program.
        if (socket->bytesAvailable() > longestRequest) {
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
    if (socket->readLine(longestRequest) == showRequest)
        Q_EMIT activationRequested();
    socket->disconnectFromServer();
}
