// SPDX-License-Identifier: GPL-3.0-or-later
// Who is practising, as the window asks it: one child changes nothing; with
// two or more the chooser opens once the window shows (or, for children the
// program learns of only when the records open, at the first sheet), the child of last
// time preselected so that Enter alone goes on, a click on a name chooses
// that child, and the window then names the child beside the best time and
// in its title. A click on the name opens the chooser again, only between
// sheets. The chooser adds, renames and removes children.
#include "app/child_chooser.h"
#include "app/children_commands.h"
#include "records/record_store.h"
#include "sheet_player.h"
#include "window_fixture.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using Answer = Desktop::Answer;

namespace {

// Best times of the first child: 1分51秒 in addition.
const QByteArray settings = "[General]\r\nWin_Top=300\r\nWin_Lft=1350\r\n[Parameter]\r\n"
                            "T_MinTM=111\r\nH_MinTM=222\r\nK_MonTM=333\r\nCalc_Md=0\r\n"
                            "LimTM=300\r\nW_MinTM=444\r\n";

// A second child, さくら, who practised last, with her own best times.
void addSakura(const WindowFixture& fixture)
{
    RecordStore store(fixture.recordsPath());
    QVERIFY(store.open());
    const Outcome<qint64> sakura = store.addChild(u"さくら"_s);
    QVERIFY(sakura);
    QVERIFY(!store.setChildBests(
        *sakura, BestTimes({65, std::nullopt, std::nullopt, std::nullopt}), Kind::Addition));
    QVERIFY(!store.setLastChild(*sakura));
}

// Makes the window and lets it finish what it does once it is shown.
ChildChooser* start(WindowFixture& fixture)
{
    fixture.writeFile(u"Varolin.ini"_s, settings);
    fixture.make();
    QCoreApplication::processEvents();
    return fixture.window->findChild<ChildChooser*>();
}

// さくら added, as records brought from another machine would have her: this
// run learns of her at its first sheet, when the records open, and asks who
// practises instead of starting; the next run asks at start-up.
void addSakuraFoundAtTheFirstSheet(WindowFixture& fixture)
{
    addSakura(fixture);
    QVERIFY(!start(fixture));
    QCOMPARE(fixture.window->windowTitle(), u"Varolin"_s);
    fixture.click(u"startButton"_s);
    QVERIFY(fixture.window->findChild<ChildChooser*>());
    QCOMPARE(fixture.practice->drill().phase(), Drill::Phase::Idle);
    fixture.window.reset();
    fixture.machine.reset();
}

QString childText(const WindowFixture& fixture)
{
    const auto* label = fixture.find<QLabel>(u"childLabel"_s);
    return label->isVisible() ? label->text() : QString();
}

} // namespace

class ChildrenTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneChildChangesNothing();
    void choosing_data();
    void choosing();
    void nameOpensTheChooserBetweenSheets();
    void addAndRemove();
    void secondChildNamesTheFirst_data();
    void secondChildNamesTheFirst();
    void namesFit_data();
    void namesFit();
    void clockFollowsTheChild();
};

void ChildrenTest::oneChildChangesNothing()
{
    WindowFixture fixture;
    QVERIFY(!start(fixture));
    QCOMPARE(fixture.window->windowTitle(), u"Varolin"_s);
    QVERIFY(childText(fixture).isEmpty());
    QCOMPARE(fixture.bestTimeText(), u"ハイスコア： 1分51秒"_s);
    QVERIFY(fixture.desktop.shown.isEmpty());
    // The records wait for the first sheet: the program starts without them.
    QVERIFY(!QFileInfo::exists(fixture.recordsPath()));
    fixture.click(u"startButton"_s);
    QVERIFY(QFileInfo::exists(fixture.recordsPath()));
    QCOMPARE(fixture.practice->drill().phase(), Drill::Phase::Running);
}

void ChildrenTest::choosing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("bestTime");

    QTest::newRow("Enter takes the child of last time")
        << u"enter"_s << u"さくら"_s << u"ハイスコア： 1分05秒"_s;
    QTest::newRow("closed, the same") << u"escape"_s << u"さくら"_s << u"ハイスコア： 1分05秒"_s;
    QTest::newRow("a click on another name")
        << u"click"_s << u"ひとりめ"_s << u"ハイスコア： 1分51秒"_s;
}

void ChildrenTest::choosing()
{
    QFETCH(QString, how);
    QFETCH(QString, name);
    QFETCH(QString, bestTime);

    WindowFixture fixture;
    addSakuraFoundAtTheFirstSheet(fixture);
    ChildChooser* chooser = start(fixture);
    QVERIFY(chooser && chooser->isVisible());
    // The child of last time has the focus and is the default button.
    auto* offered = qobject_cast<QPushButton*>(chooser->focusWidget());
    QVERIFY(offered && offered->isDefault());
    QCOMPARE(offered->text(), u"さくら"_s);

    if (how == "enter"_L1)
        QTest::keyClick(chooser->focusWidget(), Qt::Key_Return);
    else if (how == "escape"_L1)
        QTest::keyClick(chooser, Qt::Key_Escape);
    else
        QTest::mouseClick(chooser->findChild<QPushButton*>(u"childButton0"_s), Qt::LeftButton);

    QTRY_VERIFY(!fixture.window->findChild<ChildChooser*>());
    QCOMPARE(childText(fixture), name);
    QCOMPARE(fixture.window->windowTitle(), u"Varolin － "_s + name);
    QCOMPARE(fixture.bestTimeText(), bestTime);
}

void ChildrenTest::nameOpensTheChooserBetweenSheets()
{
    WindowFixture fixture;
    addSakuraFoundAtTheFirstSheet(fixture);
    QTest::keyClick(start(fixture), Qt::Key_Escape);
    QTRY_VERIFY(!fixture.window->findChild<ChildChooser*>());

    QWidget* name = fixture.find(u"childLabel"_s);
    fixture.click(u"startButton"_s);
    QTest::mouseClick(name, Qt::LeftButton);
    QVERIFY(!fixture.window->findChild<ChildChooser*>());

    fixture.desktop.answers = {Answer::Yes};
    fixture.click(u"stopButton"_s);
    QVERIFY(SheetPlayer::playSheet(fixture));
    QCOMPARE(fixture.find<QLineEdit>(u"clockDisplay"_s)->text(), u"0:10"_s);
    QTest::mouseClick(name, Qt::LeftButton);
    auto* chooser = fixture.window->findChild<ChildChooser*>();
    QVERIFY(chooser);
    // Another child: their name stands out, and the time was not theirs.
    QTest::mouseClick(chooser->findChild<QPushButton*>(u"childButton0"_s), Qt::LeftButton);
    QCOMPARE(childText(fixture), u"ひとりめ"_s);
    QCOMPARE(fixture.find<QLineEdit>(u"clockDisplay"_s)->text(), u"0:00"_s);
    QVERIFY(fixture.find(u"childLabel"_s)->font().pointSizeF()
        > fixture.find(u"bestTimeLabel"_s)->font().pointSizeF());
}

void ChildrenTest::addAndRemove()
{
    WindowFixture fixture;
    addSakuraFoundAtTheFirstSheet(fixture);
    ChildChooser* chooser = start(fixture);
    QVERIFY(chooser);

    // An empty name is refused with a word why, then the name is asked again.
    fixture.desktop.textAnswers = {u" "_s, u"たろう"_s};
    QTest::mouseClick(chooser->findChild<QPushButton*>(u"addChildButton"_s), Qt::LeftButton);
    QCOMPARE(fixture.desktop.shown.size(), 2);
    QCOMPARE(fixture.desktop.shown[0].message.icon, Desktop::Icon::Warning);
    // Told it is done; a third child asks no other name.
    QCOMPARE(fixture.desktop.shown[1].message.prompt, u"たろう を ふやしました。"_s);
    QCOMPARE(fixture.desktop.asked.size(), 2);
    auto* added = chooser->findChild<QPushButton*>(u"childButton2"_s);
    QVERIFY(added);
    QCOMPARE(added->text(), u"たろう"_s);

    // Neither the first child nor the one at the board (さくら, offered
    // first) can be removed; the questions name the child and their sheets.
    fixture.desktop.itemAnswers = {0};
    fixture.desktop.answers = {Answer::Yes, Answer::Yes};
    QTest::mouseClick(chooser->findChild<QPushButton*>(u"removeChildButton"_s), Qt::LeftButton);
    QCOMPARE(fixture.desktop.offered.last(), (QStringList{u"たろう"_s}));
    QCOMPARE(chooser->findChild<QPushButton*>(u"removeChildButton"_s)->text(), u"こどもを けす"_s);
    QCOMPARE(fixture.desktop.shown.size(), 4);
    QVERIFY(fixture.desktop.shown[2].message.prompt.contains(u"たろう： きろく 0まい"_s));
    QCOMPARE(fixture.desktop.shown[3].message.title, u"もういちどかくにん"_s);
    for (int box : {2, 3})
        QCOMPARE(fixture.desktop.shown[box].message.buttons, Desktop::Buttons::YesNoDefaultNo);
    QCOMPARE(chooser->findChild<QPushButton*>(u"childButton1"_s)->text(), u"さくら"_s);
    QVERIFY(!chooser->findChild<QPushButton*>(u"childButton2"_s));
}

void ChildrenTest::secondChildNamesTheFirst_data()
{
    QTest::addColumn<QList<std::optional<QString>>>("typed");
    QTest::addColumn<QStringList>("children");
    QTest::newRow("the first child named too") << QList<std::optional<QString>>{
        u"たろう"_s, u"はなこ"_s} << QStringList{u"はなこ"_s, u"たろう"_s};
    QTest::newRow("cancelled: the first child stays ひとりめ") << QList<std::optional<QString>>{
        u"たろう"_s, std::nullopt} << QStringList{u"ひとりめ"_s, u"たろう"_s};
}

// A second child for a family whose one child was never named: that
// child's name is asked too, then the new child is confirmed.
void ChildrenTest::secondChildNamesTheFirst()
{
    QFETCH(QList<std::optional<QString>>, typed);
    QFETCH(QStringList, children);

    WindowFixture fixture;
    fixture.make();
    QVERIFY(fixture.practice->openRecords());
    ChildrenCommands commands(fixture.desktop, *fixture.practice);
    fixture.desktop.textAnswers = typed;
    QVERIFY(commands.add(fixture.window.get()));
    QStringList names;
    for (const Child& child : fixture.practice->children())
        names << child.name;
    QCOMPARE(names, children);
    QCOMPARE(fixture.desktop.asked.size(), 2);
    QVERIFY(fixture.desktop.asked[1].contains(u"ひとりめ"_s));
    QCOMPARE(fixture.desktop.shown.size(), 1);
    QCOMPARE(fixture.desktop.shown[0].message.prompt, u"たろう を ふやしました。"_s);
}

void ChildrenTest::namesFit_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("short") << u"はな"_s;
    QTest::newRow("twenty kana") << u"くらこちゃんのおねえさんのともだちです"_s;
    QTest::newRow("twenty wide letters") << u"WWWWWWWWWWWWWWWWWWWW"_s;
    QTest::newRow("two words") << u"Anna Maria Wolkenst"_s;
}

// Every name shows whole on a button as wide as the others, and the chooser
// stays over the window when a roster read adds a row of names.
void ChildrenTest::namesFit()
{
    QFETCH(QString, name);
    WindowFixture fixture;
    {
        RecordStore store(fixture.recordsPath());
        QVERIFY(store.open());
        QVERIFY(!store.setLastChild(*store.addChild(name)));
    }
    QVERIFY(!start(fixture));
    fixture.click(u"startButton"_s);
    auto* chooser = fixture.window->findChild<ChildChooser*>();
    QVERIFY(chooser);
    for (const QString& more : {u"a"_s, u"b"_s, u"c"_s, u"d"_s})
        QCOMPARE(fixture.practice->addChild(more).value(), Practice::NameProblem::None);
    QCoreApplication::processEvents();
    const auto buttons = chooser->findChildren<QPushButton*>(
        QRegularExpression(u"^childButton"_s), Qt::FindDirectChildrenOnly);
    QCOMPARE(buttons.size(), 6);
    for (const QPushButton* button : buttons)
        QCOMPARE(button->width(), buttons.first()->width());
    const QPushButton* shown = qobject_cast<QPushButton*>(chooser->focusWidget());
    QVERIFY(shown);
    QCOMPARE(shown->toolTip(), name);
    QCOMPARE(QString(shown->text()).remove(u'\n'), name);
    QVERIFY(shown->font().pointSizeF() >= 10);
    const QStringList lines = shown->text().split(u'\n');
    QVERIFY(lines.size() <= 2);
    for (const QString& line : lines) {
        QVERIFY2(QFontMetrics(shown->font()).horizontalAdvance(line) <= shown->width() - 16,
            qPrintable(line));
    }
    const QPoint off = chooser->frameGeometry().center() - fixture.window->frameGeometry().center();
    QVERIFY2(off.manhattanLength() <= 2, qPrintable(u"%1, %2"_s.arg(off.x()).arg(off.y())));
}

// The clock keeps the last sheet's time while the same child is at the
// board, renamed or not; another child starts from 0:00.
void ChildrenTest::clockFollowsTheChild()
{
    WindowFixture fixture;
    addSakuraFoundAtTheFirstSheet(fixture);
    QTest::keyClick(start(fixture), Qt::Key_Escape);
    QTRY_VERIFY(!fixture.window->findChild<ChildChooser*>());
    QVERIFY(SheetPlayer::playSheet(fixture, nullptr, 100));
    QTRY_COMPARE(fixture.desktop.shown.size(), 1);
    const auto* clock = fixture.find<QLineEdit>(u"clockDisplay"_s);
    QCOMPARE(clock->text(), u"0:10"_s);

    const qint64 sakura = fixture.practice->child().id;
    QCOMPARE(
        fixture.practice->renameChild(sakura, u"さくらこ"_s).value(), ChildName::Problem::None);
    QCOMPARE(childText(fixture), u"さくらこ"_s);
    QCOMPARE(clock->text(), u"0:10"_s);
    QVERIFY(fixture.practice->chooseChild(RecordStore::FirstChild));
    QCOMPARE(clock->text(), u"0:00"_s);
}

QTEST_MAIN(ChildrenTest)
#include "tst_children.moc"
