// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_calendar.h"

#include "app/records_text.h"
#include "app/records_widgets.h"

#include <QBoxLayout>

using namespace Qt::StringLiterals;

CalendarPart::CalendarPart(RecordReader& store, std::function<QDate()> today, QWidget* parent)
    : RecordsPart(u"calendarPart"_s, u"れんしゅうした ひ"_s, parent)
    , store(store)
    , today(std::move(today))
{
    auto* calendarPart = new QWidget;
    auto* calendarLayout = new QVBoxLayout(calendarPart);
    calendarLayout->setContentsMargins(0, 0, 0, 0);
    calendar = new PracticeCalendar(calendarPart);
    calendar->setAccessibleName(u"れんしゅうした ひ"_s);
    calendarLayout->addWidget(calendar);
    calendarLayout->addStretch();
    setContents(calendarPart);
}

void CalendarPart::read(qint64 child)
{
    const QDate day = today();
    const auto practised = store.practiceDays(child, calendarStart(day), day);
    if (practised)
        calendar->setDays(day, *practised);
    showReadable(practised.has_value());
}
