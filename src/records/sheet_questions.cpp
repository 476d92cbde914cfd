// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/sheet_questions.h"

#include "records/record_reader.h"
#include "records/record_schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// Every row of one statement, each made by `row`; nothing when the statement
// or any step of it failed, so a read cut short is never taken for the
// whole answer.
template <typename Row>
auto rows(const QSqlDatabase& database, const QString& sql, const QVariantList& values, Row row)
    -> Outcome<QList<decltype(row(std::declval<const QSqlQuery&>()))>>
{
    const auto failed = [&database](const QSqlError& error) {
        return Failure{Failed::RecordsUnusable, database.databaseName(), error.text(),
            error.nativeErrorCode()};
    };
    // A database that is not open has nothing to answer; Qt would say so on
    // the console for every question.
    if (!database.isOpen())
        return Failure{Failed::RecordsUnusable, database.databaseName(), u"not open"_s};
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return failed(query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        return failed(query.lastError());
    QList<decltype(row(query))> found;
    while (query.next())
        found.append(row(query));
    if (query.lastError().isValid())
        return failed(query.lastError());
    return found;
}

} // namespace

QString isoWithOffset(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(u"yyyy-MM-dd'T'HH:mm:ss"_s) + (offset < 0 ? u'-' : u'+')
        + u"%1:%2"_s.arg(minutes / 60, 2, 10, QChar(u'0')).arg(minutes % 60, 2, 10, QChar(u'0'));
}

QString dayColumn(const QDate& day)
{
    return day.toString(Qt::ISODate);
}

SheetQuestions::SheetQuestions(const QSqlDatabase& database)
    : database(database)
{ }

Outcome<QList<StoredSheet>> SheetQuestions::sheets(const SheetRange& range) const
{
    QString sql = u"SELECT id, finished_at, kind, seconds, wrong_digits, record FROM sheets"_s;
    QStringList conditions;
    QVariantList values;
    if (range.child) {
        conditions << u"child = ?"_s;
        values << *range.child;
    }
    if (range.kind) {
        conditions << u"kind = ?"_s;
        values << kindNumber(*range.kind);
    }
    if (range.since.isValid()) {
        conditions << u"finished_utc >= ?"_s;
        values << range.since.toSecsSinceEpoch();
    }
    if (range.after) {
        const qint64 utc = range.after->finishedAt.toSecsSinceEpoch();
        conditions << u"(finished_utc < ? OR (finished_utc = ? AND id < ?))"_s;
        values << utc << utc << range.after->id;
    }
    if (!conditions.isEmpty())
        sql += u" WHERE "_s + conditions.join(u" AND "_s);
    sql += u" ORDER BY finished_utc DESC, id DESC LIMIT ?"_s;
    values << range.limit;

    return rows(database, sql, values, [](const QSqlQuery& query) {
        return StoredSheet{query.value(0).toLongLong(),
            QDateTime::fromString(query.value(1).toString(), Qt::ISODate),
            kindFromNumber(query.value(2).toInt()), query.value(3).toInt(), query.value(4).toInt(),
            query.value(5).toBool()};
    });
}

Outcome<QList<DayBest>> SheetQuestions::dailyBest(qint64 child, Kind kind, const QDate& from) const
{
    // Every day when `from` is null: the first day that can be written.
    const QString first = from.isValid() ? dayColumn(from) : u"0000-00-00"_s;
    return rows(database,
        u"SELECT local_date, min(seconds) FROM sheets WHERE child = ? AND kind = ? "
        u"AND local_date >= ? GROUP BY local_date ORDER BY local_date"_s,
        {child, kindNumber(kind), first}, [](const QSqlQuery& query) {
            return DayBest{
                QDate::fromString(query.value(0).toString(), Qt::ISODate), query.value(1).toInt()};
        });
}

Outcome<QList<QDate>> SheetQuestions::practiceDays(
    qint64 child, const QDate& from, const QDate& to) const
{
    return rows(database,
        u"SELECT DISTINCT local_date FROM sheets WHERE child = ? "
        u"AND local_date BETWEEN ? AND ? ORDER BY local_date"_s,
        {child, dayColumn(from), dayColumn(to)}, [](const QSqlQuery& query) {
            return QDate::fromString(query.value(0).toString(), Qt::ISODate);
        });
}

Outcome<QList<FactStat>> SheetQuestions::facts(qint64 child, Kind kind, int lastSheets) const
{
    // SQLite takes a negative LIMIT for none at all.
    return rows(database, factsQuery(),
        {byteValues(), child, kindNumber(kind), std::max(lastSheets, 0)}, factOf);
}

Outcome<std::array<int, 4>> SheetQuestions::countsByKind(qint64 child) const
{
    const auto counts = rows(database,
        u"SELECT kind, count(*) FROM sheets WHERE child = ? GROUP BY kind"_s, {child}, kindCountOf);
    if (!counts)
        return counts.failure();
    return countsInKindOrder(*counts);
}

Outcome<QList<WeekKnown>> SheetQuestions::knownByWeek(
    qint64 child, Kind kind, const QDate& from, int weeks) const
{
    const QDate monday = from.addDays(1 - from.dayOfWeek());
    const auto found = rows(database, knownQuery(),
        {byteValues(), dayColumn(monday.addDays(6)), std::max(weeks, 0), child, kindNumber(kind),
            KnownOverSheets},
        knownRowOf);
    if (!found)
        return found.failure();
    const QList<KnownFacts> known = knownPerOwner(kind, *found, weeks);
    QList<WeekKnown> counts;
    for (int week = 0; week < weeks; ++week)
        counts.append({monday.addDays(7 * week), known[week].known()});
    return counts;
}

Outcome<KnownFacts> SheetQuestions::knownFacts(qint64 child, Kind kind, const QDate& upTo) const
{
    const QString lastDay = upTo.isValid() ? dayColumn(upTo) : u"9999-12-31"_s;
    const auto found = rows(database, knownQuery(),
        {byteValues(), lastDay, 1, child, kindNumber(kind), KnownOverSheets}, knownRowOf);
    if (!found)
        return found.failure();
    return knownPerOwner(kind, *found, 1).first();
}
