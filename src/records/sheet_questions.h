// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/record_store.h"

class QSqlDatabase;

// The questions the records window asks of one child's sheets, in SQL over
// the tables of the records database: the store asks them of its file, and a
// copy of a child's sheets held in memory asks them of its own tables, so
// that both answer alike. Each answers nothing when the database could not
// be read, never an empty list in its place.
class SheetQuestions
{
public:
    // `database` is read at each question, so it may be opened, closed and
    // opened again meanwhile; it must outlive this.
    explicit SheetQuestions(const QSqlDatabase& database);

    Outcome<QList<StoredSheet>> sheets(const SheetRange& range) const;
    Outcome<QList<DayBest>> dailyBest(qint64 child, Kind kind, const QDate& from) const;
    Outcome<QList<QDate>> practiceDays(qint64 child, const QDate& from, const QDate& to) const;
    Outcome<QList<FactStat>> facts(qint64 child, Kind kind, int lastSheets) const;
    Outcome<std::array<int, 4>> countsByKind(qint64 child) const;
    // Each fact's state among the child's newest sheets of the kind finished
    // by `upTo` (every sheet when null).
    Outcome<KnownFacts> knownFacts(qint64 child, Kind kind, const QDate& upTo) const;
    // The facts known at the end of each of `weeks` weeks from the week of
    // `from`, by the day each sheet was kept on.
    Outcome<QList<WeekKnown>> knownByWeek(
        qint64 child, Kind kind, const QDate& from, int weeks) const;

private:
    const QSqlDatabase& database;
};

// "2026-12-07T19:30:05+09:00": a sheet's local time and the offset it had, as
// the sheets table keeps it, so the day a sheet belongs to never changes
// afterwards.
QString isoWithOffset(const QDateTime& time);
// "2026-12-07": the day as the sheets table keeps it.
QString dayColumn(const QDate& day);
