// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class SignalWatcher;

// Turns the requests to end from outside the window into one signal: SIGTERM, SIGHUP and SIGINT
// (the system shutting down, the terminal closing, Ctrl+C) and the desktop session's quit. The
// window then keeps what must be kept without asking and ends.
//
// A logout first asks every program to keep its data (the session manager's commit-data
// request): that is told apart, since the user may still cancel the logout, and the program
// then goes on as it was.
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

Q_SIGNALS:
    // Emitted once, for the first request of any kind.
    void requested();
    // The session is about to end: keep what must be kept, ask nothing, and go on running.
    void keepRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void request();

    SignalWatcher* watcher_ = nullptr;
    bool requested_ = false;
};
