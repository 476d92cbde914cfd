// SPDX-License-Identifier: GPL-3.0-or-later
// A machine's login to the class server (class_login_test.sh starts the
// servers): the password goes only to the real server, whatever answers in
// its place; a refused login and a server away are told apart; a password
// file others may read is refused; the session is pinned over the login's
// own defaults; the teacher's reads stay whole over sheets no drill makes.
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

Q_DECLARE_METATYPE(ClassProblem)

class ClassLogin : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

    // As class.ini names a server on this machine's `port`, with `more`;
    // the password file holds `password` and has `mode`.
    ClassConfig configFor(const QString& port, const QString& more = {},
        const QString& password = u"secret"_s, int mode = 0600, bool teacher = false)
    {
        QFile file(folder.filePath(u"password"_s));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(password.toUtf8() + '\n');
        file.close();
        chmod(QFile::encodeName(file.fileName()).constData(), mode);
        QFile ini(folder.filePath(u"class.ini"_s));
        ini.open(QIODevice::WriteOnly | QIODevice::Truncate);
        ini.write(u"server=localhost\nport=%1\nclass=3-1\nrole=%2\npassword_file=%3\n%4"_s
                      .arg(port, teacher ? u"tanaka"_s : u"room3_1"_s, file.fileName(), more)
                      .toUtf8());
        ini.close();
        ClassConfig config = readClassConfig(ini.fileName()).value_or(ClassConfig());
        config.teacher = teacher;
        return config;
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
    }

    void connecting_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("more"); // in class.ini
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("mode"); // of the password file
        QTest::addColumn<bool>("teacher");
        QTest::addColumn<ClassProblem>("problem");
        const QString trust = qEnvironmentVariable("VAROLIN_TRUST_PORT");
        const QString clear = qEnvironmentVariable("VAROLIN_PASSWORD_PORT");
        const QString verify = u"sslmode=verify-full\nsslrootcert=%1\n"_s.arg(
            qEnvironmentVariable("VAROLIN_REAL_CERT"));
        const QString secret = u"secret"_s;
        QTest::newRow("defaults: TLS, and SCRAM bound to it")
            << real() << QString() << secret << 0600 << false << ClassProblem::None;
        QTest::newRow("verify-full on the server's own certificate")
            << real() << verify << secret << 0600 << false << ClassProblem::None;
        QTest::newRow("verify-full: another certificate, no answer")
            << trust << verify << secret << 0600 << false << ClassProblem::Unreachable;
        QTest::newRow("an impostor letting anyone in is not a connection")
            << trust << QString() << secret << 0600 << false << ClassProblem::LoginRefused;
        QTest::newRow("an impostor asking in clear does not get the password")
            << clear << QString() << secret << 0600 << false << ClassProblem::LoginRefused;
        QTest::newRow("the same impostor gets it when class.ini allows")
            << clear << u"sslmode=prefer\nchannel_binding=disable\n"_s << secret << 0600 << false
            << ClassProblem::None;
        QTest::newRow("a wrong password: the server answers")
            << real() << QString() << u"wrong"_s << 0600 << false << ClassProblem::LoginRefused;
        QTest::newRow("no server: away")
            << u"1"_s << QString() << secret << 0600 << false << ClassProblem::Unreachable;
        QTest::newRow("a password file anyone may read")
            << real() << QString() << secret << 0644 << false << ClassProblem::PasswordFileExposed;
        QTest::newRow("a pupil's, the pupils' group may read")
            << real() << QString() << secret << 0640 << false << ClassProblem::None;
        QTest::newRow("a teacher's, the group may read")
            << real() << QString() << secret << 0640 << true << ClassProblem::PasswordFileExposed;
        QTest::newRow("the teacher's alone")
            << real() << QString() << secret << 0600 << true << ClassProblem::None;
    }

    void connecting()
    {
        QFETCH(QString, port);
        QFETCH(QString, more);
        QFETCH(QString, password);
        QFETCH(int, mode);
        QFETCH(bool, teacher);
        QFETCH(ClassProblem, problem);
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"connecting"_s);
        const auto drop = qScopeGuard([&db] {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(u"connecting"_s);
        });
        QCOMPARE(openClassConnection(db, configFor(port, more, password, mode, teacher)), problem);
        QCOMPARE(db.isOpen(), problem == ClassProblem::None);
    }

    // The login's own defaults, which it may change itself, do not unpin
    // the session.
    void sessionPinned()
    {
        const auto reset
            = qScopeGuard([] { QSqlQuery(u"ALTER ROLE room3_1 RESET ALL"_s, admin()); });
        QVERIFY(QSqlQuery(admin()).exec(
            u"ALTER ROLE room3_1 SET row_security = off; ALTER ROLE room3_1 SET role = "
            u"varolin_pupil; ALTER ROLE room3_1 SET default_transaction_read_only = on"_s));
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"pinned"_s);
        const auto drop = qScopeGuard([&db] {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(u"pinned"_s);
        });
        QCOMPARE(openClassConnection(db, configFor(real())), ClassProblem::None);
        QSqlQuery query(u"SELECT concat_ws(' ', current_setting('row_security'), "
                        u"current_setting('default_transaction_read_only'), "
                        u"current_setting('statement_timeout'), current_user)"_s,
            db);
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), u"on off 5s room3_1"_s);
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
            return came && question.resultCount() ? question.result()
                                                  : decltype(question.result())();
        };
        QVERIFY(answer(records.open()));
        const auto roster = answer(records.roster(QDate(2026, 12, 9)));
        QVERIFY2(roster, qPrintable(roster.detail));
        const auto csv = answer(records.csv());
        QVERIFY2(csv, qPrintable(csv.detail));
        const auto copied = answer(records.childSheets(insert.value(0).toLongLong(), u"x"_s));
        QVERIFY2(copied, qPrintable(copied.detail));
        const auto child = copied.value->reader();
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
