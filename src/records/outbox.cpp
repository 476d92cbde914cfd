// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/outbox.h"

#include "records/record_schema.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <atomic>

using namespace Qt::StringLiterals;

struct Outbox::Private
{
    QString path;
    QString connection;
    QString problem;

    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }

    std::optional<QSqlQuery> run(const QString& sql, const QVariantList& values = {})
    {
        if (!db().isOpen())
            return {};
        QSqlQuery query(db());
        query.setForwardOnly(true);
        if (!query.prepare(sql)) {
            problem = query.lastError().text();
            return {};
        }
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec()) {
            problem = query.lastError().text();
            return {};
        }
        return query;
    }

    Outcome<int> changed(const QString& sql, const QVariantList& values)
    {
        const auto query = run(sql, values);
        if (!query)
            return failed();
        return query->numRowsAffected();
    }

    // A question that could not be answered, with the database's words.
    Failure failed() const
    {
        return {Failed::RecordsUnusable, path, db().isOpen() ? problem : u"not open"_s};
    }

    Done done(const QString& sql, const QVariantList& values)
    {
        if (!run(sql, values))
            return failed();
        return {};
    }

    bool connect(bool readOnly);
    int version();

    void close()
    {
        if (!QSqlDatabase::contains(connection))
            return;
        db().close();
        QSqlDatabase::removeDatabase(connection);
    }
};

Outbox::Outbox(const QString& path)
    : d(new Private)
{
    static std::atomic<int> outboxes = 0;
    d->path = path;
    d->connection = u"varolin-outbox-%1"_s.arg(++outboxes);
}

Outbox::~Outbox()
{
    d->close();
    delete d;
}

Done Outbox::open()
{
    d->close();
    d->problem.clear();
    if (!QFileInfo(d->path).isWritable())
        return Failure{Failed::RecordsUnusable, d->path, u"%1 cannot be written"_s.arg(d->path)};
    // Read-only first: a connection that may write would deal with a
    // journal it does not expect (on a damaged file, empty it) before any
    // question could be asked.
    // As the store writes: a sheet taken off and lost to a power cut is only
    // sent again, and the server keeps it once.
    if (!d->connect(true) || d->version() != schemaVersion() || !d->connect(false)
        || !d->run(u"PRAGMA synchronous = NORMAL"_s)) {
        d->close();
        return Failure{Failed::RecordsUnusable, d->path, d->problem};
    }
    return {};
}

bool Outbox::Private::connect(bool readOnly)
{
    close();
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection);
    // "mode=rw": a missing file stays missing instead of being made empty.
    QUrl file = QUrl::fromLocalFile(path);
    file.setQuery(readOnly ? u"mode=ro"_s : u"mode=rw"_s);
    db.setDatabaseName(file.toString(QUrl::FullyEncoded));
    db.setConnectOptions(u"QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=1000"_s
        + (readOnly ? u";QSQLITE_OPEN_READONLY"_s : QString()));
    if (db.open())
        return true;
    problem = u"%1: %2"_s.arg(path, db.lastError().text());
    return false;
}

int Outbox::Private::version()
{
    // Only the version is asked: checking the file and taking it to this
    // layout are the store's, on the window's thread.
    auto version = run(u"PRAGMA user_version"_s);
    const int found = version && version->next() ? version->value(0).toInt() : -1;
    if (found < 0)
        problem = u"%1 cannot be read: %2"_s.arg(path, problem);
    else if (found != schemaVersion())
        problem = u"%1 is at layout %2, not %3: left as it is"_s.arg(path).arg(found).arg(
            schemaVersion());
    return found;
}

QString Outbox::path() const
{
    return d->path;
}

bool Outbox::isOpen() const
{
    return d->db().isOpen();
}

Outcome<QList<WaitingSheet>> Outbox::waiting(int limit, qint64 after) const
{
    auto query = d->run(
        u"SELECT s.id, c.server_id, s.uuid, s.finished_at, s.kind, s.seconds, s.wrong_digits, "
        u"s.record, k.row_operands, k.column_operands, k.cells FROM outbox o "
        u"JOIN sheets s ON s.id = o.sheet_id JOIN children c ON c.id = s.child "
        u"JOIN sheet_cells k ON k.sheet_id = s.id "
        u"WHERE o.refused IS NULL AND c.server_id IS NOT NULL AND o.sheet_id > ? "
        u"ORDER BY o.sheet_id LIMIT ?"_s,
        {after, limit});
    if (!query)
        return d->failed();
    QList<WaitingSheet> sheets;
    while (query->next()) {
        sheets.append(
            {query->value(0).toLongLong(), query->value(1).toLongLong(), query->value(2).toString(),
                QDateTime::fromString(query->value(3).toString(), Qt::ISODate),
                query->value(4).toInt(), query->value(5).toInt(), query->value(6).toInt(),
                query->value(7).toBool(), query->value(8).toByteArray(),
                query->value(9).toByteArray(), query->value(10).toByteArray()});
    }
    if (query->lastError().isValid()) {
        d->problem = query->lastError().text();
        return d->failed();
    }
    return sheets;
}

Done Outbox::take(qint64 sheet)
{
    return d->done(u"DELETE FROM outbox WHERE sheet_id = ?"_s, {sheet});
}

Done Outbox::refuse(qint64 sheet, const QString& reason)
{
    return d->done(
        u"UPDATE outbox SET refused = ?, tries = tries + 1 WHERE sheet_id = ?"_s, {reason, sheet});
}

Done Outbox::tried(qint64 sheet)
{
    return d->done(u"UPDATE outbox SET tries = tries + 1 WHERE sheet_id = ?"_s, {sheet});
}

Outcome<int> Outbox::requeue(const QList<qint64>& serverChildren)
{
    if (serverChildren.isEmpty())
        return 0;
    QVariantList ids;
    for (const qint64 id : serverChildren)
        ids << id;
    const QString marks = QStringList(ids.size(), u"?"_s).join(u", "_s);
    return d->changed(u"UPDATE outbox SET refused = NULL, tries = 0 WHERE refused IS NOT NULL "
                      u"AND sheet_id IN (SELECT s.id FROM sheets s JOIN children c "
                      u"ON c.id = s.child WHERE c.server_id IN (%1))"_s.arg(marks),
        ids);
}

Outcome<int> Outbox::count() const
{
    auto query = d->run(u"SELECT count(*) FROM outbox"_s);
    if (!query)
        return d->failed();
    if (!query->next())
        return Failure{Failed::RecordsUnusable, d->path, u"no count of the outbox"_s};
    return query->value(0).toInt();
}
