// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/record_reader.h"
#include "records/record_schema.h"

#include <memory>

// A sheet as a store keeps it, its operands and cells still packed.
struct KeptSheet
{
    QDateTime finishedAt; // local time with the offset it was kept with
    Kind kind = Kind::Addition;
    int seconds = 0;
    int wrongDigits = 0;
    bool record = false;
    PackedSheet packed;
};

// One child's sheets copied from elsewhere (the class server) into a records
// database of their own, in memory: the records window asks them what it
// asks this machine's store, answered by the same SQL over the same tables,
// and never waits for where they came from. The database holds those tables
// and the sheets, and nothing of a store's file: no checks, no versions.
// Whatever child a question names, it is the copy's one child. Used on the
// thread that made it.
class HeldRecords final : public RecordReader
{
public:
    // `sheets` in the order they were done. `name` is the child's: every
    // line of the CSV names them.
    HeldRecords(const QList<KeptSheet>& sheets, const QString& name);
    ~HeldRecords() override;
    HeldRecords(const HeldRecords&) = delete;
    HeldRecords& operator=(const HeldRecords&) = delete;

    Outcome<QList<StoredSheet>> sheets(const SheetRange& range) const override;
    Outcome<QList<DayBest>> dailyBest(
        qint64 child, Kind kind, const QDate& from = {}) const override;
    Outcome<QList<QDate>> practiceDays(
        qint64 child, const QDate& from, const QDate& to) const override;
    Outcome<QList<FactStat>> facts(qint64 child, Kind kind, int lastSheets) const override;
    Outcome<std::array<int, 4>> countsByKind(qint64 child) const override;
    Outcome<KnownFacts> knownFacts(qint64 child, Kind kind, const QDate& upTo = {}) const override;
    Outcome<QList<WeekKnown>> knownByWeek(
        qint64 child, Kind kind, const QDate& from, int weeks) const override;
    // False when the copy could not be made: then every question answers
    // nothing.
    bool readable() const override;
    Done writeCsv(const QString& path, std::optional<qint64> child) const override;

    // The sheets were erased where they came from: the copy forgets them.
    void forget();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
