// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/month_records.h"

#include "records/record_reader.h"

#include <algorithm>

Outcome<MonthRecords> monthRecords(const RecordReader& records, qint64 child, const QDate& day)
{
    MonthRecords month;
    month.month = QDate(day.year(), day.month(), 1);
    const QDate last = month.month.addMonths(1).addDays(-1);
    Kind most = Kind::Addition;
    qsizetype mostDays = 0;
    for (Kind kind : AllKinds) {
        const auto bests = records.dailyBest(child, kind, month.month);
        if (!bests)
            return bests.failure();
        KindMonth practised{kind, 0, {}};
        for (const DayBest& best : *bests) {
            if (best.day > last)
                break;
            practised.best
                = practised.days.isEmpty() ? best.seconds : std::min(practised.best, best.seconds);
            practised.days.append(best);
        }
        if (practised.days.isEmpty())
            continue;
        if (practised.days.size() > mostDays) {
            most = kind;
            mostDays = practised.days.size();
        }
        month.kinds.append(practised);
    }
    const auto days = records.practiceDays(child, month.month, last);
    const auto facts = records.knownFacts(child, most, last);
    if (!days)
        return days.failure();
    if (!facts)
        return facts.failure();
    month.practised = *days;
    month.facts = *facts;
    return month;
}
