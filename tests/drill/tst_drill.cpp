// SPDX-License-Identifier: GPL-3.0-or-later
// The drill core with no window and no real clock: every typed character is
// judged against the sheet's operands, a right answer opens the next cell, the
// last one finishes the sheet with its time and how each answer went, and the
// elapsed time is wall time less the time paused, whatever the timer did.
#include "drill/drill.h"
#include "drill_player.h"

#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A sheet whose first cell asks for `answer`: 0 + answer.
Sheet sheetAsking(int answer)
{
    Sheet sheet;
    sheet.kind = Kind::Addition;
    for (int i = 0; i < 10; ++i) {
        sheet.rows[i] = i;
        sheet.columns[i].fill(1);
        sheet.columns[i][0] = answer;
    }
    return sheet;
}

// A sheet asking 14 in its first cell, started, its tens digit typed, and
// the stop question open.
void stopWithTensHeld(Drill& drill)
{
    drill.useSheet(sheetAsking(14));
    drill.start();
    drill.typeText(u"1"_s);
    drill.pause();
}

} // namespace

class DrillTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeSheet_data();
    void wholeSheet();
    void keys_data();
    void keys();
    void finishedSheetTellsEachAnswer();
    void clock_data();
    void clock();
    void stopAnsweredNo();
    void stopAnsweredYes();
    void heldDigitDoesNotReachNextSheet();
    void typingStopsAtTheEndOfItsSheet();
    void sheetCommandsOnlyWhileIdle();
    void divisionRowsFollowTheOpenCell();
};

void DrillTest::wholeSheet_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("last");

    QTest::newRow("addition") << Kind::Addition << 100 << 99;
    QTest::newRow("subtraction") << Kind::Subtraction << 100 << 99;
    QTest::newRow("multiplication") << Kind::Multiplication << 81 << 88;
    QTest::newRow("division") << Kind::Division << 81 << 88;
}

void DrillTest::wholeSheet()
{
    QFETCH(Kind, kind);
    QFETCH(int, cells);
    QFETCH(int, last);

    ManualClock clock;
    Drill drill(kind, 99, clock.function());
    QSignalSpy finished(&drill, &Drill::sheetFinished);
    QSignalSpy beeps(&drill, &Drill::wrongDigit);

    const QList<int> answered = playSheet(drill, &clock);
    QCOMPARE(answered.size(), cells);
    QCOMPARE(answered.last(), last);
    for (int cell : answered)
        QVERIFY2(drill.sheet().inPlay(cell), qPrintable(QString::number(cell)));
    QCOMPARE(beeps.count(), 0);
    QCOMPARE(finished.count(), 1);
    const auto result = finished.first().first().value<FinishedSheet>();
    QCOMPARE(int(result.cells.size()), cells);
    QCOMPARE(result.seconds, cells * 3 / 2);
    // The finished sheet stays on the board, taking nothing and starting
    // nothing, until its verdict was read; then the board is emptied.
    QCOMPARE(drill.phase(), Drill::Phase::Finished);
    QCOMPARE(drill.openCell(), int(Drill::NoCell));
    QVERIFY(!drill.cellText(answered.last()).isEmpty());
    drill.start();
    QCOMPARE(drill.phase(), Drill::Phase::Finished);
    drill.clearBoard();
    QCOMPARE(drill.phase(), Drill::Phase::Idle);
    for (int cell = 0; cell < 100; ++cell)
        QVERIFY(drill.cellText(cell).isEmpty());
    QCOMPARE(drill.elapsedSeconds(), result.seconds);
}

void DrillTest::keys_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("one digit, right") << 7 << u"7"_s << u"7"_s << 0 << true;
    QTest::newRow("answer 0 with a single 0") << 0 << u"0"_s << u"0"_s << 0 << true;
    QTest::newRow("leading zero refused") << 5 << u"0"_s << QString() << 1 << false;
    QTest::newRow("wrong, then right") << 5 << u"45"_s << u"5"_s << 1 << true;
    QTest::newRow("14: wrong tens digit") << 14 << u"2"_s << QString() << 1 << false;
    QTest::newRow("14: tens held") << 14 << u"1"_s << u"1"_s << 0 << false;
    QTest::newRow("14: wrong ones digit") << 14 << u"13"_s << u"1"_s << 1 << false;
    QTest::newRow("14: two wrong ones, then right") << 14 << u"1394"_s << u"14"_s << 2 << true;
    QTest::newRow("10: ones digit 0") << 10 << u"10"_s << u"10"_s << 0 << true;
    QTest::newRow("18: ones digit alone") << 18 << u"8"_s << QString() << 1 << false;
    QTest::newRow("backspace empties") << 14 << u"1\b"_s << QString() << 0 << false;
    QTest::newRow("backspace, then ones digit") << 14 << u"1\b4"_s << QString() << 1 << false;
    QTest::newRow("backspace, then again") << 14 << u"1\b14"_s << u"14"_s << 0 << true;
    QTest::newRow("enter, letters, space, minus") << 14 << u"\rab -Z"_s << QString() << 0 << false;
    QTest::newRow("signs while tens held") << 14 << u"1\r -x+.,"_s << u"1"_s << 0 << false;
    // ９ and ０ are the ends of the full-width digits.
    QTest::newRow("full-width two digits") << 90 << u"９０"_s << u"90"_s << 0 << true;
    QTest::newRow("full-width wrong") << 14 << u"１３"_s << u"1"_s << 1 << false;
    QTest::newRow("other wide characters") << 7 << u"あ七Ａ"_s << QString() << 0 << false;
}

void DrillTest::keys()
{
    QFETCH(int, answer);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, beeps);
    QFETCH(bool, accepted);

    ManualClock clock;
    Drill drill(Kind::Addition, 1, clock.function());
    drill.useSheet(sheetAsking(answer));
    QSignalSpy wrong(&drill, &Drill::wrongDigit);
    drill.start();
    drill.typeText(typed);
    QCOMPARE(drill.cellText(0), shown);
    QCOMPARE(wrong.count(), beeps);
    QCOMPARE(drill.openCell(), accepted ? 1 : 0);
}

void DrillTest::finishedSheetTellsEachAnswer()
{
    ManualClock clock;
    Drill drill(Kind::Addition, 1, clock.function());
    drill.useSheet(sheetAsking(14));
    QSignalSpy finished(&drill, &Drill::sheetFinished);
    drill.start();
    clock.now += 2300;
    drill.typeText(u"134"_s); // one wrong ones digit
    clock.now += 700;
    drill.typeText(u"91"_s); // 9 is wrong, 1 is 1 + 0
    // The rest at once.
    for (int cell = 2; cell < 100; ++cell)
        drill.typeText(QString::number((cell % 10 == 0 ? 14 : 1) + cell / 10));
    QCOMPARE(finished.count(), 1);
    const auto result = finished.first().first().value<FinishedSheet>();
    QCOMPARE(result.kind(), Kind::Addition);
    QCOMPARE(result.seconds, 3);
    QCOMPARE(result.wrongDigits, 2);
    QCOMPARE(result.cells[0], (AnsweredCell{0, 0, 14, 14, 2300, 1}));
    QCOMPARE(result.cells[1], (AnsweredCell{1, 0, 1, 1, 700, 1}));
    QCOMPARE(result.cells[99], (AnsweredCell{99, 9, 1, 10, 0, 0}));
}

void DrillTest::clock_data()
{
    // Steps of the clock while running: positive moves it on; a pause holds
    // the drill for that long.
    QTest::addColumn<QList<qint64>>("steps");
    QTest::addColumn<QList<qint64>>("pauses");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("toNextSecond");

    QTest::newRow("just started") << QList<qint64>{} << QList<qint64>{} << 0 << 1000;
    QTest::newRow("seven seconds in steps")
        << QList<qint64>{1000, 1000, 1000, 4000} << QList<qint64>{} << 7 << 1000;
    QTest::newRow("a five-second stall counts in full")
        << QList<qint64>{400, 5000} << QList<qint64>{} << 5 << 600;
    QTest::newRow("time in the stop question does not count")
        << QList<qint64>{2500, 500} << QList<qint64>{60000} << 3 << 1000;
    QTest::newRow("two stop questions: neither counts")
        << QList<qint64>{2500, 1500, 800} << QList<qint64>{60000, 30000} << 4 << 200;
    QTest::newRow("stops at 32767 seconds")
        << QList<qint64>{40000LL * 1000} << QList<qint64>{} << 32767 << 1000;
}

void DrillTest::clock()
{
    QFETCH(QList<qint64>, steps);
    QFETCH(QList<qint64>, pauses);
    QFETCH(int, seconds);
    QFETCH(int, toNextSecond);

    ManualClock clock;
    Drill drill(Kind::Addition, 1, clock.function());
    drill.start();
    qint64 running = 0;
    for (int i = 0; i < steps.size(); ++i) {
        clock.now += steps[i];
        running += steps[i];
        if (i < pauses.size()) {
            drill.pause();
            clock.now += pauses[i];
            QCOMPARE(drill.elapsedSeconds(), int(std::min<qint64>(running / 1000, 32767)));
            drill.resume();
        }
    }
    QCOMPARE(drill.elapsedSeconds(), seconds);
    QCOMPARE(drill.millisecondsToNextSecond(), toNextSecond);
}

void DrillTest::stopAnsweredNo()
{
    ManualClock clock;
    Drill drill(Kind::Addition, 1, clock.function());
    stopWithTensHeld(drill);
    QCOMPARE(drill.phase(), Drill::Phase::Paused);
    // Nothing is typed while the question is open.
    drill.typeText(u"4"_s);
    QCOMPARE(drill.cellText(0), u"1"_s);
    drill.resume();
    QCOMPARE(drill.phase(), Drill::Phase::Running);
    drill.typeText(u"4"_s);
    QCOMPARE(drill.openCell(), 1);
}

void DrillTest::stopAnsweredYes()
{
    ManualClock clock;
    Drill drill(Kind::Addition, 1, clock.function());
    const Sheet sheet = drill.sheet();
    QSignalSpy finished(&drill, &Drill::sheetFinished);
    drill.start();
    clock.now += 4200;
    drill.typeText(QString::number(shownAnswer(drill)));
    drill.pause();
    drill.abandon();
    QCOMPARE(drill.phase(), Drill::Phase::Idle);
    QCOMPARE(drill.openCell(), int(Drill::NoCell));
    QCOMPARE(drill.elapsedSeconds(), 0);
    QVERIFY(drill.cellText(0).isEmpty());
    QCOMPARE(finished.count(), 0);
    // The same operands come back for the next start.
    QCOMPARE(drill.sheet(), sheet);
}

void DrillTest::heldDigitDoesNotReachNextSheet()
{
    ManualClock clock;
    Drill drill(Kind::Addition, 1, clock.function());
    stopWithTensHeld(drill);
    drill.abandon();

    // The next sheet's first cell asks for 7: a "3" is a wrong first digit,
    // not a ones digit after the old sheet's "1".
    drill.useSheet(sheetAsking(7));
    QSignalSpy wrong(&drill, &Drill::wrongDigit);
    drill.start();
    drill.typeText(u"3"_s);
    QCOMPARE(drill.cellText(0), QString());
    QCOMPARE(wrong.count(), 1);
    drill.typeText(u"7"_s);
    QCOMPARE(drill.openCell(), 1);
}

void DrillTest::typingStopsAtTheEndOfItsSheet()
{
    // A verdict box runs its own event loop: a click on start there begins a
    // new sheet before the rest of the typed text is through.
    ManualClock clock;
    Drill drill(Kind::Addition, 1, clock.function());
    Sheet sheet = sheetAsking(1);
    for (auto& row : sheet.columns)
        row.fill(0);
    for (int i = 0; i < 10; ++i)
        sheet.rows[i] = 1; // every cell asks for 1
    drill.useSheet(sheet);
    connect(&drill, &Drill::sheetFinished, this, [&] {
        QCOMPARE(drill.phase(), Drill::Phase::Finished);
        QCOMPARE(drill.cellText(99), u"1"_s);
        drill.start(); // refused until the board is cleared
    });
    drill.start();
    drill.typeText(QString(99, u'1'));
    QCOMPARE(drill.openCell(), 99);
    drill.typeText(u"1111"_s);
    QCOMPARE(drill.phase(), Drill::Phase::Finished);
    drill.clearBoard();
    drill.start();
    QCOMPARE(drill.openCell(), 0);
    QVERIFY(drill.cellText(0).isEmpty());
}

void DrillTest::sheetCommandsOnlyWhileIdle()
{
    ManualClock clock;
    Drill drill(Kind::Multiplication, 1, clock.function());
    const Sheet sheet = drill.sheet();
    drill.start();
    drill.switchKind();
    drill.newNumbers();
    drill.setKind(Kind::Addition);
    QCOMPARE(drill.sheet(), sheet);
    drill.pause();
    drill.abandon();
    drill.switchKind();
    QCOMPARE(drill.kind(), Kind::Division);
    drill.switchKind();
    QCOMPARE(drill.kind(), Kind::Addition);
}

void DrillTest::divisionRowsFollowTheOpenCell()
{
    ManualClock clock;
    Drill drill(Kind::Division, 42, clock.function());
    const Sheet drawn = drill.sheet();
    drill.start();
    // Row 0 alone: starting over keeps the sheet as drawn.
    drill.typeText(QString::number(shownAnswer(drill)));
    drill.pause();
    drill.abandon();
    drill.start();
    QCOMPARE(drill.sheet(), drawn);

    for (int i = 0; i < 9; ++i)
        drill.typeText(QString::number(shownAnswer(drill)));
    QCOMPARE(drill.openCell(), 10);
    QCOMPARE(drill.shownRow(), 1);
    for (int column = 0; column < 9; ++column)
        QCOMPARE(drill.shownColumnOperand(column), drawn.columnOperand(1, column));

    // The child has seen row 1: a new start draws new multiples.
    drill.pause();
    drill.abandon();
    drill.start();
    QCOMPARE(drill.shownRow(), 0);
    QCOMPARE(drill.sheet().rows, drawn.rows);
    QVERIFY(drill.sheet().columns != drawn.columns);
}

QTEST_GUILESS_MAIN(DrillTest)
#include "tst_drill.moc"
