// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/termination.h"

#include "app/signal_watcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>

Termination::Termination(QObject* parent)
    : QObject(parent)
    , watcher_(new SignalWatcher({SIGTERM, SIGHUP, SIGINT}, this))
{
    connect(watcher_, &SignalWatcher::received, this, &Termination::request);
    // Qt's rule for the commit-data request: keep the data, neither quit nor ask. The session
    // ends the program afterwards with a quit, which closes every window: that is the request
    // to end, so that the closing asks no question either.
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(
            application, &QGuiApplication::commitDataRequest, this, &Termination::keepRequested);
    QCoreApplication::instance()->installEventFilter(this);
}

Termination::~Termination() = default;

bool Termination::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance())
        request();
    return QObject::eventFilter(watched, event);
}

void Termination::request()
{
    if (requested_)
        return;
    requested_ = true;
    watcher_->restore();
    Q_EMIT requested();
}
