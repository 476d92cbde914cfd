// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"
#include "drill/failure.h"
#include "records/record_store.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class ClassSender;

// The way to the class server as the practice sees it: sending what waits
// in the store and reading the roster, in the background. Its answers come
// as signals on the practice's thread.
class ClassLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Reads the roster and sends what waits, then again now and then; the
    // store is open by now.
    virtual void start() = 0;
    // Sends what waits now, without waiting for it.
    virtual void sendWaiting() = 0;

Q_SIGNALS:
    // The class roster as the server has it; empty when the server knows
    // no such class for this login.
    void rosterRead(const QList<RosterChild>& roster);
    // A try ended: the sheets waiting are to be counted again.
    void tried();
    // The server refused, cannot be used as configured, or kept sheets of
    // children off the roster on this machine.
    void failed(const Failure& failure);
};

// The link through the class connection's thread. Nothing of it runs, and
// no thread starts, before start().
class SenderLink final : public ClassLink
{
    Q_OBJECT

public:
    // `records` is the local store's file.
    SenderLink(ClassConfig config, QString records, QObject* parent = nullptr);
    ~SenderLink() override;

    void start() override;
    void sendWaiting() override;

private:
    ClassConfig config;
    QString records;
    std::unique_ptr<ClassSender> sender;
};
