// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/shown_child.h"

#include "records/record_reader.h"

#include <algorithm>

const Child* childWithId(const QList<Child>& children, qint64 id)
{
    const auto found = std::find_if(
        children.begin(), children.end(), [id](const Child& child) { return child.id == id; });
    return found == children.end() ? nullptr : &*found;
}

std::optional<qint64> childStillThere(
    const QList<Child>& children, qint64 wanted, std::optional<qint64> instead)
{
    if (childWithId(children, wanted))
        return wanted;
    if (instead && childWithId(children, *instead))
        return instead;
    if (children.isEmpty())
        return {};
    return children.first().id;
}

QString nameWhenSeveral(const QList<Child>& children, qint64 id, bool several)
{
    const Child* child = several ? childWithId(children, id) : nullptr;
    return child ? child->name : QString();
}

Kind kindPractised(const RecordReader& records, qint64 child, Kind wanted)
{
    const auto counts = records.countsByKind(child);
    if (!counts || (*counts)[std::size_t(kindNumber(wanted))] > 0)
        return wanted;
    const auto newest = records.sheets(SheetRange().ofChild(child).atMost(1));
    if (!newest || newest->isEmpty())
        return wanted;
    return newest->first().kind;
}
