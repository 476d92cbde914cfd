// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/record_store.h"

#include "records/csv_text.h"
#include "records/record_schema.h"
#include "records/sheet_questions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <atomic>

using namespace Qt::StringLiterals;
using Problem = RecordStore::Problem;

namespace {

// A moment: long enough to wait out another program's short write, short
// enough that a child finishing a sheet does not notice.
constexpr int BusyTimeoutMilliseconds = 1000;

// SQLite folds the journal back into the file every thousand pages or so,
// inside whichever commit crosses the mark, and that commit then waits for
// the disk: tens of milliseconds on a busy machine. The store folds it when
// it is opened; add() does only after this many sheets without a fold, so
// that the journal stays bounded.
constexpr int SheetsBetweenFolds = 2000;

// SQLite's result codes that decide what went wrong; Qt SQL reports them,
// extended or not, in nativeErrorCode().
enum SqliteCode {
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteCorrupt = 11,
    SqliteNotADatabase = 26,
};

int sqliteCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xff : -1;
}

bool isBusy(const QSqlError& error)
{
    const int code = sqliteCode(error);
    return code == SqliteBusy || code == SqliteLocked;
}

bool isDamage(const QSqlError& error)
{
    const int code = sqliteCode(error);
    return code == SqliteCorrupt || code == SqliteNotADatabase;
}

// A best time column keeps none yet as its default, 600, as the settings
// file does.
constexpr int NoBestTime = 600;

std::optional<int> bestFromColumn(const QVariant& column)
{
    const int stored = column.toInt();
    return stored == NoBestTime ? std::nullopt : std::optional(stored);
}

// A row of id, name, the four best times, kind and server id.
Child childOf(const QSqlQuery& query)
{
    Child child{query.value(0).toLongLong(), query.value(1).toString(),
        BestTimes({bestFromColumn(query.value(2)), bestFromColumn(query.value(3)),
            bestFromColumn(query.value(4)), bestFromColumn(query.value(5))}),
        kindFromNumber(query.value(6).toInt())};
    if (!query.value(7).isNull())
        child.serverId = query.value(7).toLongLong();
    return child;
}

} // namespace

struct RecordStore::Private
{
    QString path;
    QString connection;
    QSqlDatabase db;
    SheetQuestions questions{db};
    Problem problem = Problem::None;
    int sinceFold = 0;
    QString movedAsideTo;
    mutable QSqlError lastError;

    // Prepares, binds and runs one statement; on failure the error is kept in
    // lastError and nothing is returned.
    std::optional<QSqlQuery> run(const QString& sql, const QVariantList& values = {}) const
    {
        // A store that is not open has nothing to ask; Qt would say so on
        // the console for every question.
        if (!db.isOpen()) {
            lastError = QSqlError(u"not open"_s, {}, QSqlError::ConnectionError);
            return {};
        }
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.prepare(sql)) {
            lastError = query.lastError();
            return {};
        }
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec()) {
            lastError = query.lastError();
            return {};
        }
        return query;
    }

    // Runs statements one after the other, stopping at the first failure.
    bool runAll(const QStringList& statements) const
    {
        return std::all_of(statements.begin(), statements.end(),
            [this](const QString& sql) { return run(sql).has_value(); });
    }

    // Every row of one statement, each made by `row`; nothing when the
    // statement or any step of it failed, so a read cut short is never taken
    // for the whole answer.
    template <typename Row>
    auto rows(const QString& sql, const QVariantList& values, Row row) const
        -> Outcome<QList<decltype(row(std::declval<const QSqlQuery&>()))>>
    {
        auto query = run(sql, values);
        if (!query)
            return readFailed();
        QList<decltype(row(*query))> found;
        while (query->next())
            found.append(row(*query));
        if (query->lastError().isValid()) {
            lastError = query->lastError();
            return readFailed();
        }
        return found;
    }

    Outcome<QVariant> value(const QString& sql, const QVariantList& values = {}) const
    {
        auto query = run(sql, values);
        if (!query)
            return readFailed();
        return query->next() ? query->value(0) : QVariant();
    }

    // A question that could not be answered, with the database's words.
    Failure readFailed() const
    {
        return {Failed::RecordsUnusable, path, lastError.text(), lastError.nativeErrorCode()};
    }

    // Folds what the journal holds back into the file, as far as no reader
    // holds it up; it never waits.
    void fold()
    {
        sinceFold = 0;
        run(u"PRAGMA wal_checkpoint(PASSIVE)"_s);
    }

    void close()
    {
        if (!db.isValid())
            return;
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
    }

    class Transaction;

    // Deletes `child`'s sheets, but for those still to be sent with
    // `keepUnsent`, inside a transaction of the caller's.
    bool deleteSheets(qint64 child, bool keepUnsent) const;

    Problem failure() const;
    // What `problem` is told as, with SQLite's words of the last error.
    Failure told(Problem problem) const;
    bool connect(bool readOnly);
    Problem openFile();
    Problem inspect(int& version);
    Problem prepare(int version);
    bool moveAside();
};

// Rolls back unless committed, so an early return leaves nothing half done.
// BEGIN IMMEDIATE takes the write lock at once: a database held by another
// program fails here, before any statement, within the busy timeout.
class RecordStore::Private::Transaction
{
public:
    explicit Transaction(const Private& d)
        : d(d)
        , begun(d.run(u"BEGIN IMMEDIATE"_s).has_value())
    { }
    ~Transaction()
    {
        if (begun && !committed)
            d.run(u"ROLLBACK"_s);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isBegun() const { return begun; }
    bool commit() { return committed = begun && d.run(u"COMMIT"_s).has_value(); }

private:
    const Private& d;
    bool begun = false;
    bool committed = false;
};

Failure RecordStore::Private::told(Problem problem) const
{
    const QString detail = lastError.isValid() ? lastError.text() : QString();
    switch (problem) {
    case Problem::Locked:
        return {Failed::RecordsLocked, path, detail};
    case Problem::Damaged:
        return {Failed::RecordsMovedAside, movedAsideTo, u"was %1"_s.arg(path)};
    case Problem::WriteFailed:
        return {Failed::SheetNotKept, path, detail};
    case Problem::None:
    case Problem::CannotOpen:
        break;
    }
    return {Failed::RecordsUnusable, path, detail};
}

Problem RecordStore::Private::failure() const
{
    if (isBusy(lastError))
        return Problem::Locked;
    return isDamage(lastError) ? Problem::Damaged : Problem::CannotOpen;
}

bool RecordStore::Private::connect(bool readOnly)
{
    close();
    db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection);
    db.setDatabaseName(path);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=%1%2"_s.arg(BusyTimeoutMilliseconds)
                             .arg(readOnly ? u";QSQLITE_OPEN_READONLY"_s : QString()));
    if (db.open())
        return true;
    lastError = db.lastError();
    return false;
}

Problem RecordStore::Private::openFile()
{
    const QFileInfo file(path);
    if (!QDir().mkpath(file.absolutePath()))
        return Problem::CannotOpen;
    // The journal files live beside the database, so the folder must take
    // new files as well.
    if (!QFileInfo(file.absolutePath()).isWritable() || (file.exists() && !file.isWritable()))
        return Problem::CannotOpen;
    if (!QSqlDatabase::isDriverAvailable(u"QSQLITE"_s))
        return Problem::CannotOpen;

    int version = 0;
    if (file.exists()) {
        const Problem found = inspect(version);
        close();
        if (found != Problem::None)
            return found;
    }
    if (!connect(false))
        return Problem::CannotOpen;
    return prepare(version);
}

// Looks at an existing file through a read-only connection, which neither
// checkpoints nor deletes its journal on closing: a file found damaged is
// moved aside exactly as it was.
Problem RecordStore::Private::inspect(int& version)
{
    if (!connect(true))
        return Problem::CannotOpen;
    auto check = run(u"PRAGMA quick_check"_s);
    if (!check)
        return failure();
    if (!check->next() || check->value(0).toString() != "ok"_L1)
        return Problem::Damaged;
    check.reset();

    const auto stored = value(u"PRAGMA user_version"_s);
    const auto tables = value(u"SELECT count(*) FROM sqlite_schema WHERE type = 'table'"_s);
    const auto ours = value(u"SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN "
                            u"('sheets', 'sheet_cells')"_s);
    if (!stored || !tables || !ours)
        return failure();
    version = stored->toInt();
    // A file from a newer program is left as it is: nothing here knows its
    // layout, and writing to it could spoil it for that program.
    if (version > schemaVersion())
        return Problem::CannotOpen;
    // Version 0 is a new, empty file; one that holds tables belongs to
    // something else, and one of ours has its tables.
    if (version == 0 ? tables->toInt() > 0 : ours->toInt() != 2)
        return Problem::Damaged;
    return Problem::None;
}

Problem RecordStore::Private::prepare(int version)
{
    // Set before the first write of a new file; a sheet's packed cells fill
    // 8 KiB pages better than the default 4 KiB.
    if (version == 0 && !run(u"PRAGMA page_size = 8192"_s))
        return failure();
    const auto journal = value(u"PRAGMA journal_mode = WAL"_s);
    if (!journal)
        return failure();
    if (journal->toString() != "wal"_L1)
        return Problem::CannotOpen;
    // In WAL mode NORMAL keeps every committed sheet through a crash or kill
    // of the program; only a power cut may lose the last one.
    if (!runAll({u"PRAGMA synchronous = NORMAL"_s, u"PRAGMA foreign_keys = ON"_s}))
        return failure();

    for (int from = version; from < schemaVersion(); ++from) {
        Transaction transaction(*this);
        if (!transaction.isBegun() || !runAll(migrationStep(from))
            || !run(u"PRAGMA user_version = %1"_s.arg(from + 1)) || !transaction.commit())
            return failure();
    }
    // A fold that another program's reading holds up is simply left for
    // the next one.
    if (!runAll({u"PRAGMA wal_autocheckpoint = 0"_s}))
        return failure();
    fold();
    return Problem::None;
}

// Renames the file and its journal files to "<name>.damaged-<when>", next
// to it; it is never deleted.
bool RecordStore::Private::moveAside()
{
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    QString target = path + u".damaged-"_s + stamp;
    for (int n = 2; QFile::exists(target); ++n)
        target = path + u".damaged-"_s + stamp + u'-' + QString::number(n);
    if (!QFile::rename(path, target))
        return false;
    for (const QString& suffix : {u"-wal"_s, u"-shm"_s}) {
        if (QFile::exists(path + suffix))
            QFile::rename(path + suffix, target + suffix);
    }
    movedAsideTo = target;
    return true;
}

RecordStore::RecordStore(const QString& path)
    : d(new Private)
{
    static std::atomic<int> stores = 0;
    d->path = path;
    d->connection = u"varolin-records-%1"_s.arg(++stores);
}

RecordStore::~RecordStore()
{
    d->close();
    delete d;
}

QString RecordStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u"/records.sqlite"_s;
}

Outcome<Done> RecordStore::open()
{
    d->close();
    d->movedAsideTo.clear();
    Problem found = d->openFile();
    bool begunAnew = false;
    if (found == Problem::Damaged) {
        d->close();
        found = d->moveAside() ? d->openFile() : Problem::CannotOpen;
        begunAnew = found == Problem::None;
    }
    if (found != Problem::None)
        d->close();
    d->problem = begunAnew ? Problem::Damaged : found;
    if (found != Problem::None)
        return d->told(found);
    if (begunAnew)
        return Done(d->told(Problem::Damaged));
    return Done();
}

bool RecordStore::isOpen() const
{
    return d->db.isValid() && d->db.isOpen();
}

QString RecordStore::path() const
{
    return d->path;
}

Done RecordStore::add(const FinishedSheet& sheet, qint64 child, Send send)
{
    return add(QList<FinishedSheet>{sheet}, child, send);
}

Done RecordStore::add(const QList<FinishedSheet>& sheets, qint64 child, Send send)
{
    const auto notStored = [&](Problem problem) -> Done {
        d->problem = problem;
        return d->told(problem);
    };
    if (!isOpen())
        return notStored(d->problem == Problem::None ? Problem::CannotOpen : d->problem);

    Private::Transaction transaction(*d);
    if (!transaction.isBegun())
        return notStored(isBusy(d->lastError) ? Problem::Locked : Problem::WriteFailed);
    for (const FinishedSheet& sheet : sheets) {
        const auto packed = pack(sheet);
        if (!packed)
            return notStored(Problem::WriteFailed);
        const QDateTime finishedAt
            = sheet.finishedAt.isValid() ? sheet.finishedAt : QDateTime::currentDateTime();
        const bool stored
            = d->run(u"INSERT INTO sheets (finished_at, local_date, finished_utc, kind, seconds, "
                     u"wrong_digits, record, child, uuid) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                  {isoWithOffset(finishedAt), dayColumn(finishedAt.date()),
                      finishedAt.toSecsSinceEpoch(), kindNumber(sheet.kind()), sheet.seconds,
                      sheet.wrongDigits, int(sheet.record), child,
                      QUuid::createUuid().toString(QUuid::WithoutBraces)})
            && d->run(u"INSERT INTO sheet_cells (sheet_id, row_operands, column_operands, cells) "
                      u"VALUES (last_insert_rowid(), ?, ?, ?)"_s,
                {packed->rows, packed->columns, packed->cells})
            && (send == Send::No
                || d->run(u"INSERT INTO outbox (sheet_id) VALUES (last_insert_rowid())"_s));
        if (!stored)
            return notStored(isBusy(d->lastError) ? Problem::Locked : Problem::WriteFailed);
    }
    if (!transaction.commit())
        return notStored(isBusy(d->lastError) ? Problem::Locked : Problem::WriteFailed);
    d->problem = Problem::None;
    d->sinceFold += int(sheets.size());
    if (d->sinceFold >= SheetsBetweenFolds)
        d->fold();
    return {};
}

Outcome<std::optional<FinishedSheet>> RecordStore::sheet(qint64 id) const
{
    const auto unread = [this] { return d->told(Problem::CannotOpen); };
    auto query = d->run(u"SELECT s.finished_at, s.kind, s.seconds, s.wrong_digits, s.record, "
                        u"c.row_operands, c.column_operands, c.cells FROM sheets s "
                        u"JOIN sheet_cells c ON c.sheet_id = s.id WHERE s.id = ?"_s,
        {id});
    if (!query)
        return unread();
    if (!query->next()) {
        if (query->lastError().isValid())
            return unread();
        return std::optional<FinishedSheet>();
    }
    FinishedSheet sheet;
    sheet.finishedAt = QDateTime::fromString(query->value(0).toString(), Qt::ISODate);
    sheet.sheet.kind = kindFromNumber(query->value(1).toInt());
    sheet.seconds = query->value(2).toInt();
    sheet.wrongDigits = query->value(3).toInt();
    sheet.record = query->value(4).toBool();
    unpack({query->value(5).toByteArray(), query->value(6).toByteArray(),
               query->value(7).toByteArray()},
        sheet);
    return std::optional<FinishedSheet>(std::move(sheet));
}

Outcome<QList<StoredSheet>> RecordStore::sheets(const SheetRange& range) const
{
    return d->questions.sheets(range);
}

Outcome<QList<DayBest>> RecordStore::dailyBest(qint64 child, Kind kind, const QDate& from) const
{
    return d->questions.dailyBest(child, kind, from);
}

Outcome<QList<QDate>> RecordStore::practiceDays(
    qint64 child, const QDate& from, const QDate& to) const
{
    return d->questions.practiceDays(child, from, to);
}

Outcome<QList<FactStat>> RecordStore::facts(qint64 child, Kind kind, int lastSheets) const
{
    return d->questions.facts(child, kind, lastSheets);
}

Outcome<QList<WeekKnown>> RecordStore::knownByWeek(
    qint64 child, Kind kind, const QDate& from, int weeks) const
{
    return d->questions.knownByWeek(child, kind, from, weeks);
}

Outcome<KnownFacts> RecordStore::knownFacts(qint64 child, Kind kind, const QDate& upTo) const
{
    return d->questions.knownFacts(child, kind, upTo);
}

Outcome<int> RecordStore::count() const
{
    const auto count = d->value(u"SELECT count(*) FROM sheets"_s);
    if (!count)
        return count.failure();
    return count->toInt();
}

Outcome<std::array<int, 4>> RecordStore::countsByKind(qint64 child) const
{
    return d->questions.countsByKind(child);
}

Outcome<QByteArray> RecordStore::csv(std::optional<qint64> child) const
{
    const auto children = d->value(u"SELECT count(*) FROM children"_s);
    if (!children)
        return children.failure();
    // With one child the file stays as it was before there were children.
    const bool named = children->toInt() > 1;
    QString sql = u"SELECT s.finished_at, s.kind, s.seconds, s.wrong_digits, s.record, c.name "
                  u"FROM sheets s LEFT JOIN children c ON c.id = s.child"_s;
    QVariantList values;
    if (child) {
        sql += u" WHERE s.child = ?"_s;
        values << *child;
    }
    sql += u" ORDER BY s.finished_utc, s.id"_s;
    const auto lines = d->rows(sql, values, [named](const QSqlQuery& query) -> QString {
        return csvLine(QDateTime::fromString(query.value(0).toString(), Qt::ISODate),
            kindFromNumber(query.value(1).toInt()), query.value(2).toInt(), query.value(3).toInt(),
            query.value(4).toBool(),
            named ? std::optional(query.value(5).toString()) : std::nullopt);
    });
    if (!lines)
        return lines.failure();
    return (csvHeader(named) + lines->join(QString())).toUtf8();
}

Done RecordStore::writeCsv(const QString& path, std::optional<qint64> child) const
{
    const Outcome<QByteArray> text = csv(child);
    if (!text)
        return text.failure();
    // Written whole or not at all: a failed export leaves no file behind.
    if (!writeTextFile(path, *text))
        return Failure{Failed::FileNotWritten, path};
    return {};
}

bool RecordStore::Private::deleteSheets(qint64 child, bool keepUnsent) const
{
    // The outbox's rows go with their sheets (ON DELETE CASCADE).
    const QString which = keepUnsent
        ? u"SELECT id FROM sheets WHERE child = ? AND id NOT IN (SELECT sheet_id FROM outbox)"_s
        : u"SELECT id FROM sheets WHERE child = ?"_s;
    return run(u"DELETE FROM sheet_cells WHERE sheet_id IN (%1)"_s.arg(which), {child})
        && run(u"DELETE FROM sheets WHERE id IN (%1)"_s.arg(which), {child});
}

Done RecordStore::clear(qint64 child)
{
    if (!isOpen())
        return d->told(Problem::CannotOpen);
    Private::Transaction transaction(*d);
    const bool cleared
        = transaction.isBegun() && d->deleteSheets(child, true) && transaction.commit();
    if (!cleared) {
        d->problem = isBusy(d->lastError) ? Problem::Locked : Problem::WriteFailed;
        return d->told(d->problem);
    }
    d->problem = Problem::None;
    return {};
}

Outcome<QList<Child>> RecordStore::children() const
{
    return d->rows(u"SELECT id, name, best_addition, best_subtraction, best_multiplication, "
                   u"best_division, kind, server_id FROM children ORDER BY id"_s,
        {}, childOf);
}

Outcome<qint64> RecordStore::lastChild() const
{
    const auto last = d->value(u"SELECT id FROM children ORDER BY chosen DESC, id LIMIT 1"_s);
    if (!last)
        return last.failure();
    return last->isNull() ? FirstChild : last->toLongLong();
}

Done RecordStore::setLastChild(qint64 child)
{
    if (!d->run(u"UPDATE children SET chosen = (SELECT max(chosen) + 1 FROM children) "
                u"WHERE id = ?"_s,
            {child}))
        return d->told(Problem::WriteFailed);
    return {};
}

Outcome<qint64> RecordStore::addChild(const QString& name)
{
    auto query = d->run(u"INSERT INTO children (name) VALUES (?)"_s, {name});
    if (!query)
        return d->told(Problem::WriteFailed);
    return query->lastInsertId().toLongLong();
}

Done RecordStore::renameChild(qint64 child, const QString& name)
{
    auto query = d->run(u"UPDATE children SET name = ? WHERE id = ?"_s, {name, child});
    if (!query || query->numRowsAffected() != 1)
        return d->told(Problem::WriteFailed);
    return {};
}

Done RecordStore::removeChild(qint64 child)
{
    if (child == FirstChild || !isOpen())
        return d->told(Problem::WriteFailed);
    Private::Transaction transaction(*d);
    const bool removed = transaction.isBegun() && d->deleteSheets(child, false)
        && d->run(u"DELETE FROM children WHERE id = ?"_s, {child}) && transaction.commit();
    if (!removed)
        return d->told(Problem::WriteFailed);
    return {};
}

Done RecordStore::setChildBests(qint64 child, const BestTimes& bestTimes, Kind kind)
{
    const auto stored = [&bestTimes](Kind of) { return bestTimes.of(of).value_or(NoBestTime); };
    auto query = d->run(u"UPDATE children SET best_addition = ?, best_subtraction = ?, "
                        u"best_multiplication = ?, best_division = ?, kind = ? WHERE id = ?"_s,
        {stored(Kind::Addition), stored(Kind::Subtraction), stored(Kind::Multiplication),
            stored(Kind::Division), kindNumber(kind), child});
    if (!query || query->numRowsAffected() != 1)
        return d->told(Problem::WriteFailed);
    return {};
}

Outcome<int> RecordStore::sheetCount(qint64 child) const
{
    const auto count = d->value(u"SELECT count(*) FROM sheets WHERE child = ?"_s, {child});
    if (!count)
        return count.failure();
    return count->toInt();
}

Outcome<int> RecordStore::waitingCount() const
{
    const auto count = d->value(u"SELECT count(*) FROM outbox"_s);
    if (!count)
        return count.failure();
    return count->toInt();
}

Outcome<QDateTime> RecordStore::oldestWaiting() const
{
    const auto oldest = d->value(u"SELECT s.finished_at FROM outbox o JOIN sheets s "
                                 u"ON s.id = o.sheet_id ORDER BY s.finished_utc LIMIT 1"_s);
    if (!oldest)
        return oldest.failure();
    return QDateTime::fromString(oldest->toString(), Qt::ISODate);
}

Done RecordStore::keepRoster(const QString& className, const QList<RosterChild>& roster)
{
    if (!isOpen())
        return d->told(Problem::CannotOpen);
    const auto notKept = [this] { return Done(d->told(Problem::WriteFailed)); };
    Private::Transaction transaction(*d);
    if (!transaction.isBegun()
        || !d->run(u"DELETE FROM class_roster WHERE class = ?"_s, {className}))
        return notKept();
    // The whole roster first: a link to a child of it is never taken for a
    // stale one below.
    for (int position = 0; position < roster.size(); ++position) {
        if (!d->run(u"INSERT INTO class_roster (class, position, server_id, name, number) "
                    u"VALUES (?, ?, ?, ?, ?)"_s,
                {className, position, roster[position].serverId, roster[position].name,
                    roster[position].number}))
            return notKept();
    }
    for (const RosterChild& child : roster) {
        const auto linked
            = d->value(u"SELECT id FROM children WHERE server_id = ?"_s, {child.serverId});
        if (!linked)
            return notKept();
        if (!linked->isNull()) {
            // Renamed on the server: the new name.
            if (!d->run(u"UPDATE children SET name = ? WHERE id = ?"_s, {child.name, *linked}))
                return notKept();
            continue;
        }
        // Unlinked, or linked to a child no kept roster has any more: taken
        // off the roster and added again, the server gave them a new id.
        const auto named = d->value(u"SELECT id FROM children WHERE name = ? AND (server_id IS "
                                    u"NULL OR server_id NOT IN (SELECT server_id FROM "
                                    u"class_roster)) ORDER BY id LIMIT 1"_s,
            {child.name});
        if (!named)
            return notKept();
        if (named->isNull()) {
            if (!d->run(u"INSERT INTO children (name, server_id) VALUES (?, ?)"_s,
                    {child.name, child.serverId}))
                return notKept();
        } else if (!d->run(u"UPDATE children SET server_id = ? WHERE id = ?"_s,
                       {child.serverId, *named})) {
            return notKept();
        }
    }
    if (!d->run(u"UPDATE outbox SET refused = NULL, tries = 0 WHERE refused IS NOT NULL "
                u"AND sheet_id IN (SELECT s.id FROM sheets s JOIN children c ON c.id = s.child "
                u"JOIN class_roster r ON r.server_id = c.server_id WHERE r.class = ?)"_s,
            {className})
        || !transaction.commit())
        return notKept();
    return {};
}

Outcome<QList<Child>> RecordStore::rosterChildren(const QString& className) const
{
    return d->rows(u"SELECT c.id, c.name, c.best_addition, c.best_subtraction, "
                   u"c.best_multiplication, c.best_division, c.kind, c.server_id, r.number "
                   u"FROM class_roster r JOIN children c ON c.server_id = r.server_id "
                   u"WHERE r.class = ? ORDER BY r.position"_s,
        {className}, [](const QSqlQuery& query) {
            Child child = childOf(query);
            child.number = query.value(8).toInt();
            return child;
        });
}
