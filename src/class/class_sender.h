// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"
#include "records/record_store.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>

class QThread;

// Sends the sheets waiting in the local store to the class server and reads
// the class roster, on a thread of its own with connections of its own, so
// that a slow or absent server never holds up the window. A sheet waits in
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
    // Reads the roster again, without waiting for it.
    void readRoster();

Q_SIGNALS:
    // Emitted from the sender's thread.
    void rosterRead(const QList<RosterChild>& roster);
    // After every try: how many sheets still wait.
    void sheetsWaiting(int sheets);
    // The server refused, or cannot be used as configured: not that it is
    // away, which is only waited out.
    void problem(ClassProblem problem, const QString& detail);

private:
    struct Worker;

    // Runs `work` on the sender's thread, after what was asked before.
    template <typename Work> void post(Work work);

    QThread* thread = nullptr;
    QObject* context = nullptr; // lives on the sender's thread
    std::unique_ptr<Worker> worker;
};
