// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/record_reader.h"

#include <QSqlQuery>

#include <algorithm>

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

KnownRow knownRowOf(const QSqlQuery& row)
{
    const int state = std::clamp(row.value(3).toInt(), 0, int(FactState::Known));
    return {
        row.value(0).toLongLong(), {row.value(1).toInt(), row.value(2).toInt()}, FactState(state)};
}

QList<KnownFacts> knownPerOwner(Kind kind, const QList<KnownRow>& rows, int owners)
{
    QList<KnownFacts> known(std::max(owners, 0), KnownFacts(kind));
    for (const KnownRow& row : rows) {
        if (row.owner >= 0 && row.owner < known.size())
            known[row.owner].set(row.fact, row.state);
    }
    return known;
}
