// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/date_text.h"

#include <QDate>

using namespace Qt::StringLiterals;

QString yearText(const QDate& date)
{
    return QString::number(date.year()) + u"年"_s;
}

QString dayText(const QDate& date)
{
    // QDate counts Monday as 1 and Sunday as 7.
    static const QString weekdays = u"月火水木金土日"_s;
    return QString::number(date.month()) + u"月"_s + QString::number(date.day()) + u"日("_s
        + weekdays.at(date.dayOfWeek() - 1) + u')';
}
