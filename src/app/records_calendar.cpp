// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_calendar.h"

#include "app/records_text.h"
#include "app/records_widgets.h"
#include "drill/kind_text.h"

#include <QBoxLayout>

using namespace Qt::StringLiterals;

CalendarPart::CalendarPart(const RecordReader& store, std::function<QDate()> today, QWidget* parent)
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

void CalendarPart::read(qint64 child, Kind kind)
{
    const QDate day = today();
    // A day of the kind is a day with a best of that kind.
    const auto bests = store.dailyBest(child, kind, calendarStart(day));
    if (bests) {
        QList<QDate> practised;
        for (const DayBest& best : *bests) {
            if (best.day <= day)
                practised.append(best.day);
        }
        calendar->setDays(day, practised);
    }
    setTitle(u"れんしゅうした ひ（"_s + kindName(kind) + u"）"_s);
    showReadable(bests.has_value());
}
