// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/single_instance.h"

#include "app/signal_watcher.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A later copy waits this long for the copy that holds the lock to be named in it: the holder
// may have just taken the lock, or be about to end, when the later copy looks.
constexpr int answerWaitMs = 2000;
constexpr int retryPauseMs = 20;

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
    const QDir dir(folder.isEmpty() ? defaultFolder() : folder);
    lockPath_ = dir.filePath(stem + u".lock"_s);
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // The copy holding the lock may run for hours: only a lock whose process is gone is stale.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

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
    listen();
    if (lock_->tryLock(0))
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
        if (lock_->tryLock(0))
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
    if (lock_->tryLock(0))
        return true;
    qint64 pid = 0;
    QString host;
    QString application;
    lock_->getLockInfo(&pid, &host, &application);
    qWarning("The running copy (process %lld) does not answer", pid);
    return false;
}

void SingleInstance::listen()
{
    if (watcher_)
        return;
    watcher_ = new SignalWatcher({SIGUSR1}, this);
    connect(watcher_, &SignalWatcher::received, this, &SingleInstance::activationRequested);
}

bool SingleInstance::askRunningCopyToShow() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    // The lock names the process that holds it once the holder has written it.
    if (!lock_->getLockInfo(&pid, &host, &application) || pid <= 0 || pid == ::getpid())
        return false;
    return ::kill(static_cast<pid_t>(pid), SIGUSR1) == 0;
}
