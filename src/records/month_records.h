// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/known_facts.h"
#include "records/record_store.h"

#include <QDate>
#include <QList>

#include <optional>

class RecordReader;

// One kind practised in a month: its best time then and each day's best.
struct KindMonth
{
    Kind kind = Kind::Addition;
    int best = 0; // seconds
    QList<DayBest> days; // oldest first
};

// One child's month as their monthly report tells it.
struct MonthRecords
{
    QDate month; // its first day
    QList<KindMonth> kinds; // the kinds practised in the month, in kind order
    QList<QDate> practised; // the days with a sheet of any kind
    // The facts of the kind practised on the most days (the first kind on
    // a tie, addition in a month without sheets), as they stood at the
    // month's end.
    KnownFacts facts;
};

// `child`'s month of `day` from `records`; nothing when they could not be
// read.
Outcome<MonthRecords> monthRecords(const RecordReader& records, qint64 child, const QDate& day);
