// SPDX-License-Identifier: GPL-3.0-or-later
// The facts a class knows by heart, read from a real server
// (class_view_test.sh starts it), agree child by child and fact by fact
// with the same sheets judged by a machine's store; the fact every child is
// slow at is the one the class knows least; another class's children and
// kinds count nowhere; a class the login cannot see is told, not taken for
// one where nobody practises. A child's sheets copied from the server judge
// alike too.
#include "class/class_facts.h"
#include "class/class_records.h"
#include "records/record_schema.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Kind)

namespace {

QVariant adminValue(const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(QSqlDatabase::database(u"admin"_s));
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec() || !query.next())
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    return query.value(0);
}

template <typename T> std::optional<T> answerOf(const QFuture<T>& question)
{
    if (!QTest::qWaitFor([&] { return question.isFinished(); }, 20000)
        || question.resultCount() == 0)
        return {};
    return question.result();
}

// Whole sheets of `kind` as the drill draws them, answered in board order,
// a few seconds a cell and now and then a wrong digit; 7 × 8 always slow.
QList<FinishedSheet> sheetsOf(Kind kind, int count, quint32 seed, const QDateTime& first)
{
    QRandomGenerator random(seed);
    QList<FinishedSheet> sheets;
    for (int n = 0; n < count; ++n) {
        FinishedSheet& sheet = sheets.emplace_back();
        sheet.sheet = drawSheet(kind, random);
        sheet.finishedAt = first.addDays(n);
        sheet.seconds = 200;
        for (int cell = 0; cell < 100; ++cell) {
            if (!sheet.sheet.inPlay(cell))
                continue;
            const int left = sheet.sheet.left(cell);
            const int top = sheet.sheet.top(cell);
            const bool slowFact = kind == Kind::Multiplication && left == 7 && top == 8;
            sheet.cells.push_back(
                {cell, left, top, 0, slowFact ? 5000 : int(1000 + random.bounded(2200)),
                    random.bounded(25) == 0 ? 1 : 0});
        }
    }
    return sheets;
}

} // namespace

class ClassFactsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    RecordStore local{folder.filePath(u"same-sheets.sqlite"_s)};
    // Server id to the local child holding the same sheets.
    QMap<qint64, qint64> localOf;
    qint64 onlyAddition = 0;

    ClassConfig config(const QString& login) const
    {
        ClassConfig made;
        made.server = qEnvironmentVariable("PGHOST");
        made.className = u"3-1"_s;
        made.login = login;
        made.passwordFile = folder.filePath(u"password"_s);
        made.sslMode = u"disable"_s;
        return made;
    }

    qint64 child(const QString& className, const QString& name, const QList<FinishedSheet>& sheets)
    {
        const qint64 id = adminValue(u"INSERT INTO varolin.children (class_id, name) SELECT id, ? "
                                     u"FROM varolin.classes WHERE name = ? RETURNING id"_s,
            {name, className})
                              .toLongLong();
        for (const FinishedSheet& sheet : sheets) {
            const std::optional<PackedSheet> packed = pack(sheet);
            adminValue(u"INSERT INTO varolin.sheets (uuid, child_id, finished_at, utc_offset, "
                       u"kind, seconds, wrong_digits, record, row_operands, column_operands, "
                       u"cells) VALUES (gen_random_uuid(), ?, ?::timestamptz, ?, ?, ?, 0, false, "
                       u"?, ?, ?) RETURNING 1"_s,
                {id, sheet.finishedAt.toString(Qt::ISODateWithMs),
                    sheet.finishedAt.offsetFromUtc() / 60, kindNumber(sheet.kind()), sheet.seconds,
                    packed->rows, packed->columns, packed->cells});
        }
        if (className == u"3-1"_s) {
            localOf[id] = local.addChild(name).value();
            if (local.add(sheets, localOf[id]))
                qFatal("the store did not keep the sheets");
        }
        return id;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QFile password(folder.filePath(u"password"_s));
        QVERIFY(password.open(QIODevice::WriteOnly));
        password.write("unused\n");
        password.close();
        QVERIFY(password.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"admin"_s);
        db.setHostName(qEnvironmentVariable("PGHOST"));
        db.setDatabaseName(u"varolin"_s);
        db.setUserName(u"postgres"_s);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QVERIFY(local.open());

        const QDateTime november(QDate(2026, 11, 1), QTime(16, 0), QTimeZone(9 * 3600));
        // Children with more sheets than are read, fewer, and only three.
        child(u"3-1"_s, u"はなこ"_s, sheetsOf(Kind::Multiplication, 14, 1, november));
        child(u"3-1"_s, u"たろう"_s, sheetsOf(Kind::Multiplication, 5, 2, november));
        child(u"3-1"_s, u"みき"_s,
            sheetsOf(Kind::Multiplication, 3, 3, november)
                + sheetsOf(Kind::Addition, 4, 4, november.addDays(10)));
        onlyAddition = child(u"3-1"_s, u"じろう"_s, sheetsOf(Kind::Addition, 6, 5, november));
        // Another class's child counts nowhere.
        child(u"3-2"_s, u"さくら"_s, sheetsOf(Kind::Multiplication, 4, 6, november));
    }

    void asTheMachineJudges_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("practising");
        QTest::newRow("multiplication") << Kind::Multiplication << 3;
        QTest::newRow("addition") << Kind::Addition << 2;
        QTest::newRow("a kind nobody practises") << Kind::Division << 0;
    }

    void asTheMachineJudges()
    {
        QFETCH(Kind, kind);
        QFETCH(int, practising);
        ClassConnection connection(config(u"teacher_a"_s));
        const auto answer = answerOf(classFacts(connection, kind));
        QVERIFY(answer);
        QVERIFY2(answer->ok(), answer->ok() ? "" : qPrintable(failureLog(answer->failure())));
        const ClassFacts& facts = answer->value();
        QCOMPARE(facts.practising(), practising);

        std::array<int, 100> knownBy{};
        std::array<int, 100> slowBy{};
        int anyKnown = 0;
        for (auto [server, mine] : localOf.asKeyValueRange()) {
            const KnownFacts same = local.knownFacts(mine, kind).value();
            QCOMPARE(
                facts.knownOf(server), same.anyMet() ? std::optional(same.known()) : std::nullopt);
            anyKnown += same.known();
            for (int place = 0; place < same.outOf(); ++place) {
                const FactState state
                    = same.stateAt(place / same.layout().size, place % same.layout().size);
                knownBy[std::size_t(place)] += state == FactState::Known;
                slowBy[std::size_t(place)] += state == FactState::Slow;
            }
        }
        QCOMPARE(facts.knownBy, knownBy);
        QCOMPARE(facts.slowBy, slowBy);
        QCOMPARE(facts.leastKnown().size(), practising == 0 ? 0 : 10);
        if (kind == Kind::Multiplication) {
            QVERIFY(anyKnown > 0);
            QVERIFY(facts.leastKnown().contains(FactOperands{7, 8}));
            QVERIFY(!facts.knownOf(onlyAddition));
        }
    }

    void classNotSeenIsTold()
    {
        ClassConnection connection(config(u"teacher_b"_s));
        const auto answer = answerOf(classFacts(connection, Kind::Multiplication));
        QVERIFY(answer && !answer->ok());
        QCOMPARE(answer->failure().what, Failed::ClassUnknown);
    }

    // The copy a class child's records window reads judges as the store.
    void copiedSheetsJudgeAlike()
    {
        ClassConnection connection(config(u"teacher_a"_s));
        ClassRecords records(connection);
        const auto opened = answerOf(records.open());
        QVERIFY(opened && !*opened);
        for (auto [server, mine] : localOf.asKeyValueRange()) {
            const auto copied = answerOf(records.childSheets(server, {}));
            QVERIFY(copied && *copied);
            const auto held = (*copied)->reader();
            for (Kind kind : {Kind::Multiplication, Kind::Addition}) {
                QCOMPARE(held->knownFacts(server, kind), local.knownFacts(mine, kind));
                QCOMPARE(held->knownByWeek(server, kind, QDate(2026, 10, 28), 4),
                    local.knownByWeek(mine, kind, QDate(2026, 10, 28), 4));
            }
        }
    }
};

QTEST_GUILESS_MAIN(ClassFactsTest)
#include "class_facts_test.moc"
