// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"
#include "drill/failure.h"
#include "records/record_store.h"

#include <QDateTime>
#include <QList>
#include <QObject>

#include <functional>
#include <optional>

class ClassLink;
class RecordsAccess;

// This machine's class: the sheets waiting for its server and how late the
// oldest is, and the roster the server gives, kept between sheets only.
class Classroom : public QObject
{
    Q_OBJECT

public:
    // A sheet that waits longer than a school day is shown on the board.
    static constexpr int LateAfterHours = 24;

    Classroom(ClassConfig config, ClassLink& link, RecordsAccess& records,
        std::function<QDateTime()> now, QObject* parent = nullptr);

    const ClassConfig& config() const { return config_; }
    // The sheets stored here that the server does not have yet; none while
    // the store cannot be read.
    std::optional<int> waiting() const { return waiting_; }
    // When the oldest sheet still waiting was finished, once it has waited
    // longer than LateAfterHours; invalid otherwise.
    QDateTime lateSince() const { return late; }

    // The store is open: the sheets waiting are counted and the link
    // started.
    void storeOpened();
    // A sheet was stored: counted, and sent while the child reads the
    // verdict.
    void sheetStored();
    // Counts the sheets waiting again (after clearing, say).
    void recount();
    // Whether the children may change now (between sheets): a roster that
    // comes otherwise waits, and is taken once they may.
    void setAtRest(bool atRest);

Q_SIGNALS:
    void waitingChanged();
    // A new roster was kept in the store: the children are to be read again.
    void rosterKept();
    void failed(const Failure& failure);

private:
    void takeRoster(const QList<RosterChild>& roster);
    void fail(const Failure& failure);

    ClassConfig config_;
    ClassLink& link;
    RecordsAccess& records;
    std::function<QDateTime()> now;
    bool started = false;
    bool atRest = true;
    std::optional<int> waiting_;
    QDateTime late;
    QList<RosterChild> lastRoster; // as the server gave it last
    std::optional<QList<RosterChild>> heldRoster;
    QList<Failed> logged;
};
