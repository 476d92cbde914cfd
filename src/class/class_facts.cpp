// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_facts.h"

#include "class/class_connection.h"
#include "records/record_schema.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <map>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// Each child's newest sheets of a kind, their packed cells read out as
// knownOver() takes them. Binds the kind, the number of sheets and the
// class's name; row-level security shows a teacher their own classes only.
QString knownOnServer()
{
    const auto byte
        = [](int n) { return u"get_byte(r.cells, %1 * i + %2)"_s.arg(CellBytes).arg(n); };
    return knownOver(
        u" recent_sheets AS (SELECT c.id AS owner_id, recent.sheet_rank, recent.cells"
        u"  FROM varolin.children c CROSS JOIN LATERAL (SELECT s.cells,"
        u"   row_number() OVER (ORDER BY s.finished_at DESC, s.uuid DESC) AS sheet_rank"
        u"   FROM varolin.sheets s WHERE s.child_id = c.id AND s.kind = ?"
        u"   ORDER BY s.finished_at DESC, s.uuid DESC LIMIT ?) recent"
        u"  WHERE c.class_id = (SELECT id FROM varolin.classes WHERE name = ?)),"
        u" answered(owner_id, sheet_rank, slot, left_operand, top_operand, milliseconds,"
        u"  wrong_digits) AS (SELECT r.owner_id, r.sheet_rank, i, "_s
        + byte(1) + u", "_s + byte(2) + u", "_s + byte(4) + u" * 65536 + "_s + byte(5)
        + u" * 256 + "_s + byte(6) + u", "_s + byte(7)
        + u" FROM recent_sheets r CROSS JOIN LATERAL generate_series(0, length(r.cells) / "_s
        + QString::number(CellBytes) + u" - 1) AS i)"_s);
}

} // namespace

std::optional<int> ClassFacts::knownOf(qint64 child) const
{
    const auto found = std::find_if(children.begin(), children.end(),
        [child](const ChildKnown& each) { return each.child == child; });
    if (found == children.end())
        return {};
    return found->known;
}

QList<FactOperands> ClassFacts::leastKnown(int count) const
{
    if (children.isEmpty())
        return {};
    std::vector<int> places(std::size_t(layout.count()));
    std::iota(places.begin(), places.end(), 0);
    std::stable_sort(places.begin(), places.end(), [this](int a, int b) {
        if (knownBy[std::size_t(a)] != knownBy[std::size_t(b)])
            return knownBy[std::size_t(a)] < knownBy[std::size_t(b)];
        return slowBy[std::size_t(a)] > slowBy[std::size_t(b)];
    });
    QList<FactOperands> least;
    for (int place : places) {
        if (least.size() >= count)
            break;
        least.append(layout.fact(place / layout.size, place % layout.size));
    }
    return least;
}

ClassFacts classFactsOf(Kind kind, const QList<KnownRow>& rows)
{
    ClassFacts facts;
    facts.layout = factGrid(kind);
    std::map<qint64, int> known;
    for (const KnownRow& row : rows) {
        const std::optional<int> place = facts.layout.place(row.fact);
        if (!place)
            continue;
        int& count = known[row.owner];
        if (row.state == FactState::Known) {
            ++count;
            ++facts.knownBy[std::size_t(*place)];
        } else if (row.state == FactState::Slow) {
            ++facts.slowBy[std::size_t(*place)];
        }
    }
    for (const auto& [child, count] : known)
        facts.children.append({child, count});
    return facts;
}

QFuture<Outcome<ClassFacts>> classFacts(ClassConnection& connection, Kind kind)
{
    const QString className = connection.config().className;
    const QString server = connection.config().server;
    return connection.ask(
        [className, server, kind](ClassConnection::Link& link) -> Outcome<ClassFacts> {
            auto query = link.run(knownOnServer(), {kindNumber(kind), KnownOverSheets, className});
            if (!query)
                return query.failure();
            QList<KnownRow> rows;
            while (query->next())
                rows.append(knownRowOf(*query));
            if (Done failed = link.rowsFailed(*query))
                return *std::move(failed);
            // No child answered: the class may be one this login cannot see.
            if (rows.isEmpty()) {
                auto classes = link.run(
                    u"SELECT count(*) FROM varolin.classes WHERE name = ?"_s, {className});
                if (!classes)
                    return classes.failure();
                if (!classes->next()) {
                    if (Done failed = link.rowsFailed(*classes))
                        return *std::move(failed);
                    return Failure{Failed::ServerFailed, server, u"no count of classes"_s};
                }
                if (classes->value(0).toInt() == 0)
                    return Failure{Failed::ClassUnknown, server, u"no class %1"_s.arg(className)};
            }
            return Outcome<ClassFacts>(classFactsOf(kind, rows));
        });
}
