// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/class_link.h"

#include "class/class_sender.h"

#include <cstdio>
#include <utility>

SenderLink::SenderLink(ClassConfig config, QString records, QObject* parent)
    : ClassLink(parent)
    , config(std::move(config))
    , records(std::move(records))
{ }

SenderLink::~SenderLink() = default;

void SenderLink::start()
{
    if (sender)
        return;
    sender = std::make_unique<ClassSender>(config, records);
    connect(sender.get(), &ClassSender::rosterRead, this, &ClassLink::rosterRead);
    connect(sender.get(), &ClassSender::sheetsWaiting, this, &ClassLink::tried);
    connect(sender.get(), &ClassSender::problem, this, &ClassLink::failed);
    connect(sender.get(), &ClassSender::sheetsRefused, this, [this](int, const Failure& failure) {
        // Each try says so again for whoever keeps the server; the child
        // is told once a run.
        std::fprintf(stderr, "%s\n", qPrintable(failureLog(failure)));
        Q_EMIT failed(failure);
    });
    sender->start();
}

void SenderLink::sendWaiting()
{
    if (sender)
        sender->sendWaiting();
}
