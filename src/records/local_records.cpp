// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/record_reader.h"

namespace {

class LocalRecords final : public RecordReader
{
public:
    explicit LocalRecords(const RecordStore& store)
        : store(store)
    { }

    Outcome<QList<StoredSheet>> sheets(const SheetRange& range) const override
    {
        return store.sheets(range);
    }
    Outcome<QList<DayBest>> dailyBest(qint64 child, Kind kind, const QDate& from) const override
    {
        return store.dailyBest(child, kind, from);
    }
    Outcome<QList<QDate>> practiceDays(
        qint64 child, const QDate& from, const QDate& to) const override
    {
        return store.practiceDays(child, from, to);
    }
    Outcome<QList<FactStat>> facts(qint64 child, Kind kind, int lastSheets) const override
    {
        return store.facts(child, kind, lastSheets);
    }
    Outcome<KnownFacts> knownFacts(qint64 child, Kind kind, const QDate& upTo) const override
    {
        return store.knownFacts(child, kind, upTo);
    }
    Outcome<QList<WeekKnown>> knownByWeek(
        qint64 child, Kind kind, const QDate& from, int weeks) const override
    {
        return store.knownByWeek(child, kind, from, weeks);
    }
    Outcome<std::array<int, 4>> countsByKind(qint64 child) const override
    {
        return store.countsByKind(child);
    }
    bool readable() const override { return store.count().has_value(); }
    Done writeCsv(const QString& path, std::optional<qint64> child) const override
    {
        return store.writeCsv(path, child);
    }

private:
    const RecordStore& store;
};

} // namespace

std::unique_ptr<RecordReader> localRecords(const RecordStore& store)
{
    return std::make_unique<LocalRecords>(store);
}
