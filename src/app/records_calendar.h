// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_part.h"
#include "drill/kind.h"
#include "records/record_reader.h"

#include <functional>

class PracticeCalendar;

// On which days of the last eight weeks one child practised one kind: the
// weekly goal is a goal per kind, as the class view counts it.
class CalendarPart : public RecordsPart
{
    Q_OBJECT

public:
    CalendarPart(const RecordReader& store, std::function<QDate()> today, QWidget* parent);

    void read(qint64 child, Kind kind);

private:
    const RecordReader& store;
    std::function<QDate()> today;
    PracticeCalendar* calendar = nullptr;
};
