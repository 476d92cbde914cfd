// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/record_store.h"

#include <memory>
#include <utility>

class QSqlQuery;

// What the records window asks of the sheets it shows, reading only: the
// machine's own store, or one child's sheets on the class server. Every question answers
// its failure when the sheets could not be read, never an empty list in its
// place.
class RecordReader
{
public:
    virtual ~RecordReader() = default;

    // The sheets `range` asks for, newest first.
    virtual Outcome<QList<StoredSheet>> sheets(const SheetRange& range) const = 0;
    // One entry per day with sheets of `kind`, from `from` on (every day when
    // it is null), oldest first.
    virtual Outcome<QList<DayBest>> dailyBest(
        qint64 child, Kind kind, const QDate& from = {}) const = 0;
    // The days from `from` to `to` (both included) with a sheet of any kind.
    virtual Outcome<QList<QDate>> practiceDays(
        qint64 child, const QDate& from, const QDate& to) const = 0;
    // Every fact met in the newest `lastSheets` sheets of `kind`.
    virtual Outcome<QList<FactStat>> facts(qint64 child, Kind kind, int lastSheets) const = 0;
    // Which facts of `kind` are known by heart, by the newest sheets done by
    // the end of `upTo` (of all when it is null).
    virtual Outcome<KnownFacts> knownFacts(
        qint64 child, Kind kind, const QDate& upTo = {}) const = 0;
    // How many were known at the end of each of `weeks` weeks from the week
    // of `from` on, oldest first.
    virtual Outcome<QList<WeekKnown>> knownByWeek(
        qint64 child, Kind kind, const QDate& from, int weeks) const = 0;
    // The number of sheets of each kind, in kind order.
    virtual Outcome<std::array<int, 4>> countsByKind(qint64 child) const = 0;
    // Whether the sheets can be read at all: asked before a file is chosen.
    virtual bool readable() const = 0;
    // The sheets of `child` (of every child when empty) as CSV, written to
    // `path` in one replacement of the file; the failure, and no file, when
    // they could not be read or written.
    [[nodiscard]] virtual Done writeCsv(const QString& path, std::optional<qint64> child) const = 0;
};

// The machine's own store through the same questions.
std::unique_ptr<RecordReader> localRecords(const RecordStore& store);

// The rows of "SELECT kind, count(*) ... GROUP BY kind", as both stores ask
// it, and their counts in kind order.
std::pair<int, int> kindCountOf(const QSqlQuery& row);
std::array<int, 4> countsInKindOrder(const QList<std::pair<int, int>>& rows);
// A row of the weak facts' query, as both stores ask it (factsOver()).
FactStat factOf(const QSqlQuery& row);

// A row of the known facts' query (knownOver()): the owner, the fact and its
// state.
struct KnownRow
{
    qint64 owner = 0;
    FactOperands fact;
    FactState state = FactState::NotMet;
};
KnownRow knownRowOf(const QSqlQuery& row);
// The facts of `kind` of owners 0 to owners - 1 from such rows; a row of
// another owner is left out.
QList<KnownFacts> knownPerOwner(Kind kind, const QList<KnownRow>& rows, int owners);
