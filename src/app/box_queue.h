// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>

#include <functional>

// Every box the window opens, one at a time and in the order things
// happened. A box waits until the stack has unwound (never inside a signal
// of the drill or the practice), until no other box or job of the window's
// is open, and until the board is at rest between steps.
class BoxQueue : public QObject
{
    Q_OBJECT

public:
    // `atRest` says whether the board is at rest between steps.
    explicit BoxQueue(std::function<bool()> atRest, QObject* parent = nullptr);

    // Opens `box` (or does `step`) after everything posted before it.
    void post(std::function<void()> box);
    // Runs `work`, which asks the user something or prints, now: no posted
    // box opens meanwhile, whatever events it lets through.
    template <typename Work> decltype(auto) hold(Work work)
    {
        ++open;
        struct Release
        {
            BoxQueue& queue;
            ~Release() { queue.closed(); }
        } release{*this};
        return work();
    }
    // The board came to rest: what waits may open.
    void wake();
    // Opens everything posted, now, at rest or not: the program is ending.
    void flush();
    // Nothing open and nothing waiting.
    bool idle() const { return open == 0 && waiting.isEmpty(); }

private:
    void closed();
    void next();

    std::function<bool()> atRest;
    QList<std::function<void()>> waiting;
    int open = 0;
    bool scheduled = false;
};
