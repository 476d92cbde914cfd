// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/sheet_filing.h"

#include "practice/records_access.h"
#include "practice/settings_keeper.h"
#include "records/record_store.h"

#include <utility>

int bestTimeOf(const Child& child, Kind kind)
{
    // With none yet a sheet must beat the time the files keep for none, as
    // it always had to, and the board shows that time.
    return child.bestTimes.of(kind).value_or(Settings::DefaultSeconds);
}

SheetFiling::SheetFiling(
    SettingsKeeper& settings, RecordsAccess& records, std::function<QDateTime()> now)
    : settings(settings)
    , records(records)
    , now(std::move(now))
{ }

SheetFiling::Filed SheetFiling::file(const FinishedSheet& sheet, const Child& child, bool toClass)
{
    const Kind kind = sheet.kind();
    Filed filed;
    filed.message = resultMessage(kind, sheet.seconds, bestTimeOf(child, kind));
    filed.bestTimes = child.bestTimes;
    const bool record = filed.message.verdict == Verdict::Record;
    if (record) {
        Child faster = child;
        faster.bestTimes.set(kind, sheet.seconds);
        faster.kind = kind;
        filed.bestTimes = faster.bestTimes;
        if (const Done failed = keep(faster))
            filed.failures.append(*failed);
    }

    FinishedSheet kept = sheet;
    kept.finishedAt = now ? now() : QDateTime::currentDateTime();
    kept.record = record;
    // A store that could not be opened is tried again.
    RecordStore* store = records.open(filed.failures);
    // With a class, the sheet waits in the store until the server has it;
    // a child who has no roster child yet keeps it waiting for the class.
    const auto send = toClass ? RecordStore::Send::ToClass : RecordStore::Send::No;
    const Done added = store ? store->add(kept, child.id, send)
                             : Done(Failure{Failed::SheetNotKept, records.path()});
    filed.stored = !added;
    if (added) {
        ++notKept_;
        filed.failures.append({Failed::SheetNotKept, records.path(), added->detail});
    }
    return filed;
}

Done SheetFiling::keep(const Child& child)
{
    if (child.id == RecordStore::FirstChild)
        return settings.save(child);
    RecordStore* store = records.store();
    if (!store)
        return Failure{Failed::SheetNotKept, records.path()};
    return store->setChildBests(child.id, child.bestTimes, child.kind);
}
