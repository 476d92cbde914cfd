// SPDX-License-Identifier: GPL-3.0-or-later
#include "scores/time_text.h"

using namespace Qt::StringLiterals;

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString minutesText(int seconds)
{
    return QString::number(seconds / 60) + u"分"_s + twoDigits(seconds % 60) + u"秒"_s;
}

QString shortText(int seconds)
{
    return seconds < 60 ? twoDigits(seconds) + u"秒"_s : minutesText(seconds);
}

QString clockText(int seconds)
{
    return QString::number(seconds / 60) + u':' + twoDigits(seconds % 60);
}
