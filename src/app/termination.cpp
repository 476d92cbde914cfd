// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/termination.h"

#include "app/signal_watcher.h"

#include <QCoreApplication>
#include <QGuiApplication>

Termination::Termination(QObject* parent)
    : QObject(parent)
    , watcher_(new SignalWatcher({SIGTERM, SIGHUP, SIGINT}, this))
{
    connect(watcher_, &SignalWatcher::received, this, &Termination::request);
    // The session manager asks every program to keep its data before the session ends; the
    // program then ends without asking the user anything.
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this, &Termination::request);
}

Termination::~Termination() = default;

void Termination::request()
{
    if (requested_)
        return;
    requested_ = true;
    watcher_->restore();
    Q_EMIT requested();
}
