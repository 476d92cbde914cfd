// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <csignal>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

// POSIX signals delivered to the event loop. The handler only writes a byte
// into a socket pair; the event loop reads it and emits received(). Signals
// that arrive together may come as one. A signal that was ignored when the
// program started (nohup, a background job) stays ignored.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(std::initializer_list<int> numbers, QObject* parent = nullptr);
    ~SignalWatcher() override;

    // Gives the signals back to the handlers they had before.
    void restore();

Q_SIGNALS:
    void received();

private:
    struct Watched
    {
        int number;
        struct sigaction previous;
    };

    int sockets[2] = {-1, -1};
    QSocketNotifier* notifier = nullptr;
    std::vector<Watched> watched;
};
