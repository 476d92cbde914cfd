// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_part.h"
#include "records/record_reader.h"

#include <functional>

class PracticeCalendar;

// On which days of the last eight weeks one child practised.
class CalendarPart : public RecordsPart
{
    Q_OBJECT

public:
    CalendarPart(RecordReader& store, std::function<QDate()> today, QWidget* parent);

    void read(qint64 child);

private:
    RecordReader& store;
    std::function<QDate()> today;
    PracticeCalendar* calendar = nullptr;
};
