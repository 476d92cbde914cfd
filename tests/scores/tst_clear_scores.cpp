// A click on the date lists the four best times and, after two Yes answers,
// sets them and the time limit back to 600 in the drill and in the file at
// once, without moving the window. Any other answer changes nothing.
#include "app/form1.h"
#include "form_fixture.h"

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

const QString list = u"たしざん： 1分05秒\r\n"
                     "ひきざん： 10分00秒\r\n"
                     "かけざん： 0分45秒\r\n"
                     "わりざん： 10分00秒\r\n"_s;
const QString firstPrompt = u"ハイスコアをクリア(初期化)します。\r\n\r\n"_s + list + u"\r\n\r\n"_s;
const QString secondPrompt = u"ほんとうに、クリアしていいですか？\r\n\r\n"_s + list + u"\r\n\r\n"_s;

// Best times 65, 600, 45 and 600 seconds, kind multiplication, a time limit
// of 300, the window at (90, 20): as a file of an earlier run leaves them.
const QByteArray kept = "[General]\r\nWin_Top=300\r\nWin_Lft=1350\r\n[Parameter]\r\n"
                        "T_MinTM=65\r\nH_MinTM=600\r\nK_MonTM=45\r\nCalc_Md=2\r\n"
                        "LimTM=300\r\nW_MinTM=600\r\n";

Form1& makeWithRecords(FormFixture& fixture)
{
    fixture.writeFile(u"Varolin.ini"_s, kept);
    return fixture.make();
}

} // namespace

void ClearScoresTest::nothingWhileADrillRuns()
{
    FormFixture fixture;
    Form1& form = makeWithRecords(fixture);
    form.state.idle = false;
    fixture.desktop.answers = {Answer::Yes, Answer::Yes};
    form.Label3_Click();
    QVERIFY(fixture.desktop.shown.isEmpty());
    QCOMPARE(form.state.bestAdd, 65);
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

    FormFixture fixture;
    Form1& form = makeWithRecords(fixture);
    const QString shown = form.Label1->text();
    fixture.desktop.answers = answers;
    form.Label3_Click();

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

    QCOMPARE(form.state.bestAdd, 65);
    QCOMPARE(form.state.bestMul, 45);
    QCOMPARE(form.state.timeLimit, 300);
    QCOMPARE(form.state.settings[SettingsSlot::BestAdd], 65);
    QCOMPARE(form.Label1->text(), shown);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), kept);
}

void ClearScoresTest::clearedAfterTwoYes()
{
    FormFixture fixture;
    Form1& form = makeWithRecords(fixture);
    QCOMPARE(form.Label1->text(), u"ハイスコア： 0分45秒"_s);
    // The window has moved since start-up; clearing keeps it there.
    form.move(150, 40);

    fixture.desktop.answers = {Answer::Yes, Answer::Yes};
    form.Label3_Click();

    QCOMPARE(fixture.desktop.shown.size(), 2);
    QCOMPARE(fixture.desktop.shown[1].message.prompt, secondPrompt);
    QCOMPARE(form.pos(), QPoint(150, 40));
    for (const std::int16_t best :
        {form.state.bestAdd, form.state.bestSub, form.state.bestMul, form.state.bestDiv})
        QCOMPARE(best, 600);
    QCOMPARE(form.state.timeLimit, 600);
    QCOMPARE(form.state.calcKind, 2);
    QCOMPARE(form.L[0]->text(), u"×"_s);
    QCOMPARE(form.Label1->text(), u"ハイスコア： 10分00秒"_s);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s),
        QByteArray("[General]\r\nWin_Top=600\r\nWin_Lft=2250\r\n[Parameter]\r\n"
                   "T_MinTM=600\r\nH_MinTM=600\r\nK_MonTM=600\r\nCalc_Md=2\r\n"
                   "LimTM=600\r\nW_MinTM=600\r\n"));
    QVERIFY(!form.hasEnded());
}

QTEST_MAIN(ClearScoresTest)
#include "tst_clear_scores.moc"
