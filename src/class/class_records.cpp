// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_records.h"

#include "records/csv_text.h"
#include "records/record_schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTimeZone>
#include <QVariant>

#include <atomic>
#include <tuple>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

using Link = ClassConnection::Link;

// The instant a sheet ended, read as milliseconds since the epoch (rounded
// down, so that a sheet's own instant is never before the one read back),
// with the machine's offset from UTC then: the local time it was kept with.
// A sheet stored before the server kept only what a drill makes may end at
// infinity: it is read as the nearest instant a date holds, so that one such
// sheet never makes a whole read fail.
const QString FinishedColumns
    = u"floor(extract(epoch FROM least(greatest(s.finished_at, timestamptz '0001-01-01 00:00+00'), "
      u"timestamptz '9999-12-31 00:00+00')) * 1000)::bigint, s.utc_offset"_s;

QDateTime finishedAt(const QSqlQuery& query, int column)
{
    return QDateTime::fromMSecsSinceEpoch(query.value(column).toLongLong(), QTimeZone::utc())
        .toOffsetFromUtc(query.value(column + 1).toInt() * 60);
}

// The facts of the packed cells of the sheets `recent` lists (a query giving
// the columns `owner_id`, `sheet_rank` and `cells`), by the rule a machine's
// store reads its facts with.
QString classFactsQuery(const QString& recent)
{
    const auto byte
        = [](int n) { return u"get_byte(r.cells, %1 * i + %2)"_s.arg(CellBytes).arg(n); };
    return factsOver(u" recent_sheets AS ("_s + recent
        + u"), answered(owner_id, sheet_rank, slot, left_operand, top_operand, milliseconds,"
          u" wrong_digits) AS (SELECT r.owner_id, r.sheet_rank, i, "_s
        + byte(1) + u", "_s + byte(2) + u", "_s + byte(4) + u" * 65536 + "_s + byte(5)
        + u" * 256 + "_s + byte(6) + u", "_s + byte(7)
        + u" FROM recent_sheets r CROSS JOIN LATERAL generate_series(0, length(r.cells) / "_s
        + QString::number(CellBytes) + u" - 1) AS i)"_s);
}

// The roster's unique rules: the number within the class, and on a server
// of the layout before numbers, the name.
bool taken(const QString& state)
{
    return state == u"23505"_s;
}

// A child's number as the server of `layout` has it: before numbers, the
// place in the order the class's children were added.
QString numberColumn(int layout, const QString& table = u"c"_s)
{
    return layout >= 3
        ? table + u".number"_s
        : u"row_number() OVER (PARTITION BY %1.class_id ORDER BY %1.id)"_s.arg(table);
}

} // namespace

std::optional<int> KindStanding::latest() const
{
    if (lastTen.isEmpty())
        return {};
    return lastTen.last();
}

std::optional<double> KindStanding::trend() const
{
    const qsizetype half = lastTen.size() / 2;
    if (half == 0)
        return {};
    double older = 0;
    double newer = 0;
    for (qsizetype i = 0; i < half; ++i) {
        older += lastTen[i];
        newer += lastTen[lastTen.size() - 1 - i];
    }
    return (newer - older) / double(half);
}

BestTimes ClassChild::bestTimes() const
{
    BestTimes times;
    for (const Kind kind : AllKinds) {
        if (const std::optional<int> best = kinds[std::size_t(kindNumber(kind))].best)
            times.set(kind, *best);
    }
    return times;
}

std::array<int, 4> daysPerWeek(const QList<QDate>& practised, const QDate& today)
{
    std::array<int, 4> days{};
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    for (const QDate& day : practised) {
        if (day > today || day < monday.addDays(-21))
            continue;
        const QDate itsMonday = day.addDays(1 - day.dayOfWeek());
        ++days[std::size_t(itsMonday.daysTo(monday) / 7)];
    }
    return days;
}

namespace {

// The rows `sql` answers, each made by `row`, or why they could not be read.
template <typename Row>
auto rows(Link& link, const QString& sql, const QVariantList& values, Row row)
    -> Outcome<QList<decltype(row(std::declval<const QSqlQuery&>()))>>
{
    Outcome<QSqlQuery> query = link.run(sql, values);
    if (!query)
        return query.failure();
    QList<decltype(row(std::declval<const QSqlQuery&>()))> found;
    while (query->next())
        found.append(row(*query));
    if (Done failed = link.rowsFailed(*query))
        return *std::move(failed);
    return found;
}

} // namespace

std::unique_ptr<ChildCopy> ChildSheets::reader() const
{
    return std::make_unique<HeldRecords>(sheets, name);
}

struct ClassRecords::Private
{
    ClassConnection& connection;
    QString className;
    int classId = 0; // read and written on the connection's thread only
    std::atomic<int> layout = ClassServerLayout; // as open() found it

    // A child of this class's id, or nothing when they are not in it.
    QString ofThisClass() const
    {
        return u" AND EXISTS (SELECT 1 FROM varolin.children c WHERE c.id = s.child_id AND "
               u"c.class_id = %1)"_s.arg(classId);
    }

    // The sheets of the class's children (of one when `child` is set) as
    // CSV lines with their names, oldest first.
    Outcome<QByteArray> csv(Link& link) const
    {
        const QString sql = u"SELECT "_s + FinishedColumns
            + u", s.kind, s.seconds, s.wrong_digits, s.record, c.name, c.n FROM varolin.sheets s "
              u"JOIN (SELECT c.id, c.name, "_s
            + numberColumn(link.layout())
            + u" AS n FROM varolin.children c WHERE c.class_id = ?) c ON c.id = s.child_id "
              u"ORDER BY c.n, c.id, s.finished_at, s.uuid"_s;
        const auto lines = rows(link, sql, {classId}, [](const QSqlQuery& query) {
            return csvLine(finishedAt(query, 0), kindFromNumber(query.value(2).toInt()),
                query.value(3).toInt(), query.value(4).toInt(), query.value(5).toBool(),
                query.value(6).toString(), query.value(7).toInt());
        });
        if (!lines)
            return lines.failure();
        return (csvHeader(true, true) + lines->join(QString())).toUtf8();
    }

    // A child's whole sheets copied into a records file of their own, in
    // the order they were done.
    Outcome<ChildSheets> copy(Link& link, qint64 child, const QString& name) const
    {
        Outcome<QSqlQuery> query = link.run(u"SELECT "_s + FinishedColumns
                + u", s.kind, s.seconds, s.wrong_digits, s.record, s.row_operands, "
                  u"s.column_operands, s.cells FROM varolin.sheets s WHERE s.child_id = ?"_s
                + ofThisClass() + u" ORDER BY s.finished_at, s.uuid"_s,
            {child});
        if (!query)
            return query.failure();
        QList<KeptSheet> copied;
        while (query->next()) {
            // Nobody waits for the answer any more.
            if (link.stopping())
                return Failure{Failed::ServerAway, connection.config().server, u"stopped"_s};
            copied.append({finishedAt(*query, 0), kindFromNumber(query->value(2).toInt()),
                query->value(3).toInt(), query->value(4).toInt(), query->value(5).toBool(),
                {query->value(6).toByteArray(), query->value(7).toByteArray(),
                    query->value(8).toByteArray()}});
        }
        if (Done failed = link.rowsFailed(*query))
            return *std::move(failed);
        return ChildSheets{std::move(copied), name};
    }
};

namespace {

// Asks `work(private, link)` through the connection: its answer is the
// future's.
template <typename Work> auto ask(const std::shared_ptr<ClassRecords::Private>& d, Work work)
{
    return d->connection.ask(
        [d, work = std::move(work)](Link& link) mutable { return work(*d, link); });
}

// A failure of this class's question that the server gave no words for.
Failure failedHere(const ClassRecords::Private& d, const QString& why)
{
    return {Failed::ServerFailed, d.connection.config().server, why};
}

// An edit of the roster: Taken when the name or number is another child's
// of the class, the failure when the server refused otherwise.
Outcome<ClassRecords::Edit> edited(
    const ClassRecords::Private& d, const Outcome<QSqlQuery>& done, qint64 child = 0)
{
    if (!done) {
        if (!taken(done.failure().state))
            return done.failure();
        return ClassRecords::Edit::Taken;
    }
    if (child != 0 && done->numRowsAffected() != 1)
        return failedHere(d, u"child %1 is not in class %2"_s.arg(child).arg(d.classId));
    return ClassRecords::Edit::Done;
}

} // namespace

ClassStart classStart(const std::optional<Done>& opened)
{
    if (!opened)
        return {false, Failure{Failed::ServerFailed}};
    if (!*opened)
        return {true, {}};
    return {(*opened)->what == Failed::ServerAway, *opened};
}

ClassRecords::ClassRecords(ClassConnection& connection)
    : d(std::make_shared<Private>(connection, connection.config().className))
{ }

ClassRecords::~ClassRecords() = default;

QFuture<Done> ClassRecords::open()
{
    return ask(d, [](Private& d, Link& link) -> Done {
        // Asked when the view opens or the teacher reads again: tried now,
        // even just after a failure, which may be over.
        if (Done unconnected = link.connect(true))
            return unconnected;
        // Asked before anything else, so that a pupil login is told plainly
        // rather than refused at every question.
        const auto found = rows(link,
            u"SELECT pg_has_role('varolin_teacher', 'USAGE'), (SELECT id FROM varolin.classes "
            u"WHERE name = ?)"_s,
            {d.className}, [](const QSqlQuery& query) {
                return std::pair{
                    query.value(0).toBool(), query.value(1).isNull() ? 0 : query.value(1).toInt()};
            });
        if (!found)
            return found.failure();
        if (found->isEmpty())
            return failedHere(d, u"no answer"_s);
        const QString login = link.database().userName();
        const QString server = d.connection.config().server;
        if (!found->first().first)
            return Failure{
                Failed::PrivilegeRefused, server, u"%1 is not a teacher's login"_s.arg(login)};
        // Row-level security shows a login its own classes only.
        d.classId = found->first().second;
        d.layout = link.layout();
        if (d.classId == 0)
            return Failure{Failed::PrivilegeRefused, server,
                u"class %1 is not one of %2's classes"_s.arg(d.className, login)};
        return {};
    });
}

const QString& ClassRecords::className() const
{
    return d->className;
}

ClassConnection& ClassRecords::connection() const
{
    return d->connection;
}

bool ClassRecords::namesShared() const
{
    return d->layout >= 3;
}

QFuture<Outcome<QList<ClassChild>>> ClassRecords::roster(const QDate& today) const
{
    return ask(d, [today](Private& d, Link& link) -> Outcome<QList<ClassChild>> {
        auto children = rows(link,
            u"SELECT c.id, c.name, "_s + numberColumn(link.layout())
                + u" AS n FROM varolin.children c WHERE c.class_id = ? ORDER BY n, c.id"_s,
            {d.classId}, [](const QSqlQuery& query) {
                ClassChild child;
                child.id = query.value(0).toLongLong();
                child.name = query.value(1).toString();
                child.number = query.value(2).toInt();
                return child;
            });
        if (!children)
            return children.failure();
        const QDate monday = today.addDays(1 - today.dayOfWeek());
        const auto days = rows(link,
            u"SELECT DISTINCT s.child_id, s.kind, s.local_date FROM varolin.children c "
            u"JOIN varolin.sheets s ON s.child_id = c.id "
            u"WHERE c.class_id = ? AND s.local_date BETWEEN ? AND ?"_s,
            {d.classId, monday.addDays(-21), today}, [](const QSqlQuery& query) {
                return std::tuple{
                    query.value(0).toLongLong(), query.value(1).toInt(), query.value(2).toDate()};
            });
        if (!days)
            return days.failure();
        // The best from its own index, the last ten from the index of the
        // child's sheets of a kind in order.
        const auto standings = rows(link,
            u"SELECT c.id, k.kind, (SELECT min(s.seconds) FROM varolin.sheets s "
            u"  WHERE s.child_id = c.id AND s.kind = k.kind), "
            u" array_to_string(ARRAY(SELECT r.seconds FROM (SELECT s.seconds, "
            u"  s.finished_at, s.uuid FROM varolin.sheets s "
            u"  WHERE s.child_id = c.id AND s.kind = k.kind "
            u"  ORDER BY s.finished_at DESC, s.uuid DESC LIMIT 10) r "
            u"  ORDER BY r.finished_at, r.uuid), ',') "
            u"FROM varolin.children c CROSS JOIN generate_series(0, 3) AS k (kind) "
            u"WHERE c.class_id = ?"_s,
            {d.classId}, [](const QSqlQuery& query) {
                KindStanding standing;
                if (!query.value(2).isNull())
                    standing.best = query.value(2).toInt();
                const QString times = query.value(3).toString();
                if (!times.isEmpty()) {
                    for (const QString& each : times.split(u','))
                        standing.lastTen.append(each.toInt());
                }
                return std::tuple{query.value(0).toLongLong(), query.value(1).toInt(), standing};
            });
        if (!standings)
            return standings.failure();
        for (ClassChild& child : *children) {
            QList<QDate> practised;
            std::array<QList<QDate>, 4> practisedOfKind;
            for (const auto& [id, kind, day] : *days) {
                if (id != child.id)
                    continue;
                if (!practised.contains(day))
                    practised.append(day);
                if (kind >= 0 && kind < 4)
                    practisedOfKind[std::size_t(kind)].append(day);
            }
            child.weekDays = daysPerWeek(practised, today);
            for (const auto& [id, kind, standing] : *standings) {
                if (id == child.id && kind >= 0 && kind < 4)
                    child.kinds[std::size_t(kind)] = standing;
            }
            for (std::size_t kind = 0; kind < practisedOfKind.size(); ++kind)
                child.kinds[kind].weekDays = daysPerWeek(practisedOfKind[kind], today);
        }
        return children;
    });
}

QFuture<Outcome<QList<FactStat>>> ClassRecords::facts(Kind kind, int lastSheets) const
{
    return ask(d, [kind, lastSheets](Private& d, Link& link) {
        return rows(link,
            classFactsQuery(
                u"SELECT c.id AS owner_id, recent.sheet_rank, recent.cells "
                u"FROM varolin.children c CROSS JOIN LATERAL (SELECT s.cells, "
                u" row_number() OVER (ORDER BY s.finished_at DESC, s.uuid DESC) AS sheet_rank"
                u" FROM varolin.sheets s WHERE s.child_id = c.id AND s.kind = ? "
                u" ORDER BY s.finished_at DESC, s.uuid DESC LIMIT ?) recent "
                u"WHERE c.class_id = ?"_s),
            {kindNumber(kind), std::max(lastSheets, 0), d.classId}, factOf);
    });
}

QFuture<Outcome<QByteArray>> ClassRecords::csv() const
{
    return ask(d, [](Private& d, Link& link) { return d.csv(link); });
}

QFuture<Done> ClassRecords::writeCsv(const QString& path) const
{
    return ask(d, [path](Private& d, Link& link) -> Done {
        const auto text = d.csv(link);
        if (!text)
            return text.failure();
        if (!writeTextFile(path, *text))
            return Failure{Failed::FileNotWritten, path};
        return {};
    });
}

QFuture<Outcome<ClassRecords::Edit>> ClassRecords::addChild(const QString& name)
{
    return ask(d, [name](Private& d, Link& link) {
        // The server numbers the child after the class's last. Where
        // children may share a name, a number taken meanwhile by another
        // teacher's addition is a reason to try again, not an answer.
        for (int attempt = 0;; ++attempt) {
            const Outcome<QSqlQuery> added
                = link.run(u"INSERT INTO varolin.children (class_id, name) VALUES (?, ?)"_s,
                    {d.classId, name}, false);
            if (added || !taken(added.failure().state) || link.layout() < 3 || attempt == 2)
                return edited(d, added);
        }
    });
}

QFuture<Outcome<ClassRecords::Edit>> ClassRecords::setNumber(qint64 child, int number)
{
    return ask(d, [child, number](Private& d, Link& link) -> Outcome<Edit> {
        if (Done unconnected = link.connect())
            return *std::move(unconnected);
        if (link.layout() < 3)
            return failedHere(d,
                u"the server is at layout %1: children have numbers from layout 3 on; run "
                u"class-server.sql on the server"_s.arg(link.layout()));
        return edited(d,
            link.run(u"UPDATE varolin.children SET number = ? WHERE id = ? AND class_id = ?"_s,
                {number, child, d.classId}, false),
            child);
    });
}

QFuture<Outcome<ClassRecords::Edit>> ClassRecords::renameChild(qint64 child, const QString& name)
{
    return ask(d, [child, name](Private& d, Link& link) {
        return edited(d,
            link.run(u"UPDATE varolin.children SET name = ? WHERE id = ? AND class_id = ?"_s,
                {name, child, d.classId}, false),
            child);
    });
}

QFuture<Done> ClassRecords::removeChild(qint64 child)
{
    return ask(d, [child](Private& d, Link& link) -> Done {
        const Outcome<QSqlQuery> removed
            = link.run(u"DELETE FROM varolin.children WHERE id = ? AND class_id = ?"_s,
                {child, d.classId}, false);
        if (!removed)
            return removed.failure();
        if (removed->numRowsAffected() != 1)
            return failedHere(d, u"child %1 is not in class %2"_s.arg(child).arg(d.classId));
        return {};
    });
}

QFuture<Outcome<std::array<int, 4>>> ClassRecords::countsByKind(qint64 child) const
{
    return ask(d, [child](Private& d, Link& link) -> Outcome<std::array<int, 4>> {
        const auto counts = rows(link,
            u"SELECT s.kind, count(*) FROM varolin.sheets s WHERE s.child_id = ?"_s
                + d.ofThisClass() + u" GROUP BY s.kind"_s,
            {child}, kindCountOf);
        if (!counts)
            return counts.failure();
        return countsInKindOrder(*counts);
    });
}

QFuture<Done> ClassRecords::clearSheets(qint64 child)
{
    return ask(d, [child](Private& d, Link& link) -> Done {
        return link
            .run(u"DELETE FROM varolin.sheets s WHERE s.child_id = ?"_s + d.ofThisClass(), {child},
                false)
            .failed();
    });
}

QFuture<Outcome<ChildSheets>> ClassRecords::childSheets(qint64 child, const QString& name) const
{
    return ask(d, [child, name](Private& d, Link& link) { return d.copy(link, child, name); });
}
