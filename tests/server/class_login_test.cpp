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

    // class.ini for a server on this machine's port `port`, with `more`.
    ClassConfig configFor(const QString& port, const QString& more,
        const QString& password = u"secret"_s, const QString& login = u"room3_1"_s)
    {
        const QString path = folder.filePath(u"class.ini"_s);
        QFile ini(path);
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        ini.write(u"server=localhost\nport=%1\nclass=3-1\nrole=%2\npassword_file=%3\n%4"_s
                      .arg(port, login, folder.filePath(password), more)
                      .toUtf8());
        ini.close();
        QString why;
        const auto config = readClassConfig(path, &why);
        if (!config)
            qFatal("%s", qPrintable(why));
        return *config;
    }

    static QString port(const char* which) { return qEnvironmentVariable(which); }

    static QSqlDatabase admin() { return QSqlDatabase::database(u"admin"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!port("VAROLIN_REAL_PORT").isEmpty(), "run through class_login_test.sh");
        for (const char* password : {"secret", "wrong"}) {
            QFile file(folder.filePath(QString::fromLatin1(password)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(password) + '\n');
            file.close();
            QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"admin"_s);
        db.setHostName(qEnvironmentVariable("VAROLIN_REAL_SOCKET"));
        db.setPort(port("VAROLIN_REAL_PORT").toInt());
        db.setDatabaseName(u"varolin"_s);
        db.setUserName(u"postgres"_s);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
    }

    void connecting_data()
    {
        QTest::addColumn<QString>("server"); // the environment variable of its port
        QTest::addColumn<QString>("more"); // in class.ini
        QTest::addColumn<QString>("password");
        QTest::addColumn<ClassProblem>("problem");
        const QString real = u"VAROLIN_REAL_PORT"_s;
        const QString trust = u"VAROLIN_TRUST_PORT"_s;
        const QString clear = u"VAROLIN_PASSWORD_PORT"_s;
        const QString cert = u"sslrootcert=%1\n"_s.arg(qEnvironmentVariable("VAROLIN_REAL_CERT"));
        QTest::newRow("defaults: TLS, and SCRAM bound to it")
            << real << QString() << u"secret"_s << ClassProblem::None;
        QTest::newRow("verify-full on the server's own certificate")
            << real << u"sslmode=verify-full\n"_s + cert << u"secret"_s << ClassProblem::None;
        QTest::newRow("verify-full: another certificate, no answer")
            << trust << u"sslmode=verify-full\n"_s + cert << u"secret"_s
            << ClassProblem::Unreachable;
        QTest::newRow("an impostor letting anyone in is not a connection")
            << trust << QString() << u"secret"_s << ClassProblem::LoginRefused;
        QTest::newRow("an impostor asking in clear does not get the password")
            << clear << QString() << u"secret"_s << ClassProblem::LoginRefused;
        QTest::newRow("the same impostor gets it when class.ini allows")
            << clear << u"sslmode=prefer\nchannel_binding=disable\n"_s << u"secret"_s
            << ClassProblem::None;
        QTest::newRow("a wrong password: the server answers")
            << real << QString() << u"wrong"_s << ClassProblem::LoginRefused;
        QTest::newRow("no server: away")
            << u"port 1"_s << QString() << u"secret"_s << ClassProblem::Unreachable;
    }

    void connecting()
    {
        QFETCH(QString, server);
        QFETCH(QString, more);
        QFETCH(QString, password);
        QFETCH(ClassProblem, problem);
        const ClassConfig config
            = configFor(server == u"port 1"_s ? u"1"_s : port(qPrintable(server)), more, password);
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"connecting"_s);
        const auto drop = qScopeGuard([&db] {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(u"connecting"_s);
        });
        QString detail;
        QCOMPARE(openClassConnection(db, config, &detail), problem);
        QCOMPARE(db.isOpen(), problem == ClassProblem::None);
    }

    void passwordFileModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("teacher");
        QTest::addColumn<ClassProblem>("problem");
        QTest::newRow("anyone may read it") << 0644 << false << ClassProblem::PasswordFileExposed;
        QTest::newRow("the pupils' group may read a pupil's")
            << 0640 << false << ClassProblem::None;
        QTest::newRow("the group may read a teacher's")
            << 0640 << true << ClassProblem::PasswordFileExposed;
        QTest::newRow("the teacher's alone") << 0600 << true << ClassProblem::None;
    }

    void passwordFileModes()
    {
        QFETCH(int, mode);
        QFETCH(bool, teacher);
        QFETCH(ClassProblem, problem);
        QFile::remove(folder.filePath(u"shared"_s));
        QVERIFY(QFile::copy(folder.filePath(u"secret"_s), folder.filePath(u"shared"_s)));
        QCOMPARE(chmod(QFile::encodeName(folder.filePath(u"shared"_s)).constData(), mode), 0);
        ClassConfig config = configFor(port("VAROLIN_REAL_PORT"), QString(), u"shared"_s,
            teacher ? u"tanaka"_s : u"room3_1"_s);
        config.teacher = teacher;
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"modes"_s);
        const auto drop = qScopeGuard([&db] {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(u"modes"_s);
        });
        QCOMPARE(openClassConnection(db, config), problem);
    }

    // A login may change its own defaults; the session it opens does not
    // follow them.
    void sessionPinned()
    {
        const auto reset
            = qScopeGuard([] { QSqlQuery(admin()).exec(u"ALTER ROLE room3_1 RESET ALL"_s); });
        for (const QString& setting :
            {u"row_security = off"_s, u"default_transaction_read_only = on"_s,
                u"statement_timeout = 0"_s, u"role = varolin_pupil"_s})
            QVERIFY(QSqlQuery(admin()).exec(u"ALTER ROLE room3_1 SET "_s + setting));
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"pinned"_s);
        const auto drop = qScopeGuard([&db] {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(u"pinned"_s);
        });
        QString detail;
        QCOMPARE(openClassConnection(db, configFor(port("VAROLIN_REAL_PORT"), QString()), &detail),
            ClassProblem::None);
        QSqlQuery query(db);
        QVERIFY(query.exec(u"SELECT concat_ws(' ', current_setting('row_security'), "
                           u"current_setting('default_transaction_read_only'), "
                           u"current_setting('statement_timeout'), current_user)"_s));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), u"on off 5s room3_1"_s);
    }

    // Sheets from before the server kept only what a drill makes: the
    // class view's reads of the class and of the child still answer.
    void oldImpossibleSheetsRead()
    {
        QSqlQuery insert(admin());
        QVERIFY2(insert.exec(u"INSERT INTO varolin.sheets (uuid, child_id, finished_at, "
                             u"utc_offset, kind, seconds, wrong_digits, record, row_operands, "
                             u"column_operands, cells) SELECT gen_random_uuid(), id, at, 540, 0, "
                             u"2147483647, 0, true, '\\x00010203040506070809', "
                             u"decode(repeat('01', 100), 'hex'), '' FROM varolin.children, "
                             u"unnest(ARRAY['infinity', '-infinity', '2099-01-01']::timestamptz[]) "
                             u"AS at"_s),
            qPrintable(insert.lastError().text()));
        ClassConfig config
            = configFor(port("VAROLIN_REAL_PORT"), QString(), u"secret"_s, u"tanaka"_s);
        config.teacher = true;
        ClassRecords records(config);
        QCOMPARE(records.open(), ClassProblem::None);
        QVERIFY2(records.roster(QDate(2026, 12, 9)), qPrintable(records.problemDetail()));
        QVERIFY2(records.csv(), qPrintable(records.problemDetail()));
        QSqlQuery id(u"SELECT id FROM varolin.children"_s, admin());
        QVERIFY(id.next());
        const auto reader = records.childRecords(id.value(0).toLongLong());
        const auto sheets = reader->sheets(SheetRange());
        QVERIFY2(sheets, qPrintable(records.problemDetail()));
        QCOMPARE(sheets->size(), 3);
        const auto days = reader->dailyBest(0, Kind::Addition);
        QVERIFY2(days, qPrintable(records.problemDetail()));
        for (const DayBest& day : *days)
            QVERIFY(day.day.isValid());
    }
};

QTEST_GUILESS_MAIN(ClassLogin)
#include "class_login_test.moc"
