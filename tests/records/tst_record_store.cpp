// SPDX-License-Identifier: GPL-3.0-or-later
// Every finished sheet is kept as it was, the records window's questions are
// answered from the local date each sheet was kept with, and a database that
// cannot be used never costs the drill anything: a damaged file is kept
// aside, byte for byte. A migration is whole or not at all; the sending
// thread's outbox never changes a file it does not expect; a sheet still to
// be sent outlives a clearing of its child's records.
#include "records/outbox.h"
#include "records/record_schema.h"
#include "records/record_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The reads of one child's records.
enum class Read { Sheets, DailyBests, PracticeDays, Facts, CountsByKind, Csv };

FinishedSheet sheetAt(
    const QString& iso, Kind kind, int seconds, std::vector<AnsweredCell> cells = {})
{
    FinishedSheet sheet;
    sheet.sheet.kind = kind;
    sheet.seconds = seconds;
    sheet.finishedAt = QDateTime::fromString(iso, Qt::ISODate);
    sheet.cells = std::move(cells);
    return sheet;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Each item of an answer as text, joined.
template <typename Items, typename Text> QString joined(const Items& items, Text text)
{
    QStringList found;
    for (const auto& item : items)
        found << text(item);
    return found.join(u" | "_s);
}

// One answer of `read` about `child`, as text.
QString answer(const RecordStore& store, Read read, qint64 child)
{
    const auto number = [](int n) { return QString::number(n); };
    switch (read) {
    case Read::Sheets:
        return joined(store.sheets(SheetRange().ofChild(child)).value(),
            [](const StoredSheet& sheet) { return QString::number(sheet.seconds); });
    case Read::DailyBests:
        return joined(store.dailyBest(child, Kind::Addition).value(), [](const DayBest& best) {
            return u"%1 %2"_s.arg(best.day.toString(Qt::ISODate)).arg(best.seconds);
        });
    case Read::PracticeDays:
        return joined(store.practiceDays(child, QDate(2026, 12, 1), QDate(2026, 12, 31)).value(),
            [](const QDate& day) { return day.toString(Qt::ISODate); });
    case Read::Facts:
        return joined(store.facts(child, Kind::Addition).value(),
            [](const FactStat& fact) { return u"%1+%2"_s.arg(fact.left).arg(fact.top); });
    case Read::CountsByKind:
        return joined(store.countsByKind(child).value(), number);
    case Read::Csv: {
        // The rows without the header.
        const QStringList lines = QString::fromUtf8(store.csv(child).value()).split(u"\r\n"_s);
        return lines.mid(1, lines.size() - 2).join(u" | "_s);
    }
    }
    return {};
}

// A connection of its own, as another program would have; SQL is run
// straight, not through the store.
class OtherConnection
{
public:
    explicit OtherConnection(const QString& path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        db.open();
    }
    ~OtherConnection() { QSqlDatabase::removeDatabase(name); }

    QVariant run(const QString& sql)
    {
        QSqlQuery query(QSqlDatabase::database(name));
        if (!query.exec(sql))
            qWarning() << sql << query.lastError().text();
        return query.next() ? query.value(0) : QVariant();
    }

private:
    QString name = u"other-%1"_s.arg(quintptr(this));
};

} // namespace

class RecordStoreTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString path;
    int runs = 0;

private Q_SLOTS:
    // A folder of its own for every test and every row.
    void init() { path = dir.filePath(u"%1/records.sqlite"_s.arg(++runs)); }

    void roundTrip()
    {
        FinishedSheet sheet = sheetAt(u"2026-12-07T19:30:05-03:30"_s, Kind::Division, 421,
            {{11, 7, 63, 9, 70123, 3}, {10, 7, 14, 2, 0, 0}, {12, 7, 35, 5, 16777215, 255}});
        sheet.sheet.rows = {3, 7, 1, 9, 2, 8, 4, 6, 5, 0};
        for (int row = 0; row < 10; ++row)
            for (int column = 0; column < 10; ++column)
                sheet.sheet.columns[row][column] = (row * 7 + column * 3) % 82;
        sheet.wrongDigits = 258;
        sheet.record = true;

        RecordStore store(path);
        QVERIFY(store.open());
        QVERIFY(!store.add(sheet));
        const QList<StoredSheet> stored = store.sheets().value();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].finishedAt, sheet.finishedAt);
        QCOMPARE(stored[0].finishedAt.offsetFromUtc(), -12600);
        QCOMPARE(stored[0].kind, Kind::Division);
        QCOMPARE(stored[0].seconds, 421);
        QCOMPARE(stored[0].wrongDigits, 258);
        QCOMPARE(stored[0].record, true);

        const auto back = store.sheet(stored[0].id).value();
        QVERIFY(back);
        QCOMPARE(back->sheet, sheet.sheet);
        QCOMPARE(back->cells, sheet.cells);
        QCOMPARE(back->finishedAt.toString(Qt::ISODate), u"2026-12-07T19:30:05-03:30"_s);
    }

    // The files as a killed program leaves them: the sheet sits in the journal,
    // never folded back into the database file.
    void storedSheetOutlivesAKill()
    {
        RecordStore store(path);
        QVERIFY(store.open());
        QVERIFY(!store.add(sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 61)));
        const QString copy = path + u"-killed.sqlite"_s;
        QVERIFY(QFile::copy(path, copy));
        QVERIFY(QFile::copy(path + u"-wal"_s, copy + u"-wal"_s));

        RecordStore next(copy);
        const Outcome<Done> reopened = next.open();
        QVERIFY(reopened);
        QCOMPARE(*reopened, Done()); // nothing moved aside
        QCOMPARE(next.sheets()->value(0).seconds, 61);
    }

    // A file as the first released layout wrote it, by hand: a division sheet
    // whose cell 0 (8 / 2 = 4) took 1.5 s (0x0005DC) with one wrong digit.
    void migratesFromVersion1()
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        // The sending thread's outbox makes no file, and migrates none.
        QVERIFY(Outbox(path).open().has_value());
        QVERIFY(!QFile::exists(path));
        {
            OtherConnection v1(path);
            for (const QString& sql :
                {u"CREATE TABLE sheets (id INTEGER PRIMARY KEY, finished_at TEXT NOT NULL, local_date TEXT NOT NULL, finished_utc INTEGER NOT NULL, kind INTEGER NOT NULL CHECK (kind BETWEEN 0 AND 3), seconds INTEGER NOT NULL, wrong_digits INTEGER NOT NULL, record INTEGER NOT NULL CHECK (record IN (0, 1)))"_s,
                    u"CREATE TABLE sheet_cells (sheet_id INTEGER PRIMARY KEY REFERENCES sheets (id) ON DELETE CASCADE, row_operands BLOB NOT NULL, column_operands BLOB NOT NULL, cells BLOB NOT NULL)"_s,
                    u"INSERT INTO sheets VALUES (7, '2026-12-07T08:00:00+09:00', '2026-12-07', 1796857200, 3, 95, 1, 0)"_s,
                    u"INSERT INTO sheet_cells VALUES (7, x'02000000000000000000', zeroblob(100), x'000208040005DC01')"_s,
                    u"PRAGMA user_version = 1"_s})
                v1.run(sql);
        }
        QVERIFY(Outbox(path).open().has_value());
        QCOMPARE(OtherConnection(path).run(u"PRAGMA user_version"_s).toInt(), 1);
        RecordStore store(path);
        const Outcome<Done> opened = store.open();
        QVERIFY(opened);
        QCOMPARE(*opened, Done()); // nothing moved aside
        QCOMPARE(store.count(), 1);
        // The sheet kept before there were children is the first child's.
        QCOMPARE(store.children()->size(), 1);
        QCOMPARE(store.children()->value(0).id, RecordStore::FirstChild);
        QCOMPARE(store.sheetCount(RecordStore::FirstChild), 1);
        QCOMPARE(store.dailyBest(RecordStore::FirstChild, Kind::Division)->value(0).seconds, 95);
        const QList<FactStat> facts = store.facts(RecordStore::FirstChild, Kind::Division).value();
        QCOMPARE(facts.size(), 1);
        QCOMPARE(facts[0].left, 2);
        QCOMPARE(facts[0].top, 8);
        QCOMPARE(facts[0].answers, 1);
        QCOMPARE(facts[0].wrongDigits, 1);
        QCOMPARE(store.sheet(7).value()->cells, (std::vector<AnsweredCell>{{0, 2, 8, 4, 1500, 1}}));
        QVERIFY(!store.add(sheetAt(u"2026-12-08T08:00:00+09:00"_s, Kind::Division, 90)));
        QCOMPARE(store.count(), 2);
        // Every sheet has an id of its own, the old one too, in the form
        // the server takes; only a sheet stored for sending waits.
        QCOMPARE(store.waitingCount(), 0);
        QVERIFY(!store.add(sheetAt(u"2026-12-09T08:00:00+09:00"_s, Kind::Division, 80),
            RecordStore::FirstChild, RecordStore::Send::ToClass));
        QCOMPARE(store.waitingCount(), 1);
        QCOMPARE(OtherConnection(path)
                     .run(u"SELECT count(DISTINCT uuid) FROM sheets WHERE uuid GLOB "
                          u"'[0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f]-"
                          u"*-4*-[89ab]*-*'"_s)
                     .toInt(),
            3);
    }

    // A step that fails halfway (here, at another program's view of the
    // outbox) is undone whole, and taken again once the view is gone: the
    // sheet that waited as the roster's child 42 still waits as theirs.
    void migrationStepWhole()
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        {
            OtherConnection v3(path);
            for (const QString& sql : migrationStep(0) + migrationStep(1) + migrationStep(2)
                    + QStringList{u"UPDATE children SET server_id = 42"_s,
                        u"INSERT INTO sheets VALUES (5, '', '', 0, 0, 61, 0, 0, 1, NULL)"_s,
                        u"INSERT INTO sheet_cells VALUES (5, zeroblob(10), zeroblob(100), x'')"_s,
                        u"INSERT INTO outbox VALUES (5, 42)"_s, u"PRAGMA user_version = 3"_s,
                        u"CREATE VIEW report AS SELECT sheet_id, server_child FROM outbox"_s})
                v3.run(sql);
        }
        QVERIFY(!RecordStore(path).open());
        {
            OtherConnection other(path);
            QCOMPARE(other.run(u"PRAGMA user_version"_s).toInt(), 3);
            QCOMPARE(other.run(u"SELECT count(*) FROM pragma_table_info('outbox')"_s).toInt(), 2);
            other.run(u"DROP VIEW report"_s);
        }
        RecordStore store(path);
        QVERIFY(store.open());
        Outbox outbox(path);
        QVERIFY(!outbox.open()); // no failure
        QCOMPARE(outbox.waiting(10)->value(0).serverChild, 42);
    }

    void damagedFileMovedAside_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("not a database, with a journal") << u"garbage"_s;
        QTest::newRow("someone else's database") << u"foreign"_s;
        QTest::newRow("a page overwritten") << u"overwritten"_s;
    }
    void damagedFileMovedAside()
    {
        QFETCH(QString, damage);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (damage == "garbage"_L1) {
            write(path, QByteArray(4096, 'x'));
            write(path + u"-wal"_s, "journal bytes");
        } else if (damage == "foreign"_L1) {
            OtherConnection(path).run(u"CREATE TABLE notes (text TEXT)"_s);
        } else {
            {
                RecordStore store(path);
                QVERIFY(store.open());
                for (int n = 0; n < 40; ++n)
                    QVERIFY(!store.add(sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, n,
                        std::vector<AnsweredCell>(100))));
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(8192);
            file.write(QByteArray(8192, '\xA5'));
        }
        const QByteArray original = contents(path);
        const QByteArray journal = contents(path + u"-wal"_s);
        // The sending thread's outbox repairs nothing.
        (void)Outbox(path).open();
        QCOMPARE(contents(path), original);
        QCOMPARE(contents(path + u"-wal"_s), journal);

        RecordStore store(path);
        const Outcome<Done> opened = store.open();
        QVERIFY(opened && *opened);
        QCOMPARE((*opened)->what, Failed::RecordsMovedAside);
        const QString aside = (*opened)->path;
        QVERIFY(aside.startsWith(path + u".damaged-"_s));
        QCOMPARE(contents(aside), original);
        QCOMPARE(contents(aside + u"-wal"_s), journal);
        QCOMPARE(store.count(), 0);
        QVERIFY(!store.add(sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 60)));
    }

    void unusableFileLeftAlone_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::newRow("folder is a file") << u"file"_s;
        QTest::newRow("read-only file") << u"read-only"_s;
        QTest::newRow("read-only folder") << u"read-only folder"_s;
        QTest::newRow("newer layout") << u"newer"_s;
    }
    void unusableFileLeftAlone()
    {
        QFETCH(QString, setUp);
        // Permissions do not bind root, as CI runs: the row runs again in a
        // process of its own as nobody, where they do.
        if (setUp.startsWith(u"read-only"_s) && ::geteuid() == 0) {
            QProcess child;
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(u"setpriv"_s,
                {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                    QCoreApplication::applicationFilePath(),
                    u"unusableFileLeftAlone:"_s + QString::fromUtf8(QTest::currentDataTag())});
            QVERIFY(child.waitForFinished(60000));
            const QByteArray output = child.readAll();
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                output.constData());
            return;
        }
        const QString folder = QFileInfo(path).absolutePath();
        QDir().mkpath(folder);
        if (setUp == "file"_L1) {
            write(folder + u"/data"_s, "a file");
            path = folder + u"/data/records.sqlite"_s;
        } else if (setUp == "read-only"_L1) {
            QVERIFY(RecordStore(path).open());
            QFile::setPermissions(path, QFile::ReadOwner);
            if (QFile(path).open(QIODevice::ReadWrite))
                QFAIL("permissions do not bind this user");
        } else if (setUp == "read-only folder"_L1) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            if (QFile(folder + u"/probe"_s).open(QIODevice::WriteOnly))
                QFAIL("permissions do not bind this user");
        } else {
            OtherConnection(path).run(u"PRAGMA user_version = 99"_s);
        }
        const QStringList before = QDir(folder).entryList(QDir::Files);
        const QByteArray original = contents(path);

        QVERIFY(Outbox(path).open().has_value());
        RecordStore store(path);
        const Outcome<Done> opened = store.open();
        QVERIFY(!opened);
        QCOMPARE(opened.failure().what, Failed::RecordsUnusable);
        QVERIFY(store.add(sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 60)));
        QCOMPARE(QDir(folder).entryList(QDir::Files), before);
        QCOMPARE(contents(path), original);
    }

    // Another program holds the write lock: before the store opens (reading
    // still works), or while it is open.
    void lockedDatabase_data()
    {
        QTest::addColumn<bool>("beforeOpening");
        QTest::newRow("locked after opening") << false;
        QTest::newRow("locked before opening") << true;
    }
    void lockedDatabase()
    {
        QFETCH(bool, beforeOpening);
        QVERIFY(RecordStore(path).open());
        RecordStore store(path);
        if (!beforeOpening)
            QVERIFY(store.open());
        OtherConnection other(path);
        other.run(u"BEGIN EXCLUSIVE"_s);
        if (beforeOpening)
            QVERIFY(store.open());
        QElapsedTimer waited;
        waited.start();
        const Done locked = store.add(sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 60));
        QVERIFY(locked);
        QCOMPARE(locked->what, Failed::RecordsLocked);
        QCOMPARE_LT(waited.elapsed(), 3000);
        other.run(u"ROLLBACK"_s);
        QVERIFY(!store.add(sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 60)));
        QCOMPARE(store.count(), 1);
    }

    // Sheets finished around the Sunday-Monday boundary, kept in four time
    // zones: each counts on the date its own clock showed.
    void daysAsKept_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QList<QDate>>("practised");
        QTest::addColumn<QList<int>>("best"); // addition, per practised day from `from`
        const QDate sunday(2026, 11, 29), monday(2026, 11, 30), nextSunday(2026, 12, 6),
            nextMonday(2026, 12, 7);
        QTest::newRow("one week, Monday to Sunday")
            << monday << nextSunday << QList<QDate>{monday, nextSunday} << QList<int>{200, 180};
        QTest::newRow("Sunday to the Monday after")
            << sunday << nextMonday << QList<QDate>{sunday, monday, nextSunday, nextMonday}
            << QList<int>{300, 200, 180};
    }
    void daysAsKept()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QList<QDate>, practised);
        QFETCH(QList<int>, best);
        RecordStore store(path);
        QVERIFY(store.open());
        for (const FinishedSheet& sheet : {
                 sheetAt(u"2026-11-29T23:50:00+09:00"_s, Kind::Addition, 300),
                 sheetAt(u"2026-11-30T00:10:00+09:00"_s, Kind::Addition, 200), // Sunday in UTC
                 sheetAt(u"2026-11-30T20:00:00-08:00"_s, Kind::Addition, 250), // Tuesday in UTC
                 sheetAt(u"2026-12-06T22:00:00-05:00"_s, Kind::Addition, 180), // Monday in UTC
                 sheetAt(u"2026-12-07T01:00:00+14:00"_s, Kind::Subtraction, 100), // Sunday in UTC
             })
            QVERIFY(!store.add(sheet));
        QCOMPARE(store.practiceDays(RecordStore::FirstChild, from, to), practised);
        QList<int> seconds;
        const QList<DayBest> bests
            = store.dailyBest(RecordStore::FirstChild, Kind::Addition, from).value();
        for (const DayBest& day : bests)
            seconds << day.seconds;
        QCOMPARE(seconds, best);
    }

    // The fact 3 + 5 on each sheet, oldest first: its milliseconds, negative
    // where it was the sheet's first answer (the other answer is 9 + 9). The
    // store's query and the rule for sheets held in memory agree on every
    // fact.
    void factsFairlyTimed_data()
    {
        QTest::addColumn<QList<int>>("times");
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("timed");
        QTest::addColumn<double>("median");

        QTest::newRow("first answers are not timed")
            << QList<int>{-20000, -30000, -25000} << 3 << 0 << 0.0;
        QTest::newRow("the median of the newest five, not the mean")
            << QList<int>{9000, 9000, 1000, 20000, 2000, 2500, 3000} << 7 << 5 << 2500.0;
        QTest::newRow("an even count: the middle two")
            << QList<int>{1000, -30000, 2000, 8000, 4000} << 5 << 4 << 3000.0;
        QTest::newRow("one timed answer") << QList<int>{-50000, 1200} << 2 << 1 << 1200.0;
        QTest::newRow("the eleventh sheet back is not read")
            << QList<int>{90000, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1} << 10 << 0 << 0.0;
    }
    void factsFairlyTimed()
    {
        QFETCH(QList<int>, times);
        RecordStore store(path);
        QVERIFY(store.open());
        for (qsizetype n = 0; n < times.size(); ++n) {
            const AnsweredCell fact{35, 3, 5, 8, std::abs(times[n]), 1};
            const AnsweredCell other{99, 9, 9, 18, 700 + int(n), 0};
            QVERIFY(!store.add(sheetAt(
                u"2026-12-%1T08:00:00+09:00"_s.arg(n + 1, 2, 10, QChar(u'0')), Kind::Addition, 60,
                times[n] < 0 ? std::vector{fact, other} : std::vector{other, fact})));
        }
        // Another kind's sheet is never read.
        QVERIFY(!store.add(sheetAt(u"2026-12-30T08:00:00+09:00"_s, Kind::Subtraction, 60,
            {{0, 1, 2, 3, 4, 0}, {35, 3, 5, 2, 1, 0}})));

        const QList<FactStat> facts = store.facts(RecordStore::FirstChild, Kind::Addition).value();
        QCOMPARE(facts.size(), 2);
        QCOMPARE(facts[0].left, 3);
        QCOMPARE(facts[0].top, 5);
        QTEST(facts[0].answers, "answers");
        QTEST(facts[0].timedAnswers, "timed");
        QTEST(facts[0].medianMilliseconds, "median");
        QCOMPARE(facts[0].wrongDigits, facts[0].answers);
    }

    // Every question says when it could not be answered; an empty store
    // answers with nothing found.
    void readsTellFailure_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("readable");
        QTest::newRow("empty store") << u"empty"_s << true;
        QTest::newRow("never opened") << u"closed"_s << false;
        QTest::newRow("tables dropped by another program") << u"dropped"_s << false;
    }
    void readsTellFailure()
    {
        QFETCH(QString, state);
        QFETCH(bool, readable);
        RecordStore store(path);
        if (state != "closed"_L1)
            QVERIFY(store.open());
        if (state == "dropped"_L1) {
            OtherConnection other(path);
            other.run(u"DROP TABLE sheet_cells"_s);
            other.run(u"DROP TABLE sheets"_s);
        }
        const QDate day(2026, 12, 7);
        QCOMPARE(store.sheets().has_value(), readable);
        QCOMPARE(store.sheets(SheetRange().ofKind(Kind::Addition).atMost(1)).has_value(), readable);
        QCOMPARE(store.dailyBest(RecordStore::FirstChild, Kind::Addition).has_value(), readable);
        QCOMPARE(store.practiceDays(RecordStore::FirstChild, day, day).has_value(), readable);
        QCOMPARE(store.facts(RecordStore::FirstChild, Kind::Addition).has_value(), readable);
        QCOMPARE(store.count().has_value(), readable);
        QCOMPARE(store.countsByKind(RecordStore::FirstChild).has_value(), readable);
        QCOMPARE(store.sheet(1).ok(), readable);
        QCOMPARE(store.csv().has_value(), readable);
        if (readable) {
            QVERIFY(store.sheets()->isEmpty());
            QCOMPARE(store.count(), 0);
            QVERIFY(!store.sheet(1).value());
        }
    }

    // A sheet that cannot be stored leaves nothing of itself, whichever
    // statement fails, and is counted.
    void sheetNeverHalfKept_data()
    {
        QTest::addColumn<QString>("failingTable"); // empty: the store is not open
        QTest::newRow("its cells fail") << u"sheet_cells"_s;
        QTest::newRow("its row fails") << u"sheets"_s;
        QTest::newRow("store not open") << QString();
    }
    void sheetNeverHalfKept()
    {
        QFETCH(QString, failingTable);
        RecordStore store(path);
        if (!failingTable.isEmpty()) {
            QVERIFY(store.open());
            QVERIFY(!store.add(sheetAt(u"2026-12-06T08:00:00+09:00"_s, Kind::Addition, 70)));
            OtherConnection(path).run(u"CREATE TRIGGER refuse BEFORE INSERT ON %1 BEGIN "
                                      u"SELECT RAISE(ABORT, 'refused'); END"_s.arg(failingTable));
        }
        const FinishedSheet sheet = sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 60);
        const Done failed = store.add(sheet);
        QVERIFY(failed);
        QVERIFY(store.add(sheet));
        if (failingTable.isEmpty())
            QVERIFY(store.open());
        else
            QCOMPARE(failed->what, Failed::SheetNotKept);
        const int before = failingTable.isEmpty() ? 0 : 1;
        OtherConnection other(path);
        QCOMPARE(other.run(u"SELECT count(*) FROM sheets"_s).toInt(), before);
        QCOMPARE(other.run(u"SELECT count(*) FROM sheet_cells"_s).toInt(), before);

        other.run(u"DROP TRIGGER IF EXISTS refuse"_s);
        QVERIFY(!store.add(sheet));
        QCOMPARE(store.count(), before + 1);
    }

    // The table reads the sheets a batch at a time: every sheet comes once,
    // in order, even where several were finished in the same second.
    void batchesListEverySheetOnce_data()
    {
        QTest::addColumn<int>("batch");
        QTest::newRow("batches of 1") << 1;
        QTest::newRow("batches of 3, ties across the edges") << 3;
        QTest::newRow("one batch of more than all") << 50;
    }
    void batchesListEverySheetOnce()
    {
        QFETCH(int, batch);
        RecordStore store(path);
        QVERIFY(store.open());
        for (const QString& time :
            {u"08:00:00+09:00"_s, u"08:00:00+09:00"_s, u"00:00:00+01:00"_s, u"08:00:00+09:00"_s,
                u"07:00:00+09:00"_s, u"08:00:00+09:00"_s, u"09:00:00+10:00"_s})
            QVERIFY(!store.add(sheetAt(u"2026-12-07T"_s + time, Kind::Addition, 60)));
        const QList<StoredSheet> all = store.sheets().value();
        QList<StoredSheet> read;
        for (;;) {
            SheetRange range = SheetRange().atMost(batch);
            if (!read.isEmpty())
                range.following(read.last());
            const auto next = store.sheets(range);
            QVERIFY(next);
            QVERIFY(next->size() <= batch);
            if (next->isEmpty())
                break;
            read.append(*next);
            QVERIFY(read.size() <= all.size());
        }
        QList<qint64> allIds, readIds;
        for (const StoredSheet& sheet : all)
            allIds << sheet.id;
        for (const StoredSheet& sheet : read)
            readIds << sheet.id;
        QCOMPARE(readIds, allIds);
        QCOMPARE(allIds, (QList<qint64>{7, 6, 4, 3, 2, 1, 5}));
    }

    void csvBytes()
    {
        RecordStore store(path);
        QVERIFY(store.open());
        FinishedSheet record = sheetAt(u"2026-12-07T19:30:05+09:00"_s, Kind::Multiplication, 65);
        record.wrongDigits = 2;
        record.record = true;
        QVERIFY(!store.add(record));
        QVERIFY(!store.add(sheetAt(u"2026-12-06T23:59:59-05:00"_s, Kind::Subtraction, 600)));
        QCOMPARE(store.csv(),
            QByteArray("\xEF\xBB\xBF"
                       "ひづけ,じこく,じさ,しゅるい,びょう,まちがい,ハイスコア\r\n"
                       "2026-12-06,23:59:59,UTC-05:00,ひきざん,600,0,0\r\n"
                       "2026-12-07,19:30:05,UTC+09:00,かけざん,65,2,1\r\n"));
    }

    void childrenKeptApart_data()
    {
        QTest::addColumn<Read>("read");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");

        QTest::newRow("sheets") << Read::Sheets << u"60"_s << u"70 | 50"_s;
        QTest::newRow("daily bests")
            << Read::DailyBests << u"2026-12-07 60"_s << u"2026-12-08 50"_s;
        QTest::newRow("practice days (calendar)")
            << Read::PracticeDays << u"2026-12-07"_s << u"2026-12-08 | 2026-12-09"_s;
        QTest::newRow("weak facts") << Read::Facts << u"1+2"_s << u"3+4"_s;
        QTest::newRow("counts by kind")
            << Read::CountsByKind << u"1 | 0 | 0 | 0"_s << u"1 | 1 | 0 | 0"_s;
        QTest::newRow("csv rows, named")
            << Read::Csv << u"2026-12-07,08:00:00,UTC+09:00,たしざん,60,0,0,ひとりめ"_s
            << u"2026-12-08,08:00:00,UTC+09:00,たしざん,50,0,0,さくら | "
               u"2026-12-09,08:00:00,UTC+09:00,ひきざん,70,0,0,さくら"_s;
    }

    void childrenKeptApart()
    {
        QFETCH(Read, read);
        QFETCH(QString, first);
        QFETCH(QString, second);

        RecordStore store(path);
        QVERIFY(store.open());
        const qint64 sakura = store.addChild(u"さくら"_s).value();
        QVERIFY(!store.add(
            sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 60, {{0, 1, 2, 3, 100, 0}})));
        QVERIFY(!store.add(
            sheetAt(u"2026-12-08T08:00:00+09:00"_s, Kind::Addition, 50, {{0, 3, 4, 7, 200, 0}}),
            sakura));
        QVERIFY(!store.add(sheetAt(u"2026-12-09T08:00:00+09:00"_s, Kind::Subtraction, 70), sakura));
        QCOMPARE(answer(store, read, RecordStore::FirstChild), first);
        QCOMPARE(answer(store, read, sakura), second);
    }

    // Every child's sheets with their names once there are two children;
    // with one, the file is as before (csvBytes).
    // Two children of a class may share a name, told apart by their
    // numbers: each has a child of their own here, the one of the name
    // kept from before the first; the children of this machine alone still
    // keep a name each.
    void rosterSharedNames()
    {
        RecordStore store(path);
        QVERIFY(store.open());
        const Outcome<qint64> added = store.addChild(u"はなこ"_s);
        const qint64 hanako = added ? *added : 0;
        QVERIFY(hanako > 0);
        QVERIFY(!store.addChild(u"はなこ"_s));
        QVERIFY(!store.keepRoster(
            u"3-1"_s, {{11, u"はなこ"_s, 1}, {12, u"たろう"_s, 2}, {13, u"はなこ"_s, 5}}));
        const QList<Child> roster = store.rosterChildren(u"3-1"_s).value();
        QStringList shown;
        for (const Child& child : roster)
            shown
                << u"%1 %2 %3"_s.arg(child.number).arg(child.name).arg(child.serverId.value_or(0));
        QCOMPARE(shown.join(u", "_s), u"1 はなこ 11, 2 たろう 12, 5 はなこ 13"_s);
        QCOMPARE(roster[0].id, hanako);
        QVERIFY(roster[2].id != hanako);
        QVERIFY(store.addChild(u"じろう"_s));
        QVERIFY(!store.addChild(u"じろう"_s));
    }

    void csvOfEveryChild()
    {
        RecordStore store(path);
        QVERIFY(store.open());
        const qint64 sakura = store.addChild(u"さくら, \"2\""_s).value();
        QVERIFY(!store.add(sheetAt(u"2026-12-08T08:00:00+09:00"_s, Kind::Addition, 50), sakura));
        QVERIFY(!store.add(sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 60)));
        // A name a spreadsheet would calculate stays text.
        const qint64 formula = store.addChild(u"=1+2"_s).value();
        QVERIFY(!store.add(sheetAt(u"2026-12-09T08:00:00+09:00"_s, Kind::Division, 70), formula));
        const QByteArray expected(
            "\xEF\xBB\xBF"
            "ひづけ,じこく,じさ,しゅるい,びょう,まちがい,ハイスコア,なまえ\r\n"
            "2026-12-07,08:00:00,UTC+09:00,たしざん,60,0,0,ひとりめ\r\n"
            "2026-12-08,08:00:00,UTC+09:00,たしざん,50,0,0,\"さくら, \"\"2\"\"\"\r\n"
            "2026-12-09,08:00:00,UTC+09:00,わりざん,70,0,0,'=1+2\r\n");
        QCOMPARE(store.csv(), expected);
        // Written whole, or not at all where the file cannot be.
        const QString file = dir.filePath(u"export.csv"_s);
        QVERIFY(!store.writeCsv(file));
        QCOMPARE(contents(file), expected);
        QVERIFY(store.writeCsv(dir.path()));
    }

    // Removing a child takes their sheets and cells with them, and their
    // place in the outbox; clearing takes the sheets alone, but for one the
    // class does not have yet. Another child's stay either way.
    void oneChildsSheetsDeleted_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::newRow("child removed") << true;
        QTest::newRow("child's records cleared") << false;
    }

    void oneChildsSheetsDeleted()
    {
        QFETCH(bool, remove);

        RecordStore store(path);
        QVERIFY(store.open());
        const qint64 sakura = store.addChild(u"さくら"_s).value();
        const qint64 ken = store.addChild(u"けん"_s).value();
        const std::vector<AnsweredCell> cell = {{0, 1, 2, 3, 100, 0}};
        for (const qint64 child : {RecordStore::FirstChild, sakura, ken}) {
            for (int n = 0; n < 2; ++n)
                QVERIFY(!store.add(
                    sheetAt(u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 60 + n, cell), child,
                    n == 1 && child != ken ? RecordStore::Send::ToClass : RecordStore::Send::No));
        }
        QVERIFY(!(remove ? store.removeChild(sakura) : store.clear(sakura)));
        QCOMPARE(store.waitingCount(), remove ? 1 : 2);

        QList<qint64> left;
        const QList<Child> children = store.children().value();
        for (const Child& child : children)
            left << child.id;
        const QList<qint64> kept = remove ? QList<qint64>{RecordStore::FirstChild, ken}
                                          : QList<qint64>{RecordStore::FirstChild, sakura, ken};
        QCOMPARE(left, kept);
        QCOMPARE(store.sheetCount(sakura), remove ? 0 : 1);
        QCOMPARE(store.sheetCount(RecordStore::FirstChild), 2);
        QCOMPARE(store.sheetCount(ken), 2);
        QCOMPARE(OtherConnection(path).run(u"SELECT count(*) FROM sheet_cells"_s).toInt(),
            remove ? 4 : 5);
    }

    void clearDeletesEverySheet()
    {
        RecordStore store(path);
        QVERIFY(store.open());
        for (int n = 0; n < 3; ++n)
            QVERIFY(!store.add(sheetAt(
                u"2026-12-07T08:00:00+09:00"_s, Kind::Addition, 60 + n, {{0, 0, 0, 0, 100, 0}})));
        QVERIFY(!store.clear(RecordStore::FirstChild));
        QCOMPARE(store.count(), 0);
        QVERIFY(store.facts(RecordStore::FirstChild, Kind::Addition)->isEmpty());
        QCOMPARE(OtherConnection(path).run(u"SELECT count(*) FROM sheet_cells"_s).toInt(), 0);
        QVERIFY(!store.add(sheetAt(u"2026-12-08T08:00:00+09:00"_s, Kind::Addition, 50)));
        QCOMPARE(store.count(), 1);
    }
};

QTEST_GUILESS_MAIN(RecordStoreTest)
#include "tst_record_store.moc"
