// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_records.h"

#include "records/csv_text.h"
#include "records/record_schema.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTimeZone>
#include <QVariant>

#include <tuple>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A question that takes longer than this is given up and told: the class
// view waits for its answers, and a teacher must not be left with a window
// that does not move.
constexpr int StatementTimeoutMilliseconds = 5000;
// A server that could not be reached is not tried again for every question
// of one look at the class (each try waits up to the connection's timeout),
// only once this long has passed.
constexpr int ReconnectAfterMilliseconds = 10000;

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
// a column `cells`): per fact, its answers, average milliseconds and wrong
// digits.
QString factsOf(const QString& recent)
{
    const auto byte
        = [](int n) { return u"get_byte(r.cells, %1 * i + %2)"_s.arg(CellBytes).arg(n); };
    return u"SELECT "_s + byte(1) + u", "_s + byte(2) + u", count(*), avg("_s + byte(4)
        + u" * 65536 + "_s + byte(5) + u" * 256 + "_s + byte(6) + u"), sum("_s + byte(7)
        + u") FROM ("_s + recent + u") r CROSS JOIN LATERAL generate_series(0, length(r.cells) / "_s
        + QString::number(CellBytes) + u" - 1) AS i GROUP BY 1, 2 ORDER BY 1, 2"_s;
}

// The roster's one unique rule is the name within the class.
bool nameTaken(const QString& state)
{
    return state == u"23505"_s;
}

FactStat factOf(const QSqlQuery& query)
{
    return FactStat{query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt(),
        query.value(3).toDouble(), query.value(4).toInt()};
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

std::array<int, 4> ClassChild::bestTimes() const
{
    std::array<int, 4> times{};
    for (std::size_t kind = 0; kind < times.size(); ++kind)
        times[kind] = kinds[kind].best.value_or(600);
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

struct ClassRecords::Private
{
    ClassConfig config;
    QString connectionName;
    int classId = 0;
    mutable ClassProblem problem = ClassProblem::None;
    mutable QString detail;
    mutable QString state; // the SQLSTATE of the last failure
    mutable int failures = 0;
    QElapsedTimer lastConnectFailed;
    ClassProblem connectProblem = ClassProblem::None;
    QString connectDetail;

    QSqlDatabase database() const { return QSqlDatabase::database(connectionName, false); }

    ClassProblem fail(ClassProblem what, const QString& why) const
    {
        problem = what;
        detail = why;
        state.clear();
        ++failures;
        return what;
    }

    // Connects anew and sets the session up.
    ClassProblem connect()
    {
        if (lastConnectFailed.isValid()
            && !lastConnectFailed.hasExpired(ReconnectAfterMilliseconds))
            return fail(connectProblem, connectDetail);
        QSqlDatabase db = database();
        QString why;
        const ClassProblem opened = openClassConnection(db, config, &why);
        if (opened != ClassProblem::None) {
            lastConnectFailed.start();
            connectProblem = opened;
            connectDetail = why;
            return fail(opened, why);
        }
        lastConnectFailed.invalidate();
        QSqlQuery setup(db);
        if (!setup.exec(u"SET statement_timeout = %1"_s.arg(StatementTimeoutMilliseconds))) {
            db.close();
            return fail(classProblemOf(setup.lastError()), setup.lastError().text());
        }
        return ClassProblem::None;
    }

    // Runs `sql` with `values`; nothing when it failed, the reason in
    // `problem`. A connection lost since the last question (the server
    // restarted, the network came back) is made again once for a question
    // that only reads.
    std::optional<QSqlQuery> run(
        const QString& sql, const QVariantList& values, bool readsOnly = true) const
    {
        for (int attempt = 0;; ++attempt) {
            QSqlDatabase db = database();
            if (!db.isOpen() && const_cast<Private*>(this)->connect() != ClassProblem::None)
                return {};
            QSqlQuery query(db);
            query.setForwardOnly(true);
            bool done = query.prepare(sql);
            if (done) {
                for (const QVariant& value : values)
                    query.addBindValue(value);
                done = query.exec();
            }
            if (done) {
                problem = ClassProblem::None;
                detail.clear();
                return query;
            }
            const QSqlError error = query.lastError();
            const ClassProblem what = classProblemOf(error);
            fail(what, error.text());
            state = error.nativeErrorCode();
            if (what != ClassProblem::Unreachable || !readsOnly || attempt > 0)
                return {};
            db.close();
        }
    }

    template <typename Row>
    auto rows(const QString& sql, const QVariantList& values, Row row) const
        -> std::optional<QList<decltype(row(std::declval<const QSqlQuery&>()))>>
    {
        auto query = run(sql, values);
        if (!query)
            return {};
        QList<decltype(row(std::declval<const QSqlQuery&>()))> found;
        while (query->next())
            found.append(row(*query));
        if (query->lastError().isValid()) {
            fail(classProblemOf(query->lastError()), query->lastError().text());
            return {};
        }
        return found;
    }

    // The sheets of the class's children (of one when `child` is set) as
    // CSV lines with their names, oldest first.
    std::optional<QByteArray> csv(std::optional<qint64> child) const
    {
        QString sql = u"SELECT "_s + FinishedColumns
            + u", s.kind, s.seconds, s.wrong_digits, s.record, c.name FROM varolin.sheets s "
              u"JOIN varolin.children c ON c.id = s.child_id WHERE c.class_id = ?"_s;
        QVariantList values{classId};
        if (child) {
            sql += u" AND c.id = ?"_s;
            values << *child;
        }
        sql += u" ORDER BY s.finished_at, s.uuid"_s;
        const auto lines = rows(sql, values, [](const QSqlQuery& query) {
            return csvLine(finishedAt(query, 0), kindFromNumber(query.value(2).toInt()),
                query.value(3).toInt(), query.value(4).toInt(), query.value(5).toBool(),
                query.value(6).toString());
        });
        if (!lines)
            return {};
        return (csvHeader(true) + lines->join(QString())).toUtf8();
    }
};

namespace {

// One child's sheets on the server, asked as the records window asks the
// machine's store. The child is the one it was made for, whatever child a
// question names.
class ChildOnServer final : public RecordReader
{
public:
    ChildOnServer(const ClassRecords::Private& server, qint64 child)
        : server(server)
        , child(child)
    { }

    std::optional<QList<StoredSheet>> sheets(const SheetRange& range) const override
    {
        QString sql = u"SELECT "_s + FinishedColumns
            + u", s.kind, s.seconds, s.wrong_digits, s.record FROM varolin.sheets s "
              u"WHERE s.child_id = ?"_s;
        QVariantList values{child};
        if (range.kind) {
            sql += u" AND s.kind = ?"_s;
            values << kindNumber(*range.kind);
        }
        if (range.since.isValid()) {
            sql += u" AND s.finished_at >= to_timestamp(?::double precision / 1000)"_s;
            values << range.since.toMSecsSinceEpoch();
        }
        if (range.after) {
            // The instant read back is at most a millisecond early, and no
            // child finishes two sheets within one.
            sql += u" AND s.finished_at < to_timestamp(?::double precision / 1000)"_s;
            values << range.after->finishedAt.toMSecsSinceEpoch();
        }
        sql += u" ORDER BY s.finished_at DESC, s.uuid DESC"_s;
        if (range.limit >= 0)
            sql += u" LIMIT %1"_s.arg(range.limit);
        qint64 row = 0;
        return server.rows(sql, values, [&row](const QSqlQuery& query) {
            // The server's sheets have no number: the table pages by time.
            return StoredSheet{++row, finishedAt(query, 0), kindFromNumber(query.value(2).toInt()),
                query.value(3).toInt(), query.value(4).toInt(), query.value(5).toBool()};
        });
    }

    std::optional<QList<DayBest>> dailyBest(qint64, Kind kind, const QDate& from) const override
    {
        QString sql = u"SELECT local_date, min(seconds) FROM varolin.sheets "
                      u"WHERE child_id = ? AND kind = ? AND isfinite(local_date)"_s;
        QVariantList values{child, kindNumber(kind)};
        if (from.isValid()) {
            sql += u" AND local_date >= ?"_s;
            values << from;
        }
        sql += u" GROUP BY local_date ORDER BY local_date"_s;
        return server.rows(sql, values, [](const QSqlQuery& query) {
            return DayBest{query.value(0).toDate(), query.value(1).toInt()};
        });
    }

    std::optional<QList<QDate>> practiceDays(
        qint64, const QDate& from, const QDate& to) const override
    {
        return server.rows(u"SELECT DISTINCT local_date FROM varolin.sheets WHERE child_id = ? "
                           u"AND local_date BETWEEN ? AND ? ORDER BY local_date"_s,
            {child, from, to}, [](const QSqlQuery& query) { return query.value(0).toDate(); });
    }

    std::optional<QList<FactStat>> facts(qint64, Kind kind, int lastSheets) const override
    {
        return server.rows(factsOf(u"SELECT cells FROM varolin.sheets WHERE child_id = ? AND "
                                   u"kind = ? ORDER BY finished_at DESC, uuid DESC LIMIT ?"_s),
            {child, kindNumber(kind), std::max(lastSheets, 0)}, factOf);
    }

    std::optional<std::array<int, 4>> countsByKind(qint64) const override
    {
        const auto counts = server.rows(
            u"SELECT kind, count(*) FROM varolin.sheets WHERE child_id = ? GROUP BY kind"_s,
            {child}, kindCountOf);
        if (!counts)
            return {};
        return countsInKindOrder(*counts);
    }

    bool readable() const override
    {
        return server.run(u"SELECT 1 FROM varolin.children WHERE id = ?"_s, {child}).has_value();
    }

    bool writeCsv(const QString& path, std::optional<qint64>) const override
    {
        const auto text = server.csv(child);
        return text && writeTextFile(path, *text);
    }

    bool clear(qint64) override
    {
        return server.run(u"DELETE FROM varolin.sheets WHERE child_id = ?"_s, {child}, false)
            .has_value();
    }

private:
    const ClassRecords::Private& server;
    qint64 child;
};

} // namespace

ClassRecords::ClassRecords(const ClassConfig& config)
    : d(std::make_unique<Private>())
{
    static QAtomicInt made;
    d->config = config;
    d->connectionName = u"varolin-class-%1"_s.arg(made.fetchAndAddRelaxed(1));
    QSqlDatabase::addDatabase(u"QPSQL"_s, d->connectionName);
}

ClassRecords::~ClassRecords()
{
    const QString name = d->connectionName;
    d.reset();
    QSqlDatabase::removeDatabase(name);
}

ClassProblem ClassRecords::open(QString* detail)
{
    auto result = [&](ClassProblem problem) {
        if (detail)
            *detail = d->detail;
        return problem;
    };
    if (d->connect() != ClassProblem::None)
        return result(d->problem);
    // Asked before anything else, so that a pupil login is told plainly
    // rather than refused at every question.
    const auto found = d->rows(
        u"SELECT pg_has_role('varolin_teacher', 'USAGE'), (SELECT id FROM varolin.classes "
        u"WHERE name = ?)"_s,
        {d->config.className}, [](const QSqlQuery& query) {
            return std::pair{
                query.value(0).toBool(), query.value(1).isNull() ? 0 : query.value(1).toInt()};
        });
    if (!found || found->isEmpty())
        return result(d->problem == ClassProblem::None ? ClassProblem::Failed : d->problem);
    if (!found->first().first)
        return result(d->fail(
            ClassProblem::PrivilegeRefused, u"%1 is not a teacher's login"_s.arg(d->config.login)));
    d->classId = found->first().second;
    // Row-level security shows a login its own classes only.
    if (d->classId == 0)
        return result(d->fail(ClassProblem::PrivilegeRefused,
            u"class %1 is not one of %2's classes"_s.arg(d->config.className, d->config.login)));
    return ClassProblem::None;
}

const QString& ClassRecords::className() const
{
    return d->config.className;
}

ClassProblem ClassRecords::problem() const
{
    return d->problem;
}

QString ClassRecords::problemDetail() const
{
    return d->detail;
}

int ClassRecords::failures() const
{
    return d->failures;
}

std::optional<QList<ClassChild>> ClassRecords::roster(const QDate& today) const
{
    auto children
        = d->rows(u"SELECT id, name FROM varolin.children WHERE class_id = ? ORDER BY name, id"_s,
            {d->classId}, [](const QSqlQuery& query) {
                ClassChild child;
                child.id = query.value(0).toLongLong();
                child.name = query.value(1).toString();
                return child;
            });
    if (!children)
        return {};
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const auto days = d->rows(u"SELECT DISTINCT s.child_id, s.local_date FROM varolin.children c "
                              u"JOIN varolin.sheets s ON s.child_id = c.id "
                              u"WHERE c.class_id = ? AND s.local_date BETWEEN ? AND ?"_s,
        {d->classId, monday.addDays(-21), today}, [](const QSqlQuery& query) {
            return std::pair{query.value(0).toLongLong(), query.value(1).toDate()};
        });
    if (!days)
        return {};
    // The best from its own index, the last ten from the index of the
    // child's sheets of a kind in order.
    const auto standings = d->rows(
        u"SELECT c.id, k.kind, (SELECT min(s.seconds) FROM varolin.sheets s "
        u"  WHERE s.child_id = c.id AND s.kind = k.kind), "
        u" array_to_string(ARRAY(SELECT r.seconds FROM (SELECT s.seconds, s.finished_at, s.uuid "
        u"  FROM varolin.sheets s WHERE s.child_id = c.id AND s.kind = k.kind "
        u"  ORDER BY s.finished_at DESC, s.uuid DESC LIMIT 10) r "
        u"  ORDER BY r.finished_at, r.uuid), ',') "
        u"FROM varolin.children c CROSS JOIN generate_series(0, 3) AS k (kind) "
        u"WHERE c.class_id = ?"_s,
        {d->classId}, [](const QSqlQuery& query) {
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
        return {};
    for (ClassChild& child : *children) {
        QList<QDate> practised;
        for (const auto& [id, day] : *days) {
            if (id == child.id)
                practised.append(day);
        }
        child.weekDays = daysPerWeek(practised, today);
        for (const auto& [id, kind, standing] : *standings) {
            if (id == child.id && kind >= 0 && kind < 4)
                child.kinds[std::size_t(kind)] = standing;
        }
    }
    return children;
}

std::optional<QList<FactStat>> ClassRecords::facts(Kind kind, int lastSheets) const
{
    return d->rows(factsOf(u"SELECT recent.cells FROM varolin.children c "
                           u"CROSS JOIN LATERAL (SELECT s.cells FROM varolin.sheets s "
                           u" WHERE s.child_id = c.id AND s.kind = ? "
                           u" ORDER BY s.finished_at DESC, s.uuid DESC LIMIT ?) recent "
                           u"WHERE c.class_id = ?"_s),
        {kindNumber(kind), std::max(lastSheets, 0), d->classId}, factOf);
}

std::optional<QByteArray> ClassRecords::csv() const
{
    return d->csv({});
}

bool ClassRecords::writeCsv(const QString& path) const
{
    const auto text = csv();
    return text && writeTextFile(path, *text);
}

ClassRecords::Edit ClassRecords::addChild(const QString& name)
{
    const auto added = d->run(u"INSERT INTO varolin.children (class_id, name) VALUES (?, ?)"_s,
        {d->classId, name}, false);
    if (added)
        return Edit::Done;
    return nameTaken(d->state) ? Edit::Taken : Edit::Failed;
}

ClassRecords::Edit ClassRecords::renameChild(qint64 child, const QString& name)
{
    const auto renamed
        = d->run(u"UPDATE varolin.children SET name = ? WHERE id = ? AND class_id = ?"_s,
            {name, child, d->classId}, false);
    if (!renamed)
        return nameTaken(d->state) ? Edit::Taken : Edit::Failed;
    if (renamed->numRowsAffected() != 1) {
        d->fail(ClassProblem::Failed, u"child %1 is not in class %2"_s.arg(child).arg(d->classId));
        return Edit::Failed;
    }
    return Edit::Done;
}

bool ClassRecords::removeChild(qint64 child)
{
    const auto removed = d->run(u"DELETE FROM varolin.children WHERE id = ? AND class_id = ?"_s,
        {child, d->classId}, false);
    if (removed && removed->numRowsAffected() != 1) {
        d->fail(ClassProblem::Failed, u"child %1 is not in class %2"_s.arg(child).arg(d->classId));
        return false;
    }
    return removed.has_value();
}

std::unique_ptr<RecordReader> ClassRecords::childRecords(qint64 child)
{
    return std::make_unique<ChildOnServer>(*d, child);
}
