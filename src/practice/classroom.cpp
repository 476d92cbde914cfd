// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/classroom.h"

#include "practice/class_link.h"
#include "practice/records_access.h"

#include <cstdio>
#include <utility>

using namespace Qt::StringLiterals;

Classroom::Classroom(ClassConfig config, ClassLink& link, RecordsAccess& records,
    std::function<QDateTime()> now, QObject* parent)
    : QObject(parent)
    , config_(std::move(config))
    , link(link)
    , records(records)
    , now(std::move(now))
{
    connect(&link, &ClassLink::rosterRead, this, &Classroom::takeRoster);
    // Counted again here: a count of the link's thread may predate a sheet
    // stored since, and would say too few wait.
    connect(&link, &ClassLink::tried, this, &Classroom::recount);
    connect(&link, &ClassLink::failed, this, &Classroom::fail);
}

void Classroom::storeOpened()
{
    if (started || !records.store())
        return;
    started = true;
    recount();
    link.start();
}

void Classroom::sheetStored()
{
    recount();
    link.sendWaiting();
}

void Classroom::recount()
{
    RecordStore* store = records.store();
    if (!store)
        return;
    // A count that cannot be read shows none: the records that cannot be
    // read are told when a sheet is to be kept in them.
    const Outcome<int> counted = store->waitingCount();
    const std::optional<int> sheets = counted ? std::optional(*counted) : std::nullopt;
    // A sheet that waits too long is shown on the board for whoever walks
    // by: the machine has not reached its class for a school day.
    QDateTime oldest;
    if (sheets.value_or(0) > 0)
        oldest = store->oldestWaiting().value_or(QDateTime());
    const QDateTime at = now ? now() : QDateTime::currentDateTime();
    if (oldest.isValid() && oldest.secsTo(at) <= LateAfterHours * 3600)
        oldest = QDateTime();
    if (sheets == waiting_ && oldest == late)
        return;
    waiting_ = sheets;
    late = oldest;
    Q_EMIT waitingChanged();
}

void Classroom::setAtRest(bool rest)
{
    atRest = rest;
    if (atRest && heldRoster)
        takeRoster(*std::exchange(heldRoster, std::nullopt));
}

void Classroom::takeRoster(const QList<RosterChild>& roster)
{
    // A class the server does not know, or not for this login, sends
    // nothing: that is told, and the roster kept from before stays.
    if (roster.isEmpty()) {
        fail({Failed::ClassUnknown, config_.className + u" ("_s + config_.login + u')'});
        return;
    }
    // The children change between sheets only: the child at the board
    // finishes as who they began, and the chooser comes after.
    if (!atRest) {
        heldRoster = roster;
        return;
    }
    // Read again every few minutes; mostly unchanged.
    RecordStore* store = records.store();
    if (roster == lastRoster || !store)
        return;
    if (const Done failed = store->keepRoster(config_.className, roster)) {
        fail({Failed::SheetNotKept, records.path(), failed->detail});
        return;
    }
    lastRoster = roster;
    Q_EMIT rosterKept();
    // Children linked just now may have sheets waiting for them.
    recount();
    link.sendWaiting();
}

void Classroom::fail(const Failure& failure)
{
    // Whoever keeps the server reads what failed on the standard error,
    // once a run for each way it failed.
    if (failure.what != Failed::SheetsRefused && !logged.contains(failure.what)) {
        logged.append(failure.what);
        std::fprintf(stderr, "%s\n", qPrintable(failureLog(failure)));
    }
    Q_EMIT failed(failure);
}
