// SPDX-License-Identifier: GPL-3.0-or-later
// Classroom machines sending to a real class server (started by
// class_sending_test.sh): every sheet arrives once and in order, whether the
// server goes away mid-run and comes back or two machines send at once; a
// server that cannot be used as configured is told and keeps the sheets
// waiting; a practice lists the roster and sends as the roster's child.
#include "class/class_sender.h"
#include "drill_player.h"
#include "practice/practice.h"
#include "records/record_store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

Q_DECLARE_METATYPE(ClassProblem)

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

    ClassConfig config(const QString& passwordFile = {}) const
    {
        ClassConfig config;
        config.server = serverLink;
        config.className = u"3-1"_s;
        config.login = u"room3_1"_s;
        config.passwordFile
            = passwordFile.isEmpty() ? folder.filePath(u"class.password"_s) : passwordFile;
        config.sslMode = u"disable"_s;
        return config;
    }

    QVariant adminValue(const QString& sql)
    {
        QSqlQuery query(admin);
        if (!query.exec(sql) || !query.next())
            qWarning() << sql << query.lastError().text();
        return query.value(0);
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

    // The ids of the sheets waiting in a store, oldest first.
    static QStringList waitingIds(const RecordStore& store)
    {
        QStringList uuids;
        for (const WaitingSheet& sheet : store.waitingSheets(1000).value_or(QList<WaitingSheet>()))
            uuids << sheet.uuid;
        return uuids;
    }

    void setServerAway(bool away)
    {
        if (away) {
            QFile::remove(serverLink);
            // Connections already open are dropped as a restart would.
            adminValue(u"SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                       u"WHERE usename = 'room3_1'"_s);
        } else {
            QVERIFY(QFile::link(socketFolder, serverLink));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!socketFolder.isEmpty(), "run through class_sending_test.sh");
        serverLink = folder.filePath(u"server"_s);
        setServerAway(false);
        QFile password(folder.filePath(u"class.password"_s));
        QVERIFY(password.open(QIODevice::WriteOnly));
        password.write("secret\n");
        password.close();
        QVERIFY(password.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        admin = QSqlDatabase::addDatabase(u"QPSQL"_s, u"admin"_s);
        admin.setHostName(socketFolder);
        admin.setDatabaseName(u"varolin"_s);
        admin.setUserName(u"postgres"_s);
        QVERIFY2(admin.open(), qPrintable(admin.lastError().text()));
        hanako
            = adminValue(u"SELECT id FROM varolin.children WHERE name = 'はなこ'"_s).toLongLong();
        QVERIFY(hanako > 0);
    }

    void awayMidRunAndBack()
    {
        const QString records = folder.filePath(u"away.sqlite"_s);
        RecordStore store(records);
        QVERIFY(store.open());
        for (int minute = 0; minute < 3; ++minute)
            QVERIFY(store.add(sheetAt(minute, 60 + minute), RecordStore::FirstChild, hanako));
        QStringList uuids = waitingIds(store);
        ClassSender sender(config(), records);
        QSignalSpy waiting(&sender, &ClassSender::sheetsWaiting);
        QSignalSpy problems(&sender, &ClassSender::problem);
        sender.start();
        QTRY_COMPARE_WITH_TIMEOUT(store.waitingCount(), std::optional<int>(0), 10000);

        setServerAway(true);
        for (int minute = 3; minute < 6; ++minute)
            QVERIFY(store.add(sheetAt(minute, 60 + minute), RecordStore::FirstChild, hanako));
        uuids += waitingIds(store);
        waiting.clear();
        sender.sendWaiting();
        QTRY_VERIFY_WITH_TIMEOUT(!waiting.isEmpty(), 10000);
        QCOMPARE(waiting.last().first().toInt(), 3);
        QCOMPARE(store.waitingCount(), std::optional<int>(3));

        setServerAway(false);
        sender.sendWaiting();
        QTRY_COMPARE_WITH_TIMEOUT(store.waitingCount(), std::optional<int>(0), 10000);
        // A server that was only away is never told.
        QVERIFY(problems.isEmpty());
        QCOMPARE(uuids.size(), 6);
        QCOMPARE(received(uuids), uuids);
    }

    void twoMachinesAtOnce()
    {
        QList<QString> records;
        QList<QStringList> uuids;
        for (const QString& name : {u"one.sqlite"_s, u"two.sqlite"_s}) {
            records << folder.filePath(name);
            RecordStore store(records.last());
            QVERIFY(store.open());
            for (int minute = 0; minute < 40; ++minute)
                QVERIFY(store.add(sheetAt(minute, 90), RecordStore::FirstChild, hanako));
            uuids << waitingIds(store);
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
        for (const QStringList& machine : uuids) {
            QCOMPARE(machine.size(), 40);
            QCOMPARE(received(machine), machine);
        }
    }

    void refused_data()
    {
        QTest::addColumn<QString>("passwordFile");
        // What is done to the server first, and how it is put back.
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("undo");
        QTest::addColumn<ClassProblem>("problem");
        QTest::newRow("password file missing")
            << u"missing.password"_s << QString() << QString() << ClassProblem::PasswordFileMissing;
        QTest::newRow("password file a folder, unreadable")
            << u"folder.password"_s << QString() << QString()
            << ClassProblem::PasswordFileUnreadable;
        QTest::newRow("server layout newer than the program's")
            << QString()
            << u"UPDATE varolin.schema_version SET version = %1"_s.arg(ClassServerLayout + 1)
            << u"UPDATE varolin.schema_version SET version = %1"_s.arg(ClassServerLayout)
            << ClassProblem::NewerServer;
        QTest::newRow("sending refused to the login")
            << QString() << u"REVOKE INSERT ON varolin.sheets FROM varolin_pupil"_s
            << u"GRANT INSERT (uuid, child_id, finished_at, utc_offset, kind, seconds, "
               u"wrong_digits, record, row_operands, column_operands, cells) "
               u"ON varolin.sheets TO varolin_pupil"_s
            << ClassProblem::PrivilegeRefused;
    }

    void refused()
    {
        QFETCH(QString, passwordFile);
        QFETCH(QString, change);
        QFETCH(QString, undo);
        QFETCH(ClassProblem, problem);
        QDir(folder.path()).mkpath(u"folder.password"_s);
        const QString records = folder.filePath(u"refused.sqlite"_s);
        QFile::remove(records);
        RecordStore store(records);
        QVERIFY(store.open());
        QVERIFY(store.add(sheetAt(0, 60), RecordStore::FirstChild, hanako));
        const auto restore = qScopeGuard([&] {
            if (!undo.isEmpty())
                QSqlQuery(admin).exec(undo);
        });
        if (!change.isEmpty())
            QVERIFY(QSqlQuery(admin).exec(change));
        const int before = adminValue(u"SELECT count(*) FROM varolin.sheets"_s).toInt();
        {
            ClassSender sender(
                config(passwordFile.isEmpty() ? QString() : folder.filePath(passwordFile)),
                records);
            QSignalSpy problems(&sender, &ClassSender::problem);
            QSignalSpy waiting(&sender, &ClassSender::sheetsWaiting);
            sender.start();
            QTRY_VERIFY_WITH_TIMEOUT(!waiting.isEmpty(), 10000);
            QVERIFY(!problems.isEmpty());
            QCOMPARE(problems.first().first().value<ClassProblem>(), problem);
        }
        QCOMPARE(store.waitingCount(), std::optional<int>(1));
        QCOMPARE(adminValue(u"SELECT count(*) FROM varolin.sheets"_s).toInt(), before);
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
        QVERIFY(store.add(sheetAt(0, 60), RecordStore::FirstChild, hanako));
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

    // A machine with a class: its children are the roster, the first of it
    // at the board, and a sheet goes to the server as the roster's child.
    void practiceWithAClass()
    {
        QTemporaryDir home;
        ManualClock clock;
        Practice practice({
            .settings = {home.filePath(u"Varolin.ini"_s), true},
            .records = home.filePath(u"records.sqlite"_s),
            .seed = 7,
            .monotonic = clock.function(),
            .now = [] { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)); },
            .unsavedNote = home.filePath(u"note"_s),
            .classroom = config(),
        });
        practice.begin(QPoint(0, 0));
        QVERIFY(practice.records());
        QTRY_COMPARE_WITH_TIMEOUT(practice.children().size(), 2, 10000);
        QCOMPARE(practice.child().name, u"はなこ"_s);
        playSheet(practice.drill(), &clock);
        QTRY_COMPARE_WITH_TIMEOUT(practice.sheetsWaiting(), std::optional<int>(0), 10000);
        QCOMPARE(adminValue(
                     u"SELECT count(*) FROM varolin.sheets WHERE kind = 0 AND child_id = %1"_s.arg(
                         hanako))
                     .toInt(),
            1);
    }
};

QTEST_GUILESS_MAIN(ClassSending)
#include "class_sending_test.moc"
