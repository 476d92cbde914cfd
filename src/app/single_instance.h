// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLockFile;
class SignalWatcher;

// One copy of the program per user. The first copy holds a lock file that
// names its process; a later copy finds the lock taken, sends the running
// copy SIGUSR1 to ask it to show itself, and is expected to end. The lock
// lives in the user's runtime folder (the temporary folder where there is
// none) and carries the user's id in its name. No session bus and no socket
// library are needed, so start-up stays light.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `name` is the program's short name ("varolin"); `folder` is where the
    // lock goes, empty for the user's runtime folder.
    explicit SingleInstance(
        const QString& name, const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the one copy: it now answers later copies. False when
    // another copy runs: it has been asked to show itself (or did not answer
    // in time) and this copy should end with status 0. Where no lock can be
    // made at all (a folder that cannot be written), this copy runs unguarded
    // rather than not at all.
    bool claim();

Q_SIGNALS:
    // A later copy asked this one to show itself: raise and activate the window.
    void activationRequested();

private:
    // The user's runtime folder, or the temporary folder where there is none.
    static QString defaultFolder();
    // Answers SIGUSR1 from now on; done before the lock is taken, so that no
    // copy ever holds the lock without answering.
    void listen();
    bool askRunningCopyToShow() const;

    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    SignalWatcher* watcher_ = nullptr;
};
