// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class SignalWatcher;

// Turns the requests to end from outside the window into one signal: SIGTERM, SIGHUP and SIGINT
// (the system shutting down, the terminal closing, Ctrl+C) and the end of the desktop session
// (the commit-data request of the session manager). The window then keeps what must be kept
// without asking and ends.
//
// A signal that was ignored when the program started (nohup, a background job) stays ignored.
// After the first request the handlers are taken back, so a second SIGTERM or Ctrl+C ends a
// program that hangs while it winds up.
class Termination : public QObject
{
    Q_OBJECT

public:
    explicit Termination(QObject* parent = nullptr);
    ~Termination() override;

    bool isRequested() const { return requested_; }

Q_SIGNALS:
    // Emitted once, for the first request of any kind.
    void requested();

private:
    void request();

    SignalWatcher* watcher_ = nullptr;
    bool requested_ = false;
};
