// SPDX-License-Identifier: GPL-3.0-or-later
// Classroom machines sending to a real class server (started by
// class_sending_test.sh, answering in Japanese): every sheet arrives once
// and in the order it was done, whether the server goes away mid-run, drops
// the connection or two machines send at once; a server that refuses, for
// whatever reason and in whatever words, keeps the sheets waiting and is
// told; a sheet of a child taken off the roster stays on the machine, holds
// up nothing, and goes once the child is back; a practice's children change
// between sheets only.
#include "class/class_sender.h"
#include "drill_player.h"
#include "practice/class_link.h"
#include "practice/machine_practice.h"
#include "practice/practice.h"
#include "records/record_store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Failed)

namespace {

FinishedSheet sheetAt(int minute, int seconds)
{
    FinishedSheet sheet;
    sheet.sheet.kind = Kind::Multiplication;
    sheet.seconds = seconds;
    sheet.finishedAt = QDateTime::fromString(
        u"2026-12-07T08:%1:00+09:00"_s.arg(minute, 2, 10, QChar(u'0')), Qt::ISODate);
    // The whole nine-by-nine board, as the server keeps only such sheets.
    for (int cell = 0; cell < 89; cell += cell % 10 == 8 ? 2 : 1)
        sheet.cells.push_back({cell, 3, 4, 12, 1500, 1});
    return sheet;
}

// Mode 0600, as a password file must be.
void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
}

// A store's sheet ids in the order stored, read from the sheets, not the queue.
// The answer of `statement` on the records database, one value a row.
QStringList onRecords(const QString& records, const QString& statement)
{
    QStringList values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"stored"_s);
        db.setDatabaseName(records);
        for (QSqlQuery query(db.open() ? statement : QString(), db); query.next();)
            values << query.value(0).toString();
    }
    QSqlDatabase::removeDatabase(u"stored"_s);
    return values;
}

QStringList storedIds(const QString& records)
{
    return onRecords(records, u"SELECT uuid FROM sheets ORDER BY id"_s);
}

// A classroom machine's practice on the files of `home`, its clock moved by
// the test, the day as `now` says.
PracticeSetup onMachine(const QTemporaryDir& home, const QString& records, ManualClock& clock,
    const ClassConfig& classroom, const QDateTime& now = QDateTime(QDate(2026, 12, 7), QTime(9, 0)))
{
    return {
        .settings = {home.filePath(u"Varolin.ini"_s), true},
        .records = records,
        .seed = 7,
        .monotonic = clock.function(),
        .now = [now] { return now; },
        .unsavedNote = home.filePath(u"note"_s),
        .classroom = classroom,
    };
}

} // namespace

class ClassSending : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QString socketFolder = qEnvironmentVariable("VAROLIN_TEST_PGHOST");
    // The machines reach the server through this link: taken away, the
    // server is away.
    QString serverLink;
    QSqlDatabase admin;
    qint64 hanako = 0;
    int serverLayout = 0; // as the script made it

    // Read from a class.ini, as a machine reads it.
    ClassConfig config(const QString& passwordFile = {}, const QString& login = u"room3_1"_s)
    {
        const QString ini = folder.filePath(u"class.ini"_s);
        writeFile(ini,
            u"server=%1\nclass=3-1\nrole=%2\npassword_file=%3\nsslmode=disable\n"
            u"channel_binding=disable\n"_s
                .arg(serverLink, login,
                    folder.filePath(passwordFile.isEmpty() ? u"class.password"_s : passwordFile))
                .toUtf8());
        return readClassConfig(ini).value();
    }

    QVariant adminValue(const QString& sql)
    {
        QSqlQuery query(admin);
        if (!query.exec(sql) || !query.next())
            qWarning() << sql << query.lastError().text();
        return query.value(0);
    }

    bool adminRun(const QString& sql)
    {
        QSqlQuery query(admin);
        if (sql.isEmpty() || query.exec(sql))
            return true;
        qWarning() << sql << query.lastError().text();
        return false;
    }

    // The store's child that is the roster's `name`, once a roster read
    // was kept.
    qint64 pupil(RecordStore& store, const QString& name)
    {
        QList<RosterChild> roster;
        for (QSqlQuery query(u"SELECT id, name FROM varolin.children ORDER BY id"_s, admin);
             query.next();)
            roster.append({query.value(0).toLongLong(), query.value(1).toString()});
        if (store.keepRoster(u"3-1"_s, roster))
            return 0;
        const QList<Child> children = store.rosterChildren(u"3-1"_s).value();
        for (const Child& child : children)
            if (child.name == name)
                return child.id;
        return 0;
    }

    // The sheets of `uuids` the server has, in the order it received them.
    QStringList received(const QStringList& uuids)
    {
        QStringList found;
        QSqlQuery query(admin);
        query.exec(u"SELECT uuid::text FROM varolin.sheets ORDER BY received_at, uuid"_s);
        while (query.next()) {
            if (uuids.contains(query.value(0).toString()))
                found << query.value(0).toString();
        }
        return found;
    }

    void setServerAway(bool away)
    {
        if (away) {
            QFile::remove(serverLink);
            dropConnections();
        } else {
            QVERIFY(QFile::link(socketFolder, serverLink));
        }
    }

    // As a restart of the server would.
    void dropConnections()
    {
        adminRun(u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                 u"WHERE usename LIKE 'room3_1%'"_s);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!socketFolder.isEmpty(), "run through class_sending_test.sh");
        serverLink = folder.filePath(u"server"_s);
        setServerAway(false);
        writeFile(folder.filePath(u"class.password"_s), "secret\n");
        writeFile(folder.filePath(u"wrong.password"_s), "not the password\n");
        admin = QSqlDatabase::addDatabase(u"QPSQL"_s, u"admin"_s);
        admin.setHostName(socketFolder);
        admin.setDatabaseName(u"varolin"_s);
        admin.setUserName(u"postgres"_s);
        QVERIFY2(admin.open(), qPrintable(admin.lastError().text()));
        // Every refusal below is worded in Japanese.
        QCOMPARE(adminValue(u"SHOW lc_messages"_s).toString(), u"ja_JP.UTF-8"_s);
        hanako
            = adminValue(u"SELECT id FROM varolin.children WHERE name = 'はなこ'"_s).toLongLong();
        QVERIFY(hanako > 0);
        serverLayout = adminValue(u"SELECT version FROM varolin.schema_version"_s).toInt();
    }

    void awayMidRunAndBack()
    {
        const QString records = folder.filePath(u"away.sqlite"_s);
        RecordStore store(records);
        QVERIFY(store.open());
        const qint64 child = pupil(store, u"はなこ"_s);
        for (int minute = 0; minute < 3; ++minute)
            QVERIFY(!store.add(sheetAt(minute, 60 + minute), child, RecordStore::Send::ToClass));
        ClassSender sender(config(), records);
        QSignalSpy waiting(&sender, &ClassSender::sheetsWaiting);
        QSignalSpy problems(&sender, &ClassSender::problem);
        sender.start();
        QTRY_COMPARE_WITH_TIMEOUT(store.waitingCount(), std::optional<int>(0), 10000);

        setServerAway(true);
        for (int minute = 3; minute < 6; ++minute)
            QVERIFY(!store.add(sheetAt(minute, 60 + minute), child, RecordStore::Send::ToClass));
        waiting.clear();
        sender.sendWaiting();
        QTRY_VERIFY_WITH_TIMEOUT(!waiting.isEmpty(), 10000);
        QCOMPARE(waiting.last().first().toInt(), 3);
        QCOMPARE(store.waitingCount(), std::optional<int>(3));

        setServerAway(false);
        sender.sendWaiting();
        QTRY_COMPARE_WITH_TIMEOUT(store.waitingCount(), std::optional<int>(0), 10000);

        // The server dropped the connection kept from the last send: a new
        // one is made at once, not at the next retry minutes later.
        dropConnections();
        QVERIFY(!store.add(sheetAt(6, 66), child, RecordStore::Send::ToClass));
        sender.sendWaiting();
        QTRY_COMPARE_WITH_TIMEOUT(store.waitingCount(), std::optional<int>(0), 10000);
        // A sheet the server has, whose answer was lost on its way back,
        // waits again: sent once more, it leaves the queue and is kept once.
        onRecords(records, u"INSERT INTO outbox (sheet_id) SELECT min(id) FROM sheets"_s);
        QCOMPARE(store.waitingCount(), std::optional<int>(1));
        sender.sendWaiting();
        QTRY_COMPARE_WITH_TIMEOUT(store.waitingCount(), std::optional<int>(0), 10000);
        // A server that was only away is never told.
        QVERIFY(problems.isEmpty());
        const QStringList uuids = storedIds(records);
        QCOMPARE(uuids.size(), 7);
        QCOMPARE(received(uuids), uuids);
    }

    void twoMachinesAtOnce()
    {
        QList<QString> records;
        for (const QString& name : {u"one.sqlite"_s, u"two.sqlite"_s}) {
            records << folder.filePath(name);
            RecordStore store(records.last());
            QVERIFY(store.open());
            const qint64 child = pupil(store, u"はなこ"_s);
            for (int minute = 0; minute < 40; ++minute)
                QVERIFY(!store.add(sheetAt(minute, 90), child, RecordStore::Send::ToClass));
        }
        {
            ClassSender one(config(), records[0]);
            ClassSender two(config(), records[1]);
            QSignalSpy doneOne(&one, &ClassSender::sheetsWaiting);
            QSignalSpy doneTwo(&two, &ClassSender::sheetsWaiting);
            one.start();
            two.start();
            QTRY_VERIFY_WITH_TIMEOUT(!doneOne.isEmpty() && !doneTwo.isEmpty(), 20000);
            QCOMPARE(doneOne.last().first().toInt(), 0);
            QCOMPARE(doneTwo.last().first().toInt(), 0);
        }
        for (const QString& machine : records) {
            const QStringList uuids = storedIds(machine);
            QCOMPARE(uuids.size(), 40);
            QCOMPARE(received(uuids), uuids);
        }
    }

    // A practice whose server will not have it, for reasons of the server's
    // own or of this machine's, on a machine that read its roster in an
    // earlier run or never did: the sheet waits, the child is told why, no
    // count says that everything was sent, and once the server is put right
    // the next sheet takes it along.
    void refused_data()
    {
        QTest::addColumn<QString>("passwordFile");
        QTest::addColumn<QString>("login");
        QTest::addColumn<bool>("rosterBefore");
        // What is done to the server first, and what puts it right.
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("undo");
        QTest::addColumn<Failed>("problem");
        // Sent at once instead where the session is pinned when it opens.
        QTest::addColumn<bool>("pinnable");
        const QString room = u"room3_1"_s;
        const QString grant = u"GRANT INSERT (uuid, child_id, finished_at, utc_offset, kind, "
                              u"seconds, wrong_digits, record, row_operands, column_operands, "
                              u"cells) ON varolin.sheets TO varolin_pupil"_s;
        QTest::newRow("password file missing") << u"missing.password"_s << room << true << QString()
                                               << QString() << Failed::PasswordFileMissing << false;
        QTest::newRow("password file a folder, unreadable")
            << u"folder.password"_s << room << true << QString() << QString()
            << Failed::PasswordFileUnreadable << false;
        QTest::newRow("wrong password, roster read before")
            << u"wrong.password"_s << room << true << QString() << QString() << Failed::LoginRefused
            << false;
        QTest::newRow("wrong password, roster never read")
            << u"wrong.password"_s << room << false << QString() << QString()
            << Failed::LoginRefused << false;
        QTest::newRow("server layout newer than the program's")
            << QString() << room << true
            << u"UPDATE varolin.schema_version SET version = %1"_s.arg(ClassServerLayout + 1)
            << u"UPDATE varolin.schema_version SET version = %1"_s.arg(serverLayout)
            << Failed::NewerServer << false;
        QTest::newRow("sending refused to the pupils")
            << QString() << room << true << u"REVOKE INSERT ON varolin.sheets FROM varolin_pupil"_s
            << grant << Failed::PrivilegeRefused << false;
        // Every insert refused by row-level security, by the login's own
        // defaults (unless the session is pinned when it opens).
        QTest::newRow("row security off pinned for the login")
            << QString() << room << true << u"ALTER ROLE room3_1 SET row_security = off"_s
            << u"ALTER ROLE room3_1 RESET row_security"_s << Failed::PrivilegeRefused << true;
        // A default the pupils' shared login gave itself to end every
        // machine's session at once: pinned, the sheet arrives.
        QTest::newRow("the login's idle_session_timeout pinned")
            << QString() << room << true << u"ALTER ROLE room3_1 SET idle_session_timeout = 1"_s
            << u"ALTER ROLE room3_1 RESET idle_session_timeout"_s << Failed::ServerAway << true;
        // Renamed first, as the administrators are told, and its classes
        // given to the new name after.
        QTest::newRow("login renamed before its class_logins row")
            << QString() << u"room3_1_new"_s << true
            << u"ALTER ROLE room3_1 RENAME TO room3_1_new"_s
            << u"INSERT INTO varolin.class_logins SELECT 'room3_1_new', class_id "
               u"FROM varolin.class_logins WHERE login = 'room3_1'"_s
            << Failed::PrivilegeRefused << false;
    }

    void refused()
    {
        QFETCH(QString, passwordFile);
        QFETCH(QString, login);
        QFETCH(bool, rosterBefore);
        QFETCH(QString, change);
        QFETCH(QString, undo);
        QFETCH(Failed, problem);
        QFETCH(bool, pinnable);
        QDir(folder.path()).mkpath(u"folder.password"_s);
        QTemporaryDir home;
        const QString records = home.filePath(u"records.sqlite"_s);
        if (rosterBefore) {
            RecordStore store(records);
            QVERIFY(store.open());
            QVERIFY(!store.setLastChild(pupil(store, u"はなこ"_s)));
        }
        const auto restore = qScopeGuard([&] {
            adminRun(undo);
            if (login != u"room3_1"_s)
                adminRun(u"ALTER ROLE room3_1_new RENAME TO room3_1"_s)
                    && adminRun(u"DELETE FROM varolin.class_logins WHERE login = 'room3_1_new'"_s);
        });
        QVERIFY(adminRun(change));
        const int before = adminValue(u"SELECT count(*) FROM varolin.sheets"_s).toInt();
        std::optional<Failed> told;
        {
            ManualClock clock;
            MachinePractice machine(onMachine(home, records, clock, config(passwordFile, login)));
            Practice& practice = machine.practice();
            connect(&practice, &Practice::failed, this, [&told](const Failure& failure) {
                // Why the server refused; the roster it may not give is
                // another matter.
                if (failure.what != Failed::ClassUnknown && failure.what != Failed::SheetsRefused)
                    told = failure.what;
            });
            QVERIFY(practice.openRecords());
            playSheet(practice.drill(), &clock);
            practice.verdictRead();
            const auto sent = [&] {
                return adminValue(u"SELECT count(*) FROM varolin.sheets"_s).toInt() - before;
            };
            if (pinnable) {
                // Pinned as the session opens, the login's own default does
                // not hold: the sheet arrives and nothing is told.
                QTRY_COMPARE_WITH_TIMEOUT(sent(), 1, 10000);
                QCOMPARE(told, std::nullopt);
                return;
            }
            QTRY_VERIFY_WITH_TIMEOUT(told.has_value(), 10000);
            QCOMPARE(told, std::optional<Failed>(problem));
            QTRY_COMPARE_WITH_TIMEOUT(practice.sheetsWaiting(), std::optional<int>(1), 10000);
            QCOMPARE(sent(), 0);
            if (undo.isEmpty())
                return;
            QVERIFY(adminRun(undo));
            playSheet(practice.drill(), &clock);
            practice.verdictRead();
            QTRY_COMPARE_WITH_TIMEOUT(practice.sheetsWaiting(), std::optional<int>(0), 10000);
        }
        QCOMPARE(received(storedIds(records)).size(), 2);
    }

    // A sheet that has waited longer than a school day is shown on the
    // board until it is sent.
    void lateSheetShown_data()
    {
        QTest::addColumn<int>("hours"); // since the sheet was finished
        QTest::addColumn<bool>("shown");
        QTest::newRow("a day and an hour: shown until sent") << 25 << true;
        QTest::newRow("23 hours: not yet") << 23 << false;
    }

    void lateSheetShown()
    {
        QFETCH(int, hours);
        QFETCH(bool, shown);
        QTemporaryDir home;
        const QString records = home.filePath(u"records.sqlite"_s);
        const QDateTime now(QDate(2026, 12, 7), QTime(9, 0));
        FinishedSheet waited = sheetAt(0, 60);
        waited.finishedAt = now.addSecs(-hours * 3600);
        {
            RecordStore store(records);
            QVERIFY(store.open());
            QVERIFY(!store.add(waited, pupil(store, u"はなこ"_s), RecordStore::Send::ToClass));
        }
        setServerAway(true);
        const auto back = qScopeGuard([this] {
            if (!QFileInfo::exists(serverLink))
                setServerAway(false);
        });
        ManualClock clock;
        MachinePractice machine(onMachine(home, records, clock, config(), now));
        Practice& practice = machine.practice();
        QVERIFY(practice.openRecords());
        QCOMPARE(practice.sheetsWaiting(), std::optional<int>(1));
        QCOMPARE(practice.lateSince(), shown ? waited.finishedAt : QDateTime());
        if (!shown)
            return;
        setServerAway(false);
        playSheet(practice.drill(), &clock);
        practice.verdictRead();
        QTRY_COMPARE_WITH_TIMEOUT(practice.sheetsWaiting(), std::optional<int>(0), 10000);
        QCOMPARE(practice.lateSince(), QDateTime());
    }

    // A child taken off the roster: their sheet is refused for good, kept
    // on the machine and told once, the sheets after it arrive; added again
    // (the server gives them a new id), they have their sheet sent.
    void childOffTheRoster()
    {
        const QString records = folder.filePath(u"off.sqlite"_s);
        RecordStore store(records);
        QVERIFY(store.open());
        const qint64 hana = pupil(store, u"はなこ"_s);
        const qint64 taro = pupil(store, u"たろう"_s);
        QVERIFY(!store.add(sheetAt(0, 60), hana, RecordStore::Send::ToClass));
        QVERIFY(!store.add(sheetAt(1, 61), taro, RecordStore::Send::ToClass));
        QVERIFY(!store.add(sheetAt(2, 62), hana, RecordStore::Send::ToClass));
        const QStringList uuids = storedIds(records);
        QVERIFY(adminRun(u"DELETE FROM varolin.children WHERE name = 'たろう'"_s));

        // As the practice does with every roster read.
        const auto keepRosters = [&](ClassSender& each) {
            connect(&each, &ClassSender::rosterRead, this,
                [&store, &each](const QList<RosterChild>& roster) {
                    QVERIFY(!store.keepRoster(u"3-1"_s, roster));
                    each.sendWaiting();
                });
        };
        auto first = std::make_unique<ClassSender>(config(), records);
        ClassSender& sender = *first;
        QSignalSpy waiting(&sender, &ClassSender::sheetsWaiting);
        QSignalSpy refused(&sender, &ClassSender::sheetsRefused);
        keepRosters(sender);
        sender.start();
        QTRY_COMPARE_WITH_TIMEOUT(received(uuids), (QStringList{uuids[0], uuids[2]}), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(refused.size(), 1, 10000);
        QCOMPARE(refused.first().first().toInt(), 1);
        // Another try passes it by, untold.
        waiting.clear();
        sender.sendWaiting();
        QTRY_VERIFY_WITH_TIMEOUT(!waiting.isEmpty(), 10000);
        QCOMPARE(waiting.last().first().toInt(), 1);
        QCOMPARE(refused.size(), 1);
        QCOMPARE(store.sheetCount(taro), 1);

        QVERIFY(adminRun(u"INSERT INTO varolin.children (class_id, name) "
                         u"SELECT id, 'たろう' FROM varolin.classes WHERE name = '3-1'"_s));
        // The next run's sender reads the roster as it starts.
        first.reset();
        ClassSender next(config(), records);
        keepRosters(next);
        next.start();
        QTRY_COMPARE_WITH_TIMEOUT(store.waitingCount(), std::optional<int>(0), 10000);
        QCOMPARE(received(uuids).size(), 3);
    }

    // A server that takes the connection and never answers holds the
    // sender for the connection's timeout at most: the program's end does
    // not hang on it, and the sheet still waits.
    void endingWhileTheServerIsSilent()
    {
        QTemporaryDir silentFolder;
        const int silent = socket(AF_UNIX, SOCK_STREAM, 0);
        const auto closeSilent = qScopeGuard([silent] { close(silent); });
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(silentFolder.filePath(u".s.PGSQL.5432"_s)),
            sizeof address.sun_path);
        QVERIFY(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        QVERIFY(listen(silent, 4) == 0);
        const QString records = folder.filePath(u"silent.sqlite"_s);
        RecordStore store(records);
        QVERIFY(store.open());
        QVERIFY(!store.add(sheetAt(0, 60), pupil(store, u"はなこ"_s), RecordStore::Send::ToClass));
        ClassConfig silentServer = config();
        silentServer.server = silentFolder.path();
        QElapsedTimer ending;
        {
            ClassSender sender(silentServer, records);
            sender.start();
            QTest::qWait(300);
            ending.start();
        }
        QVERIFY2(ending.elapsed() < 6000, qPrintable(QString::number(ending.elapsed())));
        QCOMPARE(store.waitingCount(), std::optional<int>(1));
    }

    // A machine with a class: its children are the roster, read while the
    // first child is in a sheet. That sheet ends as the first child's and
    // waits for the class (the first child is on no roster); the roster
    // comes after it, and a sheet of the roster's child goes to the server.
    void practiceWithAClass()
    {
        QTemporaryDir home;
        ManualClock clock;
        MachinePractice machine(
            onMachine(home, home.filePath(u"records.sqlite"_s), clock, config()));
        Practice& practice = machine.practice();
        const QString sent
            = u"SELECT count(*) FROM varolin.sheets WHERE kind = 0 AND child_id = %1"_s.arg(hanako);
        const int before = adminValue(sent).toInt();
        QSignalSpy rosterRead(machine.link(), &ClassLink::rosterRead);
        QCOMPARE(practice.startSheet(), Practice::Start::Started);
        // The roster came during the sheet, and waits for its end.
        QTRY_VERIFY_WITH_TIMEOUT(!rosterRead.isEmpty(), 10000);
        QCOMPARE(practice.children().size(), 1);
        playSheet(practice.drill(), &clock);
        practice.verdictRead();
        QTRY_COMPARE_WITH_TIMEOUT(practice.children().size(), 2, 10000);
        QCOMPARE(practice.child().name, u"はなこ"_s);
        QCOMPARE(practice.sheetCount(RecordStore::FirstChild), 1);
        playSheet(practice.drill(), &clock);
        practice.verdictRead();
        QTRY_COMPARE_WITH_TIMEOUT(adminValue(sent).toInt(), before + 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(practice.sheetsWaiting(), std::optional<int>(1), 10000);
    }
};

QTEST_GUILESS_MAIN(ClassSending)
#include "class_sending_test.moc"
