// SPDX-License-Identifier: GPL-3.0-or-later
// A fact is known by heart when its newest three timed answers each came
// within three seconds with no wrong digit; a sheet's first answer is not
// timed. The machine's store (SQL) and sheets held in memory judge alike,
// and the weeks' counts follow the day each sheet was kept on.
#include "records/record_store.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

// One answer of 3 + 4: its time, its wrong digits, and whether it opened
// its sheet (untimed).
struct Answer
{
    int milliseconds = 1000;
    int wrong = 0;
    bool first = false;
};
constexpr FactOperands Asked{4, 3};
constexpr FactOperands Opener{0, 0};

// A sheet of addition asking 3 + 4 as `answer` says, after another fact
// unless it opens the sheet; no 3 + 4 at all without one.
FinishedSheet sheetOn(const QDateTime& at, std::optional<Answer> answer)
{
    FinishedSheet sheet;
    sheet.finishedAt = at;
    sheet.seconds = 60;
    if (!answer || !answer->first)
        sheet.cells.push_back({0, Opener.left, Opener.top, 0, 20000, 0});
    if (answer)
        sheet.cells.push_back({1, Asked.left, Asked.top, 7, answer->milliseconds, answer->wrong});
    return sheet;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<Answer>)
Q_DECLARE_METATYPE(FactState)

class KnownFactsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    int stores = 0;

private Q_SLOTS:
    void lastThreeTimedAnswers_data()
    {
        QTest::addColumn<QList<std::optional<Answer>>>("oldestFirst"); // a sheet each
        QTest::addColumn<FactState>("state");
        using A = std::optional<Answer>;
        const A quick = Answer{1000};
        QTest::newRow("three at 3.0 s: known")
            << QList<A>{Answer{3000}, Answer{3000}, Answer{3000}} << FactState::Known;
        QTest::newRow("the newest at 3.001 s: slow")
            << QList<A>{quick, quick, Answer{3001}} << FactState::Slow;
        QTest::newRow("two timed answers: met, not yet known")
            << QList<A>{quick, quick} << FactState::Met;
        QTest::newRow("a wrong digit in the oldest of the three: slow")
            << QList<A>{Answer{1000, 1}, quick, quick} << FactState::Slow;
        QTest::newRow("a slow wrong answer before the last three: known")
            << QList<A>{Answer{9000, 2}, quick, quick, quick} << FactState::Known;
        QTest::newRow("a sheet's first answer is not one of the three")
            << QList<A>{quick, quick, Answer{1000, 0, true}} << FactState::Met;
        QTest::newRow("a slow first answer of a sheet does not undo it")
            << QList<A>{quick, quick, quick, Answer{30000, 1, true}} << FactState::Known;
        QTest::newRow("met only as a first answer: met")
            << QList<A>{Answer{1000, 0, true}} << FactState::Met;
        QTest::newRow("not met yet") << QList<A>{A{}, A{}} << FactState::NotMet;
        QList<A> beyond{quick, quick, quick};
        beyond.append(QList<A>(KnownOverSheets, A{}));
        QTest::newRow("answered only before the newest sheets read: not met")
            << beyond << FactState::NotMet;
    }

    void lastThreeTimedAnswers()
    {
        QFETCH(QList<std::optional<Answer>>, oldestFirst);
        QFETCH(FactState, state);
        RecordStore store(dir.filePath(u"%1.sqlite"_s.arg(++stores)));
        QVERIFY(store.open());
        QList<FinishedSheet> sheets;
        const QDateTime start(QDate(2026, 12, 1), QTime(16, 0), QTimeZone(9 * 3600));
        for (const std::optional<Answer>& answer : oldestFirst)
            sheets.append(sheetOn(start.addSecs(60 * sheets.size()), answer));
        QVERIFY(!store.add(sheets));

        const auto stored = store.knownFacts(RecordStore::FirstChild, Kind::Addition);
        QVERIFY(stored);
        QCOMPARE(stored->state(Asked), state);
        QCOMPARE(stored->known(), state == FactState::Known ? 1 : 0);
    }

    // At the end of each week, by the day each sheet was kept on: early on
    // Monday in Tokyo is that week's, though in UTC it is still Sunday.
    void countedWeekByWeek()
    {
        RecordStore store(dir.filePath(u"weeks.sqlite"_s));
        QVERIFY(store.open());
        const QTimeZone tokyo(9 * 3600);
        const auto at = [&](int month, int day, int hour) {
            return QDateTime(QDate(2026, month, day), QTime(hour, 30), tokyo);
        };
        QVERIFY(!store.add(QList<FinishedSheet>{
            sheetOn(at(11, 30, 16), Answer{}), sheetOn(at(12, 2, 16), Answer{}),
            sheetOn(at(12, 6, 16), Answer{}), // the third quick answer: known on Sunday
            sheetOn(at(12, 7, 7), Answer{4000}), // slow on Monday morning
            sheetOn(at(12, 9, 16), Answer{}), sheetOn(at(12, 10, 16), Answer{}),
            sheetOn(at(12, 14, 16), Answer{}), // the slow one is the fourth newest
        }));
        const auto weeks
            = store.knownByWeek(RecordStore::FirstChild, Kind::Addition, QDate(2026, 11, 26), 5);
        QVERIFY(weeks);
        QStringList counts;
        for (const WeekKnown& week : *weeks)
            counts << u"%1 %2"_s.arg(week.monday.toString(Qt::ISODate)).arg(week.known);
        QCOMPARE(counts,
            (QStringList{u"2026-11-23 0"_s, u"2026-11-30 1"_s, u"2026-12-07 0"_s, u"2026-12-14 1"_s,
                u"2026-12-21 1"_s}));
    }
};

QTEST_GUILESS_MAIN(KnownFactsTest)
#include "tst_known_facts.moc"
