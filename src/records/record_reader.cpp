// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/record_reader.h"

#include <QSqlQuery>

std::pair<int, int> kindCountOf(const QSqlQuery& row)
{
    return {row.value(0).toInt(), row.value(1).toInt()};
}

std::array<int, 4> countsInKindOrder(const QList<std::pair<int, int>>& rows)
{
    std::array<int, 4> byKind{};
    for (const auto& [kind, count] : rows)
        byKind[kindNumber(kindFromNumber(kind))] += count;
    return byKind;
}

FactStat factOf(const QSqlQuery& row)
{
    return {row.value(0).toInt(), row.value(1).toInt(), row.value(2).toInt(), row.value(3).toInt(),
        row.value(4).toDouble(), row.value(5).toInt()};
}
