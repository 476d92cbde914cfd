#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One copy of the program per user. The first copy holds a lock file and listens on a local
// socket beside it; a later copy finds the lock taken, asks the running copy through the socket
// to show itself, and is expected to end. Both files live in the user's runtime folder (the
// temporary folder where there is none) and carry the user's id in their names.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `name` is the program's short name ("varolin"); `folder` is where the lock and the socket
    // go, empty for the user's runtime folder.
    explicit SingleInstance(
        const QString& name, const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the one copy: it now listens for later copies. False when another copy
    // runs: it has been asked to show itself (or did not answer in time) and this copy should
    // end with status 0. Where no lock can be made at all (a folder that cannot be written),
    // this copy runs unguarded rather than not at all.
    bool claim();

Q_SIGNALS:
    // A later copy asked this one to show itself: raise and activate the window.
    void activationRequested();

private:
    // The user's runtime folder, or the temporary folder where there is none.
    static QString defaultFolder();
    bool takeLock();
    void listen();
    bool askRunningCopyToShow() const;
    void readRequest(QLocalSocket* socket);

    QString lockPath_;
    QString serverPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
