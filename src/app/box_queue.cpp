// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/box_queue.h"

#include <QTimer>

#include <utility>

BoxQueue::BoxQueue(std::function<bool()> atRest, QObject* parent)
    : QObject(parent)
    , atRest(std::move(atRest))
{ }

void BoxQueue::post(std::function<void()> box)
{
    waiting.append(std::move(box));
    wake();
}

void BoxQueue::wake()
{
    if (scheduled || waiting.isEmpty())
        return;
    scheduled = true;
    QTimer::singleShot(0, this, [this] {
        scheduled = false;
        next();
    });
}

void BoxQueue::next()
{
    if (open > 0 || waiting.isEmpty() || !atRest())
        return;
    hold(waiting.takeFirst());
}

void BoxQueue::closed()
{
    --open;
    if (open == 0)
        wake();
}

void BoxQueue::flush()
{
    while (!waiting.isEmpty())
        hold(waiting.takeFirst());
}
