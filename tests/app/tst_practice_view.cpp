// SPDX-License-Identifier: GPL-3.0-or-later
// How the window shows the practice: the verdict in one OK box with the
// clipboard written first, the last answer still in its cell with the focus
// and the old best time on show until the box is closed, then any problem
// naming its file; the best time of the kind on the board; the two questions
// before the best times are cleared; a close while minimised or maximised
// that writes nothing; only a left click on the date or the picture; and an
// end from outside that never waits for a box.
#include "fake_class_link.h"
#include "sheet_player.h"
#include "window_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using Answer = Desktop::Answer;

namespace {

// Best times 111, 222, 333 and 444 seconds, kind multiplication.
const QByteArray kept = "[General]\r\nWin_Top=300\r\nWin_Lft=1350\r\n[Parameter]\r\n"
                        "T_MinTM=111\r\nH_MinTM=222\r\nK_MonTM=333\r\nCalc_Md=2\r\n"
                        "LimTM=300\r\nW_MinTM=444\r\n";

// A file in UTF-16 is one the program reads but never writes.
QByteArray unwritableSettings()
{
    QByteArray utf16("\xff\xfe");
    for (const char c : QByteArray("[Parameter]\r\nT_MinTM=900\r\n"))
        utf16 += QByteArray(1, c) + '\0';
    return utf16;
}

// A classroom machine whose class link the test plays.
void inAClass(WindowFixture& fixture)
{
    fixture.classroom = ClassConfig{};
    fixture.classroom->server = u"server.school"_s;
    fixture.classroom->className = u"3-2"_s;
    fixture.makeLink = [](const ClassConfig&, const QString&) -> std::unique_ptr<ClassLink> {
        return std::make_unique<FakeClassLink>();
    };
}

FakeClassLink* linkOf(const WindowFixture& fixture)
{
    return qobject_cast<FakeClassLink*>(fixture.machine->link());
}

} // namespace

class PracticeViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void verdictThenProblem();
    void nothingOpensInsideAPrint();
    void bestTimeFollowsKind();
    void clearingAsksTwice_data();
    void clearingAsksTwice();
    void closeWhileNotNormal_data();
    void closeWhileNotNormal();
    void onlyALeftClickCounts_data();
    void onlyALeftClickCounts();
    void endWithoutQuestionNeverWaits();
    void placeKeptWhereUntold_data();
    void placeKeptWhereUntold();
};

void PracticeViewTest::verdictThenProblem()
{
    // The record cannot be saved, on a classroom machine.
    WindowFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, unwritableSettings());
    inAClass(fixture);
    MainWindow& window = fixture.make();
    FakeClassLink* link = linkOf(fixture);
    const QString before = fixture.bestTimeText();

    // Every handler of the drill's last step has run before the verdict
    // opens: it is not shown from inside that step.
    bool stepOver = false;
    QObject::connect(&fixture.practice->drill(), &Drill::sheetFinished, [&] { stepOver = true; });
    bool checked = false;
    // Whether the board was at rest as each box opened: no command of a
    // sheet under way offered.
    QList<bool> atRest;
    fixture.desktop.onMessage = [&](const Desktop::Message& message) {
        atRest.append(!fixture.button(u"stopButton"_s)->isEnabled()
            && fixture.button(u"startButton"_s)->isEnabled());
        if (checked)
            return;
        checked = true;
        QVERIFY(stepOver);
        QCOMPARE(message.title, u"きろくこうしん！！"_s);
        QCOMPARE(fixture.desktop.clipboard, u"[たしざん]10秒"_s);
        QCOMPARE(fixture.bestTimeText(), before);
        QVERIFY(fixture.cell(99)->isEnabled());
        QCOMPARE(window.focusWidget(), fixture.cell(99));
        // The drill's step is over: finished, every answer on the board.
        QCOMPARE(fixture.practice->drill().phase(), Drill::Phase::Finished);
        QCOMPARE(fixture.cell(99)->text().toInt(), SheetPlayer::answer(fixture, 99));
        // The sheet went to the class while the verdict is open, and the
        // server does not know the class: told once the verdict is closed
        // and the board at rest.
        QVERIFY(link);
        Q_EMIT link->rosterRead({});
        QVERIFY(fixture.desktop.shown.isEmpty());
    };
    QVERIFY(SheetPlayer::playSheet(fixture, nullptr, 100));
    QTRY_VERIFY(checked);
    // The verdict keeps clear of the row and the column finished on.
    const QRect last(fixture.cell(99)->mapToGlobal(QPoint()), fixture.cell(99)->size());
    QCOMPARE(fixture.desktop.verdictKeepsClear.size(), 1);
    for (const QRect& line : fixture.desktop.verdictKeepsClear[0])
        QVERIFY(line.contains(last));
    QVERIFY(fixture.desktop.verdictKeepsClear[0][0].contains(
        fixture.find(u"rowHeader9"_s)->mapToGlobal(QPoint(2, 2))));
    QCOMPARE(fixture.bestTimeText(), u"ハイスコア： 0分10秒"_s);
    // One box at a time: the verdict, the record not saved, then the
    // problem that came meanwhile.
    QTRY_COMPARE(fixture.desktop.shown.size(), 3);
    QCOMPARE(atRest, (QList<bool>{false, true, true}));
    const Desktop::Message& warning = fixture.desktop.shown[1].message;
    QCOMPARE(warning.icon, Desktop::Icon::Warning);
    QCOMPARE(warning.buttons, Desktop::Buttons::Ok);
    QVERIFY(warning.prompt.contains(fixture.path(u"Varolin.ini"_s)));
    QVERIFY(fixture.desktop.shown[2].message.prompt.contains(u"3-2"_s));
    QCOMPARE(fixture.desktop.shown[2].message.title, u"クラス"_s);
    // Each once.
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
    QCOMPARE(fixture.desktop.shown.size(), 3);
    QVERIFY(!fixture.cell(99)->isEnabled());
}

// A print lets events through while it asks and between its pages: what
// the class link tells meanwhile opens after it, never over it.
void PracticeViewTest::nothingOpensInsideAPrint()
{
    WindowFixture fixture;
    inAClass(fixture);
    fixture.desktop.pdfPath = fixture.path(u"sheet.pdf"_s);
    fixture.make();
    FakeClassLink* link = linkOf(fixture);
    QCoreApplication::processEvents();
    QVERIFY(link);
    fixture.desktop.answers = {Answer::Yes, Answer::Ok};
    qsizetype openMeanwhile = -1;
    fixture.desktop.onMessage = [&](const Desktop::Message& message) {
        if (message.buttons != Desktop::Buttons::OkCancel) // the printer's question
            return;
        Q_EMIT link->failed(Failure{Failed::ServerAway, u"server.school"_s});
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
        openMeanwhile = fixture.desktop.shown.size();
    };
    fixture.button(u"printButton"_s)->click();
    QCOMPARE(openMeanwhile, 1);
    QVERIFY(QFileInfo::exists(fixture.desktop.pdfPath));
    QTRY_COMPARE(fixture.desktop.shown.size(), 3);
    QCOMPARE(fixture.desktop.shown[2].message.title, u"クラス"_s);
    QVERIFY(fixture.desktop.shown[2].message.prompt.endsWith(u"server.school"_s));
}

void PracticeViewTest::bestTimeFollowsKind()
{
    WindowFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, kept);
    fixture.make();
    auto* sign = fixture.find<QLabel>(u"signLabel"_s);
    QCOMPARE(sign->text(), u"×"_s);
    QCOMPARE(fixture.bestTimeText(), u"ハイスコア： 5分33秒"_s);
    const QStringList signs{u"÷"_s, u"＋"_s, u"－"_s};
    const QStringList times{u"7分24秒"_s, u"1分51秒"_s, u"3分42秒"_s};
    for (int i = 0; i < 3; ++i) {
        fixture.click(u"switchKindButton"_s);
        QCOMPARE(sign->text(), signs[i]);
        QCOMPARE(fixture.bestTimeText(), u"ハイスコア： "_s + times[i]);
    }
}

void PracticeViewTest::clearingAsksTwice_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<bool>("cleared");

    QTest::newRow("while a sheet runs")
        << true << QList<Answer>{Answer::Yes, Answer::Yes} << 0 << false;
    QTest::newRow("いいえ in the list") << false << QList<Answer>{Answer::No} << 1 << false;
    QTest::newRow("はい, then いいえ")
        << false << QList<Answer>{Answer::Yes, Answer::No} << 2 << false;
    QTest::newRow("はい twice") << false << QList<Answer>{Answer::Yes, Answer::Yes} << 2 << true;
}

void PracticeViewTest::clearingAsksTwice()
{
    QFETCH(bool, running);
    QFETCH(QList<Answer>, answers);
    QFETCH(int, boxes);
    QFETCH(bool, cleared);

    WindowFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, kept);
    MainWindow& window = fixture.make();
    const QPoint place = window.pos();
    if (running)
        fixture.click(u"startButton"_s);
    fixture.desktop.answers = answers;
    QTest::mouseClick(fixture.find(u"dateLabel"_s), Qt::LeftButton);

    const QString list = u"たしざん： 1分51秒\r\nひきざん： 3分42秒\r\nかけざん： 5分33秒\r\n"
                         "わりざん： 7分24秒\r\n"_s;
    QCOMPARE(fixture.desktop.shown.size(), boxes);
    const QStringList prompts{
        u"ハイスコアをクリア(初期化)します。\r\n\r\n"_s + list + u"\r\n\r\n"_s,
        u"ほんとうに、クリアしていいですか？\r\n\r\n"_s + list + u"\r\n\r\n"_s};
    const QStringList titles{u"ハイスコア"_s, u"もういちどかくにん"_s};
    const QList<Desktop::Buttons> buttons(2, Desktop::Buttons::YesNoDefaultNo);
    for (int box = 0; box < boxes; ++box) {
        const Desktop::Message& message = fixture.desktop.shown[box].message;
        QCOMPARE(message.prompt, prompts[box]);
        QCOMPARE(message.title, titles[box]);
        QCOMPARE(message.buttons, buttons[box]);
        QCOMPARE(message.icon, Desktop::Icon::None);
    }
    QCOMPARE(
        fixture.bestTimeText(), cleared ? u"ハイスコア： 10分00秒"_s : u"ハイスコア： 5分33秒"_s);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s) == kept, !cleared);
    QCOMPARE(window.pos(), place);
}

void PracticeViewTest::closeWhileNotNormal_data()
{
    QTest::addColumn<Qt::WindowState>("state");
    QTest::newRow("minimised") << Qt::WindowMinimized;
    QTest::newRow("maximised") << Qt::WindowMaximized;
}

void PracticeViewTest::closeWhileNotNormal()
{
    QFETCH(Qt::WindowState, state);

    WindowFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, kept);
    MainWindow& window = fixture.make();
    fixture.click(u"switchKindButton"_s);
    window.setWindowState(state);
    window.close();

    QVERIFY(!window.isVisible());
    QVERIFY(fixture.desktop.shown.isEmpty());
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), kept);
}

void PracticeViewTest::onlyALeftClickCounts_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("releasedOutside");
    QTest::addColumn<int>("boxes");

    QTest::newRow("date, left click") << u"dateLabel"_s << Qt::LeftButton << false << 1;
    QTest::newRow("date, right click") << u"dateLabel"_s << Qt::RightButton << false << 0;
    QTest::newRow("date, released outside") << u"dateLabel"_s << Qt::LeftButton << true << 0;
    QTest::newRow("picture, left click") << u"aboutPicture"_s << Qt::LeftButton << false << 1;
    QTest::newRow("picture, middle click") << u"aboutPicture"_s << Qt::MiddleButton << false << 0;
    QTest::newRow("picture, released outside") << u"aboutPicture"_s << Qt::LeftButton << true << 0;
}

void PracticeViewTest::onlyALeftClickCounts()
{
    QFETCH(QString, label);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, releasedOutside);
    QFETCH(int, boxes);

    WindowFixture fixture;
    fixture.make();
    QWidget* target = fixture.find(label);
    QTest::mousePress(target, button, {}, QPoint(5, 5));
    QTest::mouseRelease(
        target, button, {}, releasedOutside ? QPoint(target->width() + 20, 5) : QPoint(5, 5));
    QCOMPARE(fixture.desktop.shown.size(), boxes);
}

void PracticeViewTest::endWithoutQuestionNeverWaits()
{
    WindowFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, unwritableSettings());
    MainWindow& window = fixture.make();
    fixture.click(u"startButton"_s);

    window.endWithoutQuestion();

    QVERIFY(!window.isVisible());
    QVERIFY(fixture.desktop.shown.isEmpty());
    // Told at the next start instead.
    QVERIFY(QFile::exists(fixture.path(u"settings-not-saved"_s)));
}

void PracticeViewTest::placeKeptWhereUntold_data()
{
    QTest::addColumn<bool>("told");
    QTest::newRow("the desktop tells the place") << true;
    QTest::newRow("Wayland: the place saved before is kept") << false;
}

// The settings keep a place the desktop told, never one it did not.
void PracticeViewTest::placeKeptWhereUntold()
{
    QFETCH(bool, told);

    WindowFixture fixture;
    fixture.desktop.placeTold = told;
    fixture.writeFile(u"Varolin.ini"_s, kept);
    MainWindow& window = fixture.make();
    window.move(500, 100);
    window.endWithoutQuestion();

    const QByteArray saved = fixture.readFile(u"Varolin.ini"_s);
    const QPoint twips = told ? window.pos() * 15 : QPoint(1350, 300);
    const QByteArray top = "Win_Top=" + QByteArray::number(twips.y()) + "\r\n";
    const QByteArray left = "Win_Lft=" + QByteArray::number(twips.x()) + "\r\n";
    QVERIFY2(saved.contains(top) && saved.contains(left), saved.constData());
    QVERIFY(saved.contains("Calc_Md=2"));
}

QTEST_MAIN(PracticeViewTest)
#include "tst_practice_view.moc"
