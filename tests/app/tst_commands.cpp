// SPDX-License-Identifier: GPL-3.0-or-later
// The commands between sheets as a child and a parent meet them: ending
// (おわる or closing the window) asks once and saves only on はい; すうじ
// draws a new sheet of the same kind, and only while idle; four きりかえ come
// back to the first kind, each with a new sheet; a new sheet shows the last
// sheet's time until its first second; and a kind with no best time yet is listed as
// the ten minutes it must beat.
#include "sheet_player.h"
#include "window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using Answer = Desktop::Answer;

namespace {

// Best times 111, 222 and 444 seconds; none yet for multiplication.
const QByteArray kept = "[General]\r\nWin_Top=300\r\nWin_Lft=1350\r\n[Parameter]\r\n"
                        "T_MinTM=111\r\nH_MinTM=222\r\nK_MonTM=600\r\nCalc_Md=0\r\n"
                        "LimTM=300\r\nW_MinTM=444\r\n";

// The operands on the board, row headers then column headers.
QStringList operands(const WindowFixture& fixture)
{
    QStringList shown;
    for (int i = 0; i < 10; ++i)
        shown << fixture.rowHeader(i)->text();
    for (int i = 0; i < 10; ++i)
        shown << fixture.columnHeader(i)->text();
    return shown;
}

QString sign(const WindowFixture& fixture)
{
    return fixture.find<QLabel>(u"signLabel"_s)->text();
}

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ending_data();
    void ending();
    void newSheetsBetweenSheets();
    void lastTimeUntilTheFirstSecond();
    void noneYetListedAsTenMinutes();
};

void CommandsTest::ending_data()
{
    QTest::addColumn<bool>("byClosing"); // the window's close button, else おわる
    QTest::addColumn<Answer>("answer");

    QTest::newRow("おわる, はい") << false << Answer::Yes;
    QTest::newRow("おわる, いいえ") << false << Answer::No;
    QTest::newRow("closing, はい") << true << Answer::Yes;
    QTest::newRow("closing, いいえ") << true << Answer::No;
}

void CommandsTest::ending()
{
    QFETCH(bool, byClosing);
    QFETCH(Answer, answer);

    WindowFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, kept);
    MainWindow& window = fixture.make();
    // A kind chosen this run, which only a save keeps.
    fixture.click(u"switchKindButton"_s);
    fixture.desktop.answers = {answer};
    if (byClosing)
        window.close();
    else
        fixture.click(u"endButton"_s);

    QCOMPARE(fixture.desktop.shown.size(), 1);
    QCOMPARE(fixture.desktop.shown[0].message.prompt, u"おわりにしますか？"_s);
    QCOMPARE(fixture.desktop.shown[0].message.title, u"かくにん"_s);
    const bool ends = answer == Answer::Yes;
    QCOMPARE(window.isVisible(), !ends);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s).contains("Calc_Md=1"), ends);
    if (!ends && !byClosing)
        QCOMPARE(window.focusWidget(), fixture.button(u"startButton"_s));
}

void CommandsTest::newSheetsBetweenSheets()
{
    WindowFixture fixture;
    fixture.make();
    const QString firstSign = sign(fixture);

    QStringList before = operands(fixture);
    fixture.click(u"newNumbersButton"_s);
    QCOMPARE(sign(fixture), firstSign);
    QVERIFY(operands(fixture) != before);

    QStringList signs;
    for (int click = 0; click < 4; ++click) {
        before = operands(fixture);
        fixture.click(u"switchKindButton"_s);
        signs << sign(fixture);
        QVERIFY2(operands(fixture) != before, qPrintable(signs.last()));
    }
    QCOMPARE(signs, (QStringList{u"－"_s, u"×"_s, u"÷"_s, firstSign}));

    // While a sheet runs the board stays as it is, whatever reaches すうじ.
    fixture.click(u"startButton"_s);
    before = operands(fixture);
    QVERIFY(!fixture.button(u"newNumbersButton"_s)->isEnabled());
    fixture.button(u"newNumbersButton"_s)->click();
    QCOMPARE(operands(fixture), before);
}

void CommandsTest::lastTimeUntilTheFirstSecond()
{
    WindowFixture fixture;
    fixture.make();
    QVERIFY(SheetPlayer::playSheet(fixture, nullptr, 650));
    auto* clockDisplay = fixture.find<QLineEdit>(u"clockDisplay"_s);
    QCOMPARE(clockDisplay->text(), u"1:05"_s);

    fixture.click(u"startButton"_s);
    QCOMPARE(clockDisplay->text(), u"1:05"_s);
    fixture.desktop.monotonic += 1000;
    QTRY_COMPARE_WITH_TIMEOUT(clockDisplay->text(), u"0:01"_s, 2000);
}

void CommandsTest::noneYetListedAsTenMinutes()
{
    WindowFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, kept);
    fixture.make();
    fixture.desktop.answers = {Answer::No};
    QTest::mouseClick(fixture.find(u"dateLabel"_s), Qt::LeftButton);
    QCOMPARE(fixture.desktop.shown.size(), 1);
    QVERIFY2(fixture.desktop.shown[0].message.prompt.contains(
                 u"ひきざん： 3分42秒\r\nかけざん： 10分00秒\r\nわりざん： 7分24秒\r\n"_s),
        qPrintable(fixture.desktop.shown[0].message.prompt));
}

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
