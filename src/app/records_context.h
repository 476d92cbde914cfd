// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/record_store.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

class ChildrenCommands;
class Practice;
class RecordReader;
class RecordsView;

// Whose records the records window shows and what it reads them from, read
// only: this machine's children with the store the practice keeps, or one
// child of a class with their sheets copied from the server. Whatever the
// window's commands change, whoever opened it changes, and this tells the
// window through its signals.
class RecordsContext : public QObject
{
    Q_OBJECT

public:
    // The sheets the window reads.
    virtual const RecordReader& records() const = 0;
    // The children whose records the window may show, in their order.
    virtual QList<Child> children() const = 0;
    // The child the window shows first, and instead of a child no longer
    // among children().
    virtual qint64 childAtBoard() const = 0;
    // Whether the child shown is one of several: the questions and the file
    // names then name them.
    virtual bool severalChildren() const = 0;
    // Whether the records hold other children's sheets as well: the CSV
    // then asks whose to write.
    virtual bool holdsOthers() const { return false; }
    // Whether `child` may be removed, their sheets with them.
    virtual bool removable(qint64 /*child*/) const { return false; }
    // Whether the sheets go to a class server, and how many wait for it
    // (unknown while the store cannot be read).
    virtual bool sendsToClass() const { return false; }
    virtual std::optional<int> sheetsWaiting() const { return {}; }

Q_SIGNALS:
    // Renamed, added or removed.
    void childrenChanged();
    void sheetsWaitingChanged();
};

// The children of this machine and the store of `practice`, which must have
// its records open and outlive the context.
std::unique_ptr<RecordsContext> machineRecords(const Practice& practice);
// What the commands of `view`, a window on machineRecords(practice), do:
// `practice` clears the records and, while the roster is this machine's,
// takes children added and renamed; `children` asks the questions. Both
// must outlive the view.
void handMachineCommands(RecordsView& view, Practice& practice, ChildrenCommands& children);
// One child of a class, `child`, whose sheets are `sheets` alone.
std::unique_ptr<RecordsContext> classChildRecords(
    std::unique_ptr<RecordReader> sheets, const Child& child);
