// SPDX-License-Identifier: GPL-3.0-or-later
// A click on the date lists the four best times and, after two Yes answers,
// sets every one of them and the time limit back to 600 in the window and
// in the file at once, without moving the window. Any other answer, or a
// click while a sheet is under way, changes nothing.
#include "window_fixture.h"

#include <QLabel>
#include <QtTest>

using namespace Qt::StringLiterals;

class ClearScoresTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nothingWhileADrillRuns();
    void declined_data();
    void declined();
    void clearedAfterTwoYes();
};

namespace {

using Answer = Desktop::Answer;

const QString list = u"たしざん： 1分51秒\r\n"
                     "ひきざん： 3分42秒\r\n"
                     "かけざん： 5分33秒\r\n"
                     "わりざん： 7分24秒\r\n"_s;
const QString firstPrompt = u"ハイスコアをクリア(初期化)します。\r\n\r\n"_s + list + u"\r\n\r\n"_s;
const QString secondPrompt = u"ほんとうに、クリアしていいですか？\r\n\r\n"_s + list + u"\r\n\r\n"_s;

// Best times 111, 222, 333 and 444 seconds (none of them 600, so that a
// kind the clearing forgets shows), kind multiplication, a time limit of
// 300, the window at (90, 20): as a file of an earlier run leaves them.
const QByteArray kept = "[General]\r\nWin_Top=300\r\nWin_Lft=1350\r\n[Parameter]\r\n"
                        "T_MinTM=111\r\nH_MinTM=222\r\nK_MonTM=333\r\nCalc_Md=2\r\n"
                        "LimTM=300\r\nW_MinTM=444\r\n";

void makeWithRecords(WindowFixture& fixture)
{
    fixture.writeFile(u"Varolin.ini"_s, kept);
    fixture.make();
}

void clickDate(const WindowFixture& fixture)
{
    QTest::mouseClick(fixture.find(u"dateLabel"_s), Qt::LeftButton);
}

QString bestTimeText(const WindowFixture& fixture)
{
    return fixture.find<QLabel>(u"bestTimeLabel"_s)->text();
}

} // namespace

void ClearScoresTest::nothingWhileADrillRuns()
{
    WindowFixture fixture;
    makeWithRecords(fixture);
    fixture.click(u"startButton"_s);
    fixture.desktop.answers = {Answer::Yes, Answer::Yes};
    clickDate(fixture);
    QVERIFY(fixture.desktop.shown.isEmpty());
    QCOMPARE(bestTimeText(fixture), u"ハイスコア： 5分33秒"_s);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), kept);
}

void ClearScoresTest::declined_data()
{
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<int>("boxes");

    QTest::newRow("いいえ in the list") << QList<Answer>{Answer::No} << 1;
    QTest::newRow("キャンセル in the list") << QList<Answer>{Answer::Cancel} << 1;
    QTest::newRow("はい, then いいえ") << QList<Answer>{Answer::Yes, Answer::No} << 2;
}

void ClearScoresTest::declined()
{
    QFETCH(QList<Answer>, answers);
    QFETCH(int, boxes);

    WindowFixture fixture;
    makeWithRecords(fixture);
    fixture.desktop.answers = answers;
    clickDate(fixture);

    QCOMPARE(fixture.desktop.shown.size(), boxes);
    const Desktop::Message& first = fixture.desktop.shown[0].message;
    QCOMPARE(first.prompt, firstPrompt);
    QCOMPARE(first.title, u"ハイスコア"_s);
    QCOMPARE(first.buttons, Desktop::Buttons::YesNoCancel);
    QCOMPARE(first.icon, Desktop::Icon::None);
    if (boxes == 2) {
        const Desktop::Message& second = fixture.desktop.shown[1].message;
        QCOMPARE(second.prompt, secondPrompt);
        QCOMPARE(second.title, u"もういちどかくにん"_s);
        QCOMPARE(second.buttons, Desktop::Buttons::YesNo);
        QCOMPARE(second.icon, Desktop::Icon::None);
    }
    QCOMPARE(bestTimeText(fixture), u"ハイスコア： 5分33秒"_s);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), kept);
}

void ClearScoresTest::clearedAfterTwoYes()
{
    WindowFixture fixture;
    makeWithRecords(fixture);
    MainWindow& window = *fixture.window;
    // The window has moved since start-up; clearing keeps it there.
    window.move(150, 40);

    fixture.desktop.answers = {Answer::Yes, Answer::Yes};
    clickDate(fixture);

    QCOMPARE(fixture.desktop.shown.size(), 2);
    QCOMPARE(fixture.desktop.shown[1].message.prompt, secondPrompt);
    QCOMPARE(window.pos(), QPoint(150, 40));
    QCOMPARE(fixture.find<QLabel>(u"signLabel"_s)->text(), u"×"_s);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s),
        QByteArray("[General]\r\nWin_Top=600\r\nWin_Lft=2250\r\n[Parameter]\r\n"
                   "T_MinTM=600\r\nH_MinTM=600\r\nK_MonTM=600\r\nCalc_Md=2\r\n"
                   "LimTM=600\r\nW_MinTM=600\r\n"));
    // Every kind shows the cleared time, not only the one on show.
    for (int kind = 0; kind < 4; ++kind) {
        QCOMPARE(bestTimeText(fixture), u"ハイスコア： 10分00秒"_s);
        fixture.click(u"switchKindButton"_s);
    }
    QVERIFY(window.isVisible());
}

QTEST_MAIN(ClearScoresTest)
#include "tst_clear_scores.moc"
