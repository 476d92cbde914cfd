// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"
#include "class/class_connection.h"
#include "records/record_store.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

class Outbox;

// Reads the roster of `className` through `link`, in the order of the
// children's numbers, or why it could not be read. An empty roster is a
// class the login does not see or that has no child. A server of a layout
// without numbers numbers each class's children in the order they were
// added.
[[nodiscard]] Outcome<QList<RosterChild>> readClassRoster(
    ClassConnection::Link& link, const QString& className);

// What one pass over the outbox did.
struct SendRound
{
    int sent = 0;
    // Sheets refused for good this pass: kept, out of the queue.
    int refused = 0;
    // What stopped a sheet other than its child being off the roster, for
    // the user; nothing when nothing did.
    Done failure;
    // The connection went (or the server is away): the pass stopped there.
    bool lost = false;
};

// Sends every sheet waiting in `outbox`, oldest first, through `link`
// (connected), until `stopping`. A sheet the server will not take holds up none after
// it: it is tried again next time, unless a roster read on the spot shows
// that the class has children and the sheet's child is none of them; then
// it stays on the machine, refused, until a roster lists its child again.
// Nothing here reads a message's words: the SQLSTATE and that second
// question decide.
[[nodiscard]] SendRound sendOutbox(ClassConnection::Link& link, Outbox& outbox,
    const QString& className, const std::atomic<bool>& stopping);

// Sends the sheets waiting in the local store to the class server and reads
// the class roster through the class connection, on its thread, with an
// outbox connection of its own there, so that a slow or absent server never
// holds up the window. A sheet waits in
// the store until the server has it; the server keeps a sheet sent twice
// once. When the server cannot be reached the sheets simply wait for the
// next try.
class ClassSender : public QObject
{
    Q_OBJECT

public:
    // How often the waiting sheets are tried again while the program runs.
    static constexpr std::chrono::minutes RetryEvery{3};

    // `records` is the local store's file, opened by the program already.
    ClassSender(ClassConfig config, QString records, QObject* parent = nullptr);
    // Stops the thread once it has finished what it is doing: at most the
    // sheet being sent, or a connection's timeout.
    ~ClassSender() override;

    // Starts the thread, which reads the roster and sends what waits, then
    // tries again every RetryEvery.
    void start();
    // Sends what waits now, without waiting for it.
    void sendWaiting();

Q_SIGNALS:
    // Emitted from the sender's thread.
    void rosterRead(const QList<RosterChild>& roster);
    // After every try: how many sheets still wait.
    void sheetsWaiting(int sheets);
    // The server refused, or cannot be used as configured, or the records
    // cannot be read for sending: not that the server is away, which is
    // only waited out.
    void problem(const Failure& failure);
    // `sheets` sheets whose child is off the class roster were kept on the
    // machine (SheetsRefused, naming them for the administrator).
    void sheetsRefused(int sheets, const Failure& failure);

private:
    struct Worker;

    // Runs `work` on the connection's thread, after what was asked before.
    template <typename Work> void post(Work work);

    std::unique_ptr<Worker> worker;
    // Declared last: its thread ends before the worker goes.
    std::unique_ptr<ClassConnection> connection;
    bool started = false;
};
