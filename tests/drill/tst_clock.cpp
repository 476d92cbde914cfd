// The clock: one tick a second counted and shown as m:ss, started from 0,
// stopped without losing the count or the display, never wrapping past its
// 16-bit limit, and deaf to the time limit.
#include "form_fixture.h"
#include "sheet_player.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

class ClockTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tick_data();
    void tick();
    void startAndStop();
    void previousTimeStaysUntilFirstTick();
    void timeLimitChangesNothing();
    void realTimerTicksOnceASecond();
};

void ClockTest::tick_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("shown");
    QTest::newRow("first second") << 0 << 1 << u"0:01"_s;
    QTest::newRow("7") << 6 << 7 << u"0:07"_s;
    QTest::newRow("59") << 58 << 59 << u"0:59"_s;
    QTest::newRow("60") << 59 << 60 << u"1:00"_s;
    QTest::newRow("65") << 64 << 65 << u"1:05"_s;
    QTest::newRow("600") << 599 << 600 << u"10:00"_s;
    QTest::newRow("reaches 32767") << 32766 << 32767 << u"546:07"_s;
    QTest::newRow("stays at 32767") << 32767 << 32767 << u"546:07"_s;
}

void ClockTest::tick()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(QString, shown);
    FormFixture fixture;
    Form1& form = fixture.make();
    form.state.elapsedSeconds = static_cast<std::int16_t>(before);
    form.Timer1_Timer();
    QCOMPARE(int(form.state.elapsedSeconds), after);
    QCOMPARE(form.Text1->text(), shown);
    form.Timer1_Timer();
    QVERIFY(form.state.elapsedSeconds >= after);
}

void ClockTest::startAndStop()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Timer1->timerType(), Qt::PreciseTimer);
    QCOMPARE(form.Text1->text(), u"0:00"_s);

    form.state.elapsedSeconds = 42;
    form.Text1->setText(u"0:42"_s);
    form.StartClock();
    QCOMPARE(int(form.state.elapsedSeconds), 0);
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 1000);
    QCOMPARE(form.Text1->text(), u"0:42"_s);

    form.Timer1_Timer();
    form.Timer1_Timer();
    form.StopClock();
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 0);
    QCOMPARE(int(form.state.elapsedSeconds), 2);
    QCOMPARE(form.Text1->text(), u"0:02"_s);
}

void ClockTest::previousTimeStaysUntilFirstTick()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    form.Btn_Click(1);
    for (int i = 0; i < 65; ++i)
        form.Timer1_Timer();
    while (!form.state.idle)
        SheetPlayer::answerOpenCell(form);
    QCOMPARE(form.Text1->text(), u"1:05"_s);

    form.Btn_Click(1);
    QCOMPARE(form.Text1->text(), u"1:05"_s);
    QCOMPARE(int(form.state.elapsedSeconds), 0);
    form.Timer1_Timer();
    QCOMPARE(form.Text1->text(), u"0:01"_s);
}

void ClockTest::timeLimitChangesNothing()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.state.timeLimit = 1;
    form.Btn_Click(1);
    for (int i = 0; i < 5; ++i)
        form.Timer1_Timer();
    QVERIFY(!form.state.idle);
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Text1->text(), u"0:05"_s);
    QVERIFY(fixture.desktop.shown.isEmpty());
}

void ClockTest::realTimerTicksOnceASecond()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    QElapsedTimer watch;
    watch.start();
    form.StartClock();
    QTRY_COMPARE_WITH_TIMEOUT(int(form.state.elapsedSeconds), 1, 5000);
    QVERIFY2(watch.elapsed() >= 950, qPrintable(QString::number(watch.elapsed())));
    QCOMPARE(form.Text1->text(), u"0:01"_s);
    form.StopClock();
}

QTEST_MAIN(ClockTest)
#include "tst_clock.moc"
