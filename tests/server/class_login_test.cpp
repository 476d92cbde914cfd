// SPDX-License-Identifier: GPL-3.0-or-later
// A machine's login to the class server (class_login_test.sh starts the
// servers): the password goes only to the real server, whatever answers in
// its place; a refused login, a connection that cannot be made as class.ini
// asks (told, not waited out) and a server away are told apart; a password
// file others may read is refused; a login row-level security does not bind
// is never used; the session is pinned over the login's own defaults; the
// teacher's reads stay whole over sheets no drill makes.
#include "class/class_config.h"
#include "class/class_records.h"

#include <QFile>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<Failed>)

class ClassLogin : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

    // As class.ini names a server on this machine's `port`, with the lines
    // of `more` in place of those of the same key; the password file holds
    // `password` and has `mode`. Nothing when class.ini is refused.
    std::optional<ClassConfig> readConfig(const QString& port, const QString& more = {},
        const QString& password = u"secret"_s, int mode = 0600, bool teacher = false)
    {
        QFile file(folder.filePath(u"password"_s));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(password.toUtf8() + '\n');
        file.close();
        chmod(QFile::encodeName(file.fileName()).constData(), mode);
        QMap<QString, QString> keys{{u"server"_s, u"localhost"_s}, {u"port"_s, port},
            {u"class"_s, u"3-1"_s}, {u"role"_s, teacher ? u"tanaka"_s : u"room3_1"_s},
            {u"password_file"_s, file.fileName()}};
        for (const QString& line : more.split(u'\n', Qt::SkipEmptyParts))
            keys[line.section(u'=', 0, 0)] = line.section(u'=', 1);
        QFile ini(folder.filePath(u"class.ini"_s));
        ini.open(QIODevice::WriteOnly | QIODevice::Truncate);
        for (const auto& [key, value] : keys.asKeyValueRange())
            ini.write((key + u'=' + value + u'\n').toUtf8());
        ini.close();
        Outcome<ClassConfig> config = readClassConfig(ini.fileName());
        if (!config)
            return std::nullopt;
        config->teacher = teacher;
        return *config;
    }
    ClassConfig configFor(const QString& port, const QString& more = {},
        const QString& password = u"secret"_s, int mode = 0600, bool teacher = false)
    {
        return readConfig(port, more, password, mode, teacher).value_or(ClassConfig());
    }

    static QString real() { return qEnvironmentVariable("VAROLIN_REAL_PORT"); }

    static QSqlDatabase admin() { return QSqlDatabase::database(u"admin"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!real().isEmpty(), "run through class_login_test.sh");
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"admin"_s);
        db.setHostName(qEnvironmentVariable("VAROLIN_REAL_SOCKET"));
        db.setPort(real().toInt());
        db.setDatabaseName(u"varolin"_s);
        db.setUserName(u"postgres"_s);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        // Logins row-level security does not bind, let in over the socket.
        QVERIFY(QSqlQuery(db).exec(u"CREATE ROLE bypasser LOGIN BYPASSRLS IN ROLE varolin_pupil; "
                                   u"CREATE ROLE keeper LOGIN IN ROLE postgres, varolin_pupil"_s));
    }

    void connecting_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("more"); // in class.ini
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("mode"); // of the password file
        QTest::addColumn<bool>("teacher");
        QTest::addColumn<std::optional<Failed>>("problem");
        const std::optional<Failed> opens; // nothing failed
        using F = std::optional<Failed>;
        const QString trust = qEnvironmentVariable("VAROLIN_TRUST_PORT");
        const QString clear = qEnvironmentVariable("VAROLIN_PASSWORD_PORT");
        const QString verify = u"sslmode=verify-full\nsslrootcert=%1\n"_s.arg(
            qEnvironmentVariable("VAROLIN_REAL_CERT"));
        const QString secret = u"secret"_s;
        const QString socket = u"server=%1\n"_s.arg(qEnvironmentVariable("VAROLIN_REAL_SOCKET"));
        QTest::newRow("defaults: TLS, and SCRAM bound to it")
            << real() << QString() << secret << 0600 << false << opens;
        QTest::newRow("verify-full on the server's own certificate")
            << real() << verify << secret << 0600 << false << opens;
        // The connection class.ini asks for cannot be made: told, never
        // waited out as a server away.
        QTest::newRow("verify-full: a certificate of another authority")
            << trust << verify << secret << 0600 << false << F(Failed::ConnectionUnusable);
        QTest::newRow("verify-full: the authority's certificate file missing")
            << real() << u"sslmode=verify-full\nsslrootcert=/nonexistent/root.crt\n"_s << secret
            << 0600 << false << F(Failed::ConnectionUnusable);
        const QString certificates = qEnvironmentVariable("VAROLIN_CERT_FOLDER");
        QTest::newRow("a certificate login, no password file")
            << qEnvironmentVariable("VAROLIN_CERT_PORT")
            << u"sslmode=verify-full\nsslrootcert=%1/server.crt\nsslcert=%1/room.crt\n"
               u"sslkey=%1/room.key\npassword_file=\n"_s.arg(certificates)
            << secret << 0600 << false << opens;
        QTest::newRow("a certificate login without its certificate")
            << qEnvironmentVariable("VAROLIN_CERT_PORT")
            << u"sslmode=verify-full\nsslrootcert=%1/server.crt\n"_s.arg(certificates) << secret
            << 0600 << false << F(Failed::ConnectionUnusable);
        QTest::newRow("a certificate login whose key file is missing")
            << real()
            << u"sslcert=%1\nsslkey=/nonexistent/room.key\npassword_file=\n"_s.arg(
                   qEnvironmentVariable("VAROLIN_REAL_CERT"))
            << secret << 0600 << false << F(Failed::ConnectionUnusable);
        QTest::newRow("a server without TLS")
            << qEnvironmentVariable("VAROLIN_PLAIN_PORT") << QString() << secret << 0600 << false
            << F(Failed::ConnectionUnusable);
        QTest::newRow("an impostor letting anyone in is not a connection")
            << trust << QString() << secret << 0600 << false << F(Failed::ConnectionUnusable);
        QTest::newRow("an impostor asking in clear does not get the password")
            << clear << QString() << secret << 0600 << false << F(Failed::ConnectionUnusable);
        QTest::newRow("the same impostor gets it when class.ini allows")
            << clear << u"sslmode=prefer\nchannel_binding=disable\n"_s << secret << 0600 << false
            << opens;
        QTest::newRow("a wrong password: the server answers")
            << real() << QString() << u"wrong"_s << 0600 << false << F(Failed::LoginRefused);
        QTest::newRow("no server: away")
            << u"1"_s << QString() << secret << 0600 << false << F(Failed::ServerAway);
        QTest::newRow("a password file anyone may read")
            << real() << QString() << secret << 0644 << false << F(Failed::PasswordFileExposed);
        QTest::newRow("a pupil's, the pupils' group may read")
            << real() << QString() << secret << 0640 << false << opens;
        QTest::newRow("a teacher's, the group may read")
            << real() << QString() << secret << 0640 << true << F(Failed::PasswordFileExposed);
        QTest::newRow("the teacher's alone")
            << real() << QString() << secret << 0600 << true << opens;
        QTest::newRow("a teacher's on a classroom machine, the group may read")
            << real() << u"role=tanaka\n"_s << secret << 0640 << false
            << F(Failed::PasswordFileExposed);
        // Never used, before anything is sent.
        QTest::newRow("a superuser") << real() << socket + u"role=postgres\n"_s << secret << 0600
                                     << false << F(Failed::LoginTooPowerful);
        QTest::newRow("a login with BYPASSRLS") << real() << socket + u"role=bypasser\n"_s << secret
                                                << 0600 << false << F(Failed::LoginTooPowerful);
        QTest::newRow("a member of the tables' owner")
            << real() << socket + u"role=keeper\n"_s << secret << 0600 << false
            << F(Failed::LoginTooPowerful);
    }

    // libpq's TLS settings hold for every host of a list or none: a list
    // that puts a socket folder first would have them dropped for the
    // network host after it.
    void mixedServerListRefused()
    {
        const QString socket = qEnvironmentVariable("VAROLIN_REAL_SOCKET");
        QVERIFY(readConfig(real(), u"server=%1\n"_s.arg(socket)));
        QVERIFY(readConfig(real(), u"server=localhost,127.0.0.1\n"_s));
        QVERIFY(!readConfig(real(), u"server=%1,localhost\n"_s.arg(socket)));
        QVERIFY(!readConfig(real(), u"server=localhost,%1\n"_s.arg(socket)));
    }

    void connecting()
    {
        QFETCH(QString, port);
        QFETCH(QString, more);
        QFETCH(QString, password);
        QFETCH(int, mode);
        QFETCH(bool, teacher);
        QFETCH(std::optional<Failed>, problem);
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"connecting"_s);
        const auto drop = qScopeGuard([&db] {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(u"connecting"_s);
        });
        const Outcome<int> opened
            = openClassConnection(db, configFor(port, more, password, mode, teacher));
        QCOMPARE(opened ? std::nullopt : std::optional(opened.failure().what), problem);
        QCOMPARE(db.isOpen(), !problem);
    }

    // A failed question means what its SQLSTATE says; with none, the
    // server is away only when libpq has lost the connection: a driver's
    // own failure on a live one is told, never waited out for ever.
    void failedQuestion_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("lost");
        QTest::addColumn<Failed>("what");
        QTest::newRow("no SQLSTATE, connection up") << QString() << false << Failed::ServerFailed;
        QTest::newRow("no SQLSTATE, connection gone") << QString() << true << Failed::ServerAway;
        QTest::newRow("SQLSTATE unknown here") << u"XX000"_s << false << Failed::ServerFailed;
        QTest::newRow("connection failure") << u"08006"_s << false << Failed::ServerAway;
        QTest::newRow("privilege refused") << u"42501"_s << false << Failed::PrivilegeRefused;
    }

    void failedQuestion()
    {
        QFETCH(QString, state);
        QFETCH(bool, lost);
        QFETCH(Failed, what);
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"failed"_s);
        const auto drop = qScopeGuard([&db] {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(u"failed"_s);
        });
        QVERIFY(openClassConnection(db, configFor(real())));
        if (lost)
            db.close();
        const Failure failure = classFailureOf(
            QSqlError(u"driver"_s, u"its words"_s, QSqlError::StatementError, state), db);
        QCOMPARE(failure.what, what);
        QCOMPARE(failure.state, state);
        QVERIFY(failure.detail.contains(u"its words"_s));
    }

    // The login's own defaults, which it may change itself, do not unpin
    // the session: nor end it when idle or at a failed statement.
    void sessionPinned()
    {
        const auto reset
            = qScopeGuard([] { QSqlQuery(u"ALTER ROLE room3_1 RESET ALL"_s, admin()); });
        QVERIFY(QSqlQuery(admin()).exec(
            u"ALTER ROLE room3_1 SET row_security = off; ALTER ROLE room3_1 SET role = "
            u"varolin_pupil; ALTER ROLE room3_1 SET default_transaction_read_only = on; "
            u"ALTER ROLE room3_1 SET idle_session_timeout = '1ms'; "
            u"ALTER ROLE room3_1 SET idle_in_transaction_session_timeout = '1ms'; "
            u"ALTER ROLE room3_1 SET exit_on_error = on; "
            u"ALTER ROLE room3_1 SET lock_timeout = '1d'; "
            u"ALTER ROLE room3_1 SET synchronous_commit = off; "
            u"ALTER ROLE room3_1 SET default_transaction_isolation = serializable; "
            u"ALTER ROLE room3_1 SET search_path = public, pg_catalog"_s));
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"pinned"_s);
        const auto drop = qScopeGuard([&db] {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(u"pinned"_s);
        });
        QVERIFY(openClassConnection(db, configFor(real())));
        QSqlQuery query(u"SELECT concat_ws(' ', current_setting('row_security'), "
                        u"current_setting('default_transaction_read_only'), "
                        u"current_setting('statement_timeout'), current_user, "
                        u"current_setting('idle_session_timeout'), "
                        u"current_setting('idle_in_transaction_session_timeout'), "
                        u"current_setting('exit_on_error'), current_setting('lock_timeout'), "
                        u"current_setting('synchronous_commit'), "
                        u"current_setting('default_transaction_isolation'), "
                        u"current_setting('search_path'), pg_backend_pid())"_s,
            db);
        QVERIFY(query.next());
        const QString pid = query.value(0).toString().section(u' ', -1);
        QCOMPARE(query.value(0).toString().section(u' ', 0, -2),
            u"on off 5s room3_1 0 1min off 2s on read committed pg_catalog"_s);
        query = QSqlQuery(db);
        // Idle, then a failed statement: the same session goes on.
        QTest::qWait(50);
        QVERIFY(!query.exec(u"SELECT 1 / 0"_s));
        QTest::qWait(50);
        QVERIFY2(query.exec(u"SELECT pg_backend_pid()"_s) && query.next(),
            qPrintable(query.lastError().text()));
        QCOMPARE(query.value(0).toString(), pid);
    }

    // Sheets from before the server kept only what a drill makes: the
    // teacher's reads of the class and of the child still answer.
    void oldImpossibleSheetsRead()
    {
        QSqlQuery insert(admin());
        QVERIFY2(insert.exec(u"INSERT INTO varolin.sheets (uuid, child_id, finished_at, "
                             u"utc_offset, kind, seconds, wrong_digits, record, row_operands, "
                             u"column_operands, cells) SELECT gen_random_uuid(), id, at, 540, 0, "
                             u"2147483647, 0, true, '\\x00010203040506070809', "
                             u"decode(repeat('01', 100), 'hex'), '' FROM varolin.children, "
                             u"unnest('{infinity,-infinity,2099-01-01}'::timestamptz[]) at "
                             u"RETURNING child_id"_s)
                && insert.next(),
            qPrintable(insert.lastError().text()));
        ClassConnection connection(configFor(real(), {}, u"secret"_s, 0600, true));
        ClassRecords records(connection);
        const auto answer = [](const auto& question) {
            const bool came = QTest::qWaitFor([&] { return question.isFinished(); }, 20000);
            using Answer = decltype(question.result());
            return came && question.resultCount()
                ? question.result()
                : Answer(Failure{Failed::ServerAway, {}, u"no answer came"_s});
        };
        QVERIFY(!answer(records.open()));
        const auto why
            = [](const auto& answer) { return answer ? QString() : failureLog(answer.failure()); };
        const auto roster = answer(records.roster(QDate(2026, 12, 9)));
        QVERIFY2(roster, qPrintable(why(roster)));
        const auto csv = answer(records.csv());
        QVERIFY2(csv, qPrintable(why(csv)));
        const auto copied = answer(records.childSheets(insert.value(0).toLongLong(), u"x"_s));
        QVERIFY2(copied, qPrintable(why(copied)));
        const auto child = copied->reader();
        QVERIFY(child);
        QCOMPARE(child->sheets(SheetRange()).value_or(QList<StoredSheet>()).size(), 3);
        const auto days = child->dailyBest(0, Kind::Addition);
        QVERIFY(days);
        for (const DayBest& day : *days)
            QVERIFY(day.day.isValid());
    }
};

QTEST_GUILESS_MAIN(ClassLogin)
#include "class_login_test.moc"
