// SPDX-License-Identifier: GPL-3.0-or-later
// The records window shows what the store holds: every sheet in the table,
// newest first, in the day and hour it was kept with; the practice days of
// the last eight weeks and this week's count; each fact of the kind on its
// own square of the map with its average time and wrong digits; the five
// slowest facts; the graph of the kind chosen, named in the title. A part
// whose records cannot be read says so in its place. Erasing asks twice and
// a No leaves everything; the CSV goes where the user chose, and a failure
// is told and leaves no file. The window fits the area a 1024 x 768 screen
// leaves beside a panel, every control in reach.
#include "../printing/pdf_tools.h"
#include "app/children_commands.h"
#include "app/records_text.h"
#include "app/records_widgets.h"
#include "app/records_window.h"
#include "drill_player.h"
#include "fake_desktop.h"
#include "named_control.h"
#include "practice/machine_practice.h"
#include "practice/practice.h"
#include "window_fixture.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsTextItem>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTimeZone>
#include <QTimer>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Wednesday.
const QDate Today(2025, 2, 12);

// The parts of the window, by name.
const QStringList Parts = {u"graphPart"_s, u"calendarPart"_s, u"factsPart"_s, u"tablePart"_s};

struct Fact
{
    int left;
    int top;
    int milliseconds;
    int wrongDigits = 0;
};

FinishedSheet sheet(
    Kind kind, const QDateTime& at, int seconds, int wrongDigits = 0, const QList<Fact>& facts = {})
{
    FinishedSheet finished;
    finished.sheet.kind = kind;
    finished.seconds = seconds;
    finished.wrongDigits = wrongDigits;
    finished.finishedAt = at;
    int cell = 0;
    // A sheet's first answer, timed from the start, is a fact no map has:
    // the facts given are timed.
    if (!facts.isEmpty())
        finished.cells.push_back({cell++, 99, 99, 0, 30000, 0});
    for (const Fact& fact : facts)
        finished.cells.push_back(
            {cell++, fact.left, fact.top, 0, fact.milliseconds, fact.wrongDigits});
    return finished;
}

QDateTime at(int daysBeforeToday, int hour = 18)
{
    return QDateTime(Today.addDays(-daysBeforeToday), QTime(hour, 0));
}

struct Fixture
{
    Fixture()
        : machine({
            .settings = {folder.filePath(u"Varolin.ini"_s), true},
            .records = folder.filePath(u"records.sqlite"_s),
            .monotonic = clock.function(),
            .now = [] { return QDateTime(Today, QTime(19, 30)); },
            .unsavedNote = {},
        })
        , store(folder.filePath(u"records.sqlite"_s))
    {
        desktop.clock = QDateTime(Today, QTime(19, 30));
        // The sheets are added beside the practice's store, as a run would.
        QVERIFY(practice.openRecords());
        QVERIFY(store.open());
    }

    void add(const FinishedSheet& finished, qint64 child = RecordStore::FirstChild)
    {
        QVERIFY(!store.add(finished, child));
    }

    // The window as the main window opens it, with its commands.
    RecordsWindow& open(Kind kind = Kind::Addition)
    {
        window = std::make_unique<RecordsWindow>(machineRecords(practice), kind, desktop);
        handMachineCommands(*window, practice, commands);
        return *window;
    }

    QTemporaryDir folder;
    // The drill's, moved on by the sheets played through the practice.
    ManualClock clock;
    MachinePractice machine;
    Practice& practice = machine.practice();
    RecordStore store;
    FakeDesktop desktop;
    ChildrenCommands commands{desktop, practice};
    std::unique_ptr<RecordsWindow> window;
};

QTableView* sheetTable(const QWidget& window)
{
    return named<QTableView>(window, u"sheets"_s);
}

QAbstractButton* kindButton(const QWidget& window, Kind kind)
{
    return named<QAbstractButton>(window, u"kind%1"_s.arg(kindNumber(kind)));
}

// The graph's series: "sheetDots", "dayBests" or "bestTime".
QLineSeries* series(const QWidget& window, const QString& name)
{
    for (QAbstractSeries* each : named<QChartView>(window, u"graph"_s)->chart()->series()) {
        if (each->objectName() == name)
            return qobject_cast<QLineSeries*>(each);
    }
    qFatal("no series %s", qPrintable(name));
}

// Where a square draws itself: a square in the middle of its place.
QRect drawnSquare(const QWidget* square)
{
    const int side = std::min(square->width(), square->height());
    return {(square->width() - side) / 2, (square->height() - side) / 2, side, side};
}

// What a square shows, read from what it draws: its fill (none when it is
// drawn as a blank square is) and whether the red dot is in its corner.
QColor fillOf(const Square* square)
{
    const auto colourAt = [](Square& drawn) {
        const QRect box = drawnSquare(&drawn);
        return drawn.grab().toImage().pixelColor(
            box.left() + box.width() / 4, box.top() + box.height() * 3 / 4);
    };
    Square blank(square->width());
    blank.resize(square->size());
    const QColor colour = colourAt(const_cast<Square&>(*square));
    return colour == colourAt(blank) ? QColor() : colour;
}

bool dotOn(const Square* square)
{
    const QRect box = drawnSquare(square);
    const int side = box.width();
    const QColor corner = const_cast<Square*>(square)->grab().toImage().pixelColor(
        box.left() + side - side / 5 - 2, box.top() + side / 5 + 2);
    return corner.red() > 200 && corner.green() < 60 && corner.blue() < 60;
}

// The calendar's square of `day`; null outside the eight weeks.
const Square* daySquare(const QWidget& window, const QDate& day)
{
    return window.findChild<Square*>(u"day-"_s + day.toString(Qt::ISODate));
}

QStringList tableRow(const QTableView* table, int row)
{
    QStringList texts;
    for (int column = 0; column < table->model()->columnCount(); ++column)
        texts.append(table->model()->index(row, column).data().toString());
    return texts;
}

} // namespace

class RecordsWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void table();
    void calendar_data();
    void calendar();
    void weakFacts_data();
    void weakFacts();
    void slowestFacts_data();
    void slowestFacts();
    void firstAnswersNotSlowest();
    void knownFacts_data();
    void knownFacts();
    void factMapKeyboard();
    void graph();
    void kindSwitch();
    void childOfTheClass();
    void clearing_data();
    void clearing();
    void csv_data();
    void csv();
    void childSwitch();
    void clearingOneChild();
    void csvFileName();
    void unreadableParts_data();
    void unreadableParts();
    void sheetsNotKept();
    void monthReport_data();
    void monthReport();
    void fitsSmallScreen();
    void graphReadable_data();
    void graphReadable();
    void wordsKept_data();
    void wordsKept();
};

void RecordsWindowTest::table()
{
    Fixture fixture;
    // Kept in Tokyo: shown at the hour it was kept, whatever the zone now.
    const QTimeZone tokyo = QTimeZone(9 * 3600);
    fixture.add(sheet(Kind::Subtraction, QDateTime(Today, QTime(7, 5), tokyo), 65, 2));
    fixture.add(sheet(Kind::Division, at(2, 20), 600, 0));
    fixture.add(sheet(Kind::Addition, at(0, 19), 45, 12));
    fixture.add(sheet(Kind::Addition, at(3, 19), 50, 0));
    RecordsWindow& window = fixture.open();
    window.show();

    // The table follows the kind chosen; a kind with none says so over it.
    const QTableView* table = sheetTable(window);
    QCOMPARE(table->model()->rowCount(), 2);
    QStringList headers;
    for (int column = 0; column < 4; ++column)
        headers.append(table->model()->headerData(column, Qt::Horizontal).toString());
    QCOMPARE(headers, (QStringList{u"ひづけ"_s, u"しゅるい"_s, u"タイム"_s, u"まちがい"_s}));
    QCOMPARE(tableRow(table, 0),
        (QStringList{u"2025年2月12日(水) 19:00"_s, u"たしざん"_s, u"0分45秒"_s, u"12"_s}));
    QVERIFY(!named<QLabel>(window, u"tableEmpty"_s)->isVisible());
    window.setKind(Kind::Division);
    QCOMPARE(table->model()->rowCount(), 1);
    QCOMPARE(tableRow(table, 0),
        (QStringList{u"2025年2月10日(月) 20:00"_s, u"わりざん"_s, u"10分00秒"_s, u"0"_s}));
    window.setKind(Kind::Subtraction);
    QCOMPARE(tableRow(table, 0),
        (QStringList{u"2025年2月12日(水) 7:05"_s, u"ひきざん"_s, u"1分05秒"_s, u"2"_s}));
    QVERIFY(!named<QLabel>(window, u"graphEmpty"_s)->isVisible());
    window.setKind(Kind::Multiplication);
    QCOMPARE(table->model()->rowCount(), 0);
    for (const QString& empty : {u"tableEmpty"_s, u"graphEmpty"_s}) {
        QVERIFY(named<QLabel>(window, empty)->isVisible());
        QCOMPARE(named<QLabel>(window, empty)->text(), u"まだ ありません"_s);
    }
    // Clearing takes every kind: still offered.
    QVERIFY(named<QPushButton>(window, u"clearRecords"_s)->isEnabled());
}

void RecordsWindowTest::calendar_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QList<QDate>>("practised");
    QTest::addColumn<QString>("week");

    QTest::newRow("Sunday and Monday: only Monday is this week")
        << QDate(2025, 2, 10) << QList<QDate>{QDate(2025, 2, 9), QDate(2025, 2, 10)}
        << u"こんしゅう 1/4 にち"_s;
    QTest::newRow("Monday to Sunday, Sunday today")
        << QDate(2025, 2, 16)
        << QList<QDate>{QDate(2025, 2, 10), QDate(2025, 2, 12), QDate(2025, 2, 13),
               QDate(2025, 2, 15), QDate(2025, 2, 16)}
        << u"こんしゅう 5/4 にち"_s;
    QTest::newRow("first day of the eight weeks; the day before is off them") << QDate(2025, 2,
        12) << QList<QDate>{QDate(2024, 12, 22), QDate(2024, 12, 23)} << u"こんしゅう 0/4 にち"_s;
}

void RecordsWindowTest::calendar()
{
    QFETCH(QDate, today);
    QFETCH(QList<QDate>, practised);
    QFETCH(QString, week);

    Fixture fixture;
    fixture.desktop.clock = QDateTime(today, QTime(20, 0));
    for (const QDate& day : practised) {
        // Two sheets on one day are one practice day.
        fixture.add(sheet(Kind::Multiplication, QDateTime(day, QTime(7, 0)), 90));
        fixture.add(sheet(Kind::Multiplication, QDateTime(day, QTime(23, 59)), 120));
    }
    // The calendar counts the kind shown: another kind's day is not one.
    fixture.add(sheet(Kind::Division, QDateTime(calendarStart(today).addDays(3), QTime(9, 0)), 99));
    fixture.add(sheet(Kind::Division, QDateTime(today, QTime(6, 0)), 99));
    const RecordsWindow& window = fixture.open(Kind::Multiplication);
    const auto* calendar = window.findChild<PracticeCalendar*>();

    // Eight weeks from a Monday, today's week last.
    const QDate first = calendarStart(today);
    QCOMPARE(first.dayOfWeek(), 1);
    QCOMPARE(first.daysTo(today), 7 * 7 + today.dayOfWeek() - 1);
    for (int i = 0; i < 8 * 7; ++i) {
        const QDate day = first.addDays(i);
        const Square* square = daySquare(window, day);
        QVERIFY(square);
        QCOMPARE(fillOf(square).isValid(), practised.contains(day));
        QCOMPARE(square->isVisibleTo(calendar), day <= today);
    }
    QVERIFY(!daySquare(window, first.addDays(-1)));
    // Each row opens with its Monday; today's week, the last, is marked.
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const auto mondayLabel
        = [&window](int row) { return named<QLabel>(window, u"monday%1"_s.arg(row)); };
    QCOMPARE(mondayLabel(0)->text(), first.toString(u"M/d"_s));
    QCOMPARE(mondayLabel(7)->text(), u"▶ "_s + monday.toString(u"M/d"_s));
    QVERIFY(mondayLabel(7)->font().bold());
    QVERIFY(!mondayLabel(6)->font().bold());
    QCOMPARE(named<QLabel>(window, u"thisWeek"_s)->text(), week);
    QCOMPARE(named<QLabel>(window, u"thisWeek"_s)->accessibleName(), week);
}

void RecordsWindowTest::weakFacts_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("fact");
    QTest::addColumn<int>("quickLeft");
    QTest::addColumn<int>("quickTop");
    QTest::addColumn<int>("quickRow");
    QTest::addColumn<int>("quickColumn");

    // Each kind's slow fact with its place on the map, and a quick fact in a
    // corner of the map.
    QTest::newRow("addition") << Kind::Addition << 4 << 3 << 4 << 3 << u"3＋4"_s << 9 << 9 << 9
                              << 9;
    QTest::newRow("subtraction, minuends across")
        << Kind::Subtraction << 6 << 13 << 6 << 3 << u"13－6"_s << 0 << 10 << 0 << 0;
    QTest::newRow("multiplication, from 1")
        << Kind::Multiplication << 7 << 8 << 6 << 7 << u"8×7"_s << 1 << 1 << 0 << 0;
    QTest::newRow("division, quotients across")
        << Kind::Division << 8 << 56 << 7 << 6 << u"56÷8"_s << 9 << 81 << 8 << 8;
}

void RecordsWindowTest::weakFacts()
{
    QFETCH(Kind, kind);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, fact);
    QFETCH(int, quickLeft);
    QFETCH(int, quickTop);
    QFETCH(int, quickRow);
    QFETCH(int, quickColumn);

    Fixture fixture;
    fixture.add(sheet(kind, at(2), 100, 0, {{left, top, 2000}, {quickLeft, quickTop, 700}}));
    fixture.add(sheet(kind, at(1), 90, 3, {{left, top, 3200, 3}, {quickLeft, quickTop, 500}}));
    const FactMap* map = fixture.open(kind).findChild<FactMap*>();

    const Square* slow = map->square(row, column);
    QVERIFY(slow);
    QCOMPARE(
        slow->text(), fact + u"： だいたい 2.6秒、まちがい 3、じかんが かかった・まちがえた"_s);
    QCOMPARE(slow->accessibleName(), slow->text());
    QVERIFY(dotOn(slow));

    const Square* quick = map->square(quickRow, quickColumn);
    QVERIFY(quick->text().endsWith(u"だいたい 0.6秒、まちがい 0、もう すこし"_s));
    QVERIFY(!dotOn(quick));
    QVERIFY(fillOf(quick).isValid());
    QVERIFY2(fillOf(slow).lightness() < fillOf(quick).lightness(), "the slow fact is darker");

    // Every other fact of the map is blank and has not come up.
    int blank = 0;
    for (int r = 0; r < boardSize(kind); ++r) {
        for (int c = 0; c < boardSize(kind); ++c) {
            const Square* square = map->square(r, c);
            if (square != slow && square != quick) {
                blank += !fillOf(square).isValid() && !dotOn(square)
                    && square->text().endsWith(u"まだ でて いません"_s);
            }
        }
    }
    QCOMPARE(blank, boardSize(kind) * boardSize(kind) - 2);
    QVERIFY(!map->square(boardSize(kind), 0));
}

void RecordsWindowTest::slowestFacts_data()
{
    QTest::addColumn<QList<Fact>>("facts");
    QTest::addColumn<int>("sheets"); // each with these facts
    QTest::addColumn<QString>("sentence");

    const QList<Fact> seven = {{7, 8, 4000}, {6, 9, 3900}, {2, 2, 500}, {9, 9, 3000},
        {3, 4, 3000, 1}, {8, 8, 2500}, {1, 1, 400}};
    QTest::newRow("seven facts, five named, slowest first")
        << seven << 2 << u"おそい もんだい： 8×7、9×6、4×3、9×9、8×8"_s;
    QTest::newRow("timed once: none named yet")
        << seven << 1 << u"おそい もんだい： まだ ありません"_s;
    QTest::newRow("two facts") << QList<Fact>{{2, 3, 900}, {4, 5, 1900}} << 3
                               << u"おそい もんだい： 5×4、3×2"_s;
    QTest::newRow("none yet") << QList<Fact>{} << 2 << u"おそい もんだい： まだ ありません"_s;
}

void RecordsWindowTest::slowestFacts()
{
    QFETCH(QList<Fact>, facts);
    QFETCH(int, sheets);
    QFETCH(QString, sentence);

    Fixture fixture;
    for (int n = 0; n < sheets; ++n)
        fixture.add(sheet(Kind::Multiplication, at(n), 80, 0, facts));
    RecordsWindow& window = fixture.open(Kind::Multiplication);
    QCOMPARE(named<QLabel>(window, u"slowestFacts"_s)->accessibleName(), sentence);
}

// Two addition sheets played as a child plays them: each sheet's first
// answer after twenty seconds at 「はじめ」, every other one the slower the
// larger its sum. The slowest are the largest sums, never a first fact.
void RecordsWindowTest::firstAnswersNotSlowest()
{
    Fixture fixture;
    ManualClock clock;
    Drill drill(Kind::Addition, 7, clock.function());
    std::optional<FinishedSheet> finished;
    connect(&drill, &Drill::sheetFinished, this,
        [&finished](const FinishedSheet& sheet) { finished = sheet; });
    QStringList firsts;
    for (int n = 0; n < 2; ++n) {
        // The operands 0 to 9 turned by n: the first fact is n + n.
        Sheet board;
        for (int i = 0; i < 10; ++i) {
            board.rows[i] = (i + n) % 10;
            for (int j = 0; j < 10; ++j)
                board.columns[i][j] = (j + n) % 10;
        }
        drill.useSheet(board);
        drill.start();
        for (int answers = 0; drill.phase() == Drill::Phase::Running && answers < 100; ++answers) {
            const int cell = drill.openCell();
            clock.now += answers == 0 ? 20000 : 1000 + 100 * (board.left(cell) + board.top(cell));
            drill.typeText(QString::number(shownAnswer(drill)));
        }
        QVERIFY(finished);
        finished->finishedAt = at(3 - n);
        fixture.add(*std::exchange(finished, std::nullopt));
        drill.clearBoard();
        firsts << factText(Kind::Addition, {n, n});
    }
    const QString sentence = named<QLabel>(fixture.open(), u"slowestFacts"_s)->accessibleName();
    QCOMPARE(sentence, u"おそい もんだい： 9＋9、9＋8、8＋9、9＋7、8＋8"_s);
    for (const QString& first : firsts)
        QVERIFY2(!sentence.contains(first), qPrintable(first));
}

void RecordsWindowTest::knownFacts_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("sheets");
    QTest::addColumn<int>("weakRow"); // its facts' left operand; -1 for none
    QTest::addColumn<bool>("wrong"); // the weak row has a wrong digit, else just over 3 s

    QTest::newRow("two sheets: met, none known yet") << Kind::Addition << 2 << -1 << false;
    QTest::newRow("three quick sheets") << Kind::Subtraction << 3 << -1 << false;
    QTest::newRow("a row slow in the last") << Kind::Addition << 3 << 0 << false;
    QTest::newRow("× out of 81, a row slow") << Kind::Multiplication << 3 << 7 << false;
    QTest::newRow("a row with wrong digits in the last") << Kind::Division << 4 << 4 << true;
}

// Sheets played through the practice, quick but for one row in the last: the
// count and every square's state, as a screen reader reads them, agree.
void RecordsWindowTest::knownFacts()
{
    QFETCH(Kind, kind);
    QFETCH(int, sheets);
    QFETCH(int, weakRow);
    QFETCH(bool, wrong);

    Fixture fixture;
    Drill& drill = fixture.practice.drill();
    while (drill.kind() != kind)
        fixture.practice.switchKind();
    QMap<std::pair<int, int>, int> timed; // answers after each sheet's first
    QSet<std::pair<int, int>> weak;
    for (int n = 0; n < sheets; ++n) {
        QCOMPARE(fixture.practice.startSheet(), Practice::Start::Started);
        for (int answers = 0; drill.phase() == Drill::Phase::Running && answers < 100; ++answers) {
            const int cell = drill.openCell();
            const std::pair fact{
                drill.sheet().rowOperand(cell / 10), drill.shownColumnOperand(cell % 10)};
            const bool weakNow = n == sheets - 1 && fact.first == weakRow;
            const int answer = shownAnswer(drill);
            fixture.clock.now += weakNow && !wrong ? 3001 : 1500;
            if (weakNow && wrong)
                drill.typeText(QString::number(((answer >= 10 ? answer / 10 : answer) + 1) % 10));
            drill.typeText(QString::number(answer));
            timed[fact] += answers > 0;
            if (weakNow && answers > 0)
                weak.insert(fact);
        }
        fixture.practice.verdictRead();
    }
    int known = 0;
    for (auto fact = timed.cbegin(); fact != timed.cend(); ++fact)
        known += fact.value() >= 3 && !weak.contains(fact.key());

    RecordsWindow& window = fixture.open(kind);
    const int facts = boardSize(kind) * boardSize(kind);
    QCOMPARE(named<QLabel>(window, u"knownFacts"_s)->accessibleName(),
        u"おぼえた もんだい： %1/%2"_s.arg(known).arg(facts));
    QMap<QString, int> states;
    for (const Square* square : window.findChild<FactMap*>()->findChildren<Square*>()) {
        if (square->isVisibleTo(&window))
            ++states[square->accessibleName().section(u"、"_s, -1)];
    }
    QCOMPARE(states.value(u"おぼえた"_s), known);
    QCOMPARE(states.value(u"じかんが かかった・まちがえた"_s), int(weak.size()));
    QCOMPARE(states.value(u"もう すこし"_s), facts - known - int(weak.size()));
}

void RecordsWindowTest::factMapKeyboard()
{
    Fixture fixture;
    fixture.add(sheet(Kind::Addition, at(0), 80, 0, {{0, 1, 1500, 2}}));
    RecordsWindow& window = fixture.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FactMap* map = window.findChild<FactMap*>();

    map->square(0, 0)->setFocus();
    QTRY_VERIFY(map->square(0, 0)->hasFocus());
    QTest::keyClick(map->square(0, 0), Qt::Key_Right);
    QVERIFY(map->square(0, 1)->hasFocus());
    QCOMPARE(named<QLabel>(window, u"factDetail"_s)->text(),
        u"1＋0： だいたい 1.5秒、まちがい 2、じかんが かかった・まちがえた"_s);
    QTest::keyClick(map->square(0, 1), Qt::Key_Up);
    QVERIFY(map->square(0, 1)->hasFocus());

    // Tab leaves the map and comes back to the square last visited.
    QTest::keyClick(map->square(0, 1), Qt::Key_Tab);
    QVERIFY(!map->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QVERIFY(map->square(0, 1)->hasFocus());
}

void RecordsWindowTest::graph()
{
    Fixture fixture;
    fixture.add(sheet(Kind::Addition, at(0, 7), 65));
    fixture.add(sheet(Kind::Addition, at(5, 8), 90));
    fixture.add(sheet(Kind::Addition, at(5, 9), 70));
    fixture.add(sheet(Kind::Addition, at(40), 200));
    fixture.add(sheet(Kind::Subtraction, at(0, 19), 50));
    RecordsWindow& window = fixture.open();

    QCOMPARE(series(window, u"sheetDots"_s)->count(), 3);
    QCOMPARE(series(window, u"dayBests"_s)->count(), 2);
    QCOMPARE(series(window, u"dayBests"_s)->at(0).y(), 70.0);
    QCOMPARE(series(window, u"dayBests"_s)->at(1).y(), 65.0);
    QVERIFY(!series(window, u"bestTime"_s)->isVisible());
    QCOMPARE(named<QLabel>(window, u"graphSummary"_s)->accessibleName(),
        u"たしざん： さいごの タイム 1分05秒、ハイスコア なし、30にちで 3まい"_s);
    // The axis ends with today, its label under today's sheets.
    auto* days = qobject_cast<QCategoryAxis*>(
        named<QChartView>(window, u"graph"_s)->chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(days);
    QCOMPARE(days->categoriesLabels().last(), u"2/12"_s);
    const qreal todayAt = days->endValue(days->categoriesLabels().last());
    QCOMPARE(days->max() - todayAt, 0.5);
    QCOMPARE_GE(series(window, u"sheetDots"_s)->at(0).x(), days->max() - 1);
    QCOMPARE_LT(series(window, u"sheetDots"_s)->at(0).x(), days->max());

    window.setBestTimes(BestTimes({60, std::nullopt, std::nullopt, std::nullopt}));
    QVERIFY(series(window, u"bestTime"_s)->isVisible());
    QCOMPARE(series(window, u"bestTime"_s)->at(0).y(), 60.0);
    named<QRadioButton>(window, u"allDays"_s)->click();
    QCOMPARE(series(window, u"sheetDots"_s)->count(), 4);
    QCOMPARE(series(window, u"dayBests"_s)->count(), 3);
    const QString summary
        = u"たしざん： さいごの タイム 1分05秒、ハイスコア 1分00秒、ぜんぶで 4まい"_s;
    QCOMPARE(named<QLabel>(window, u"graphSummary"_s)->accessibleName(), summary);
    QCOMPARE(named<QChartView>(window, u"graph"_s)->accessibleDescription(), summary);
}

void RecordsWindowTest::kindSwitch()
{
    Fixture fixture;
    fixture.add(sheet(Kind::Addition, at(1), 65, 0, {{0, 0, 900}}));
    fixture.add(sheet(Kind::Division, at(2), 300, 0, {{9, 81, 5000}}));
    fixture.add(sheet(Kind::Division, at(3), 320, 0, {{9, 81, 4000}}));
    RecordsWindow& window = fixture.open(Kind::Addition);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(series(window, u"sheetDots"_s)->count(), 1);

    QCOMPARE(window.windowTitle(), u"ひとりめ の きろく － たしざん"_s);
    QTest::mouseClick(kindButton(window, Kind::Division), Qt::LeftButton);
    QVERIFY(kindButton(window, Kind::Division)->isChecked());
    QCOMPARE(window.windowTitle(), u"ひとりめ の きろく － わりざん"_s);
    QVERIFY(!kindButton(window, Kind::Addition)->isChecked());
    QCOMPARE(series(window, u"sheetDots"_s)->count(), 2);
    QCOMPARE(
        named<QLabel>(window, u"slowestFacts"_s)->accessibleName(), u"おそい もんだい： 81÷9"_s);
    QVERIFY(fillOf(window.findChild<FactMap*>()->square(8, 8)).isValid());
    QCOMPARE(sheetTable(window)->model()->rowCount(), 2);

    window.setKind(Kind::Multiplication);
    QVERIFY(kindButton(window, Kind::Multiplication)->isChecked());
    QCOMPARE(series(window, u"sheetDots"_s)->count(), 0);
    QCOMPARE(named<QLabel>(window, u"graphSummary"_s)->accessibleName(),
        u"かけざん： まだ きろくが ありません、ハイスコア なし、30にちで 0まい"_s);
}

// A child's records as the class view opens them: named in the title, with
// no switch and no children's commands; Escape closes the window.
void RecordsWindowTest::childOfTheClass()
{
    Fixture fixture;
    fixture.add(sheet(Kind::Division, at(5), 300));
    fixture.add(sheet(Kind::Addition, at(2), 65));
    Child hanako;
    hanako.id = RecordStore::FirstChild;
    hanako.name = u"はなこ"_s;
    RecordsWindow window(
        classChildRecords(localRecords(fixture.store), hanako), Kind::Division, fixture.desktop);
    QCOMPARE(window.windowTitle(), u"はなこ の きろく － わりざん"_s);
    QCOMPARE(sheetTable(window)->model()->rowCount(), 1);

    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    for (const QString& hidden :
        {u"childSwitch"_s, u"addChild"_s, u"renameChild"_s, u"removeChild"_s, u"clearRecords"_s})
        QVERIFY2(!named(window, hidden)->isVisible(), qPrintable(hidden));
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

void RecordsWindowTest::clearing_data()
{
    QTest::addColumn<QList<Desktop::Answer>>("answers");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<bool>("cleared");

    using A = Desktop::Answer;
    QTest::newRow("yes, then no") << QList<A>{A::Yes, A::No} << 2 << false;
    QTest::newRow("yes, yes") << QList<A>{A::Yes, A::Yes} << 2 << true;
}

void RecordsWindowTest::clearing()
{
    QFETCH(QList<Desktop::Answer>, answers);
    QFETCH(int, boxes);
    QFETCH(bool, cleared);

    Fixture fixture;
    fixture.add(sheet(Kind::Addition, at(0), 65));
    fixture.add(sheet(Kind::Addition, at(1), 70));
    fixture.add(sheet(Kind::Division, at(1), 300));
    RecordsWindow& window = fixture.open();
    fixture.desktop.answers = answers;
    QTest::mouseClick(named<QPushButton>(window, u"clearRecords"_s), Qt::LeftButton);

    QCOMPARE(fixture.desktop.shown.size(), boxes);
    const QString list = u"たしざん： 2まい\r\nひきざん： 0まい\r\nかけざん： 0まい\r\n"
                         u"わりざん： 1まい\r\n"_s;
    const Desktop::Message& first = fixture.desktop.shown[0].message;
    QCOMPARE(first.title, u"きろく"_s);
    QCOMPARE(first.buttons, Desktop::Buttons::YesNoDefaultNo);
    QCOMPARE(first.prompt,
        u"きろくを ぜんぶ けします。ハイスコアは のこります。\r\n\r\n"_s + list + u"\r\n\r\n"_s);
    if (boxes == 2) {
        const Desktop::Message& second = fixture.desktop.shown[1].message;
        QCOMPARE(second.title, u"もういちどかくにん"_s);
        QCOMPARE(second.buttons, Desktop::Buttons::YesNoDefaultNo);
        QCOMPARE(
            second.prompt, u"ほんとうに、けして いいですか？\r\n\r\n"_s + list + u"\r\n\r\n"_s);
    }
    QCOMPARE(fixture.store.count(), cleared ? 0 : 3);
    QCOMPARE(sheetTable(window)->model()->rowCount(), cleared ? 0 : 2);
    QCOMPARE(fillOf(daySquare(window, Today)).isValid(), !cleared);
    QCOMPARE(named<QPushButton>(window, u"clearRecords"_s)->isEnabled(), !cleared);
}

void RecordsWindowTest::csv_data()
{
    QTest::addColumn<QString>("fileName"); // empty: the dialog is cancelled
    QTest::addColumn<bool>("written");

    QTest::newRow("chosen path") << u"out.csv"_s << true;
    QTest::newRow("cancelled") << QString() << false;
    QTest::newRow("folder missing") << u"missing/out.csv"_s << false;
}

void RecordsWindowTest::csv()
{
    QFETCH(QString, fileName);
    QFETCH(bool, written);

    Fixture fixture;
    fixture.add(sheet(Kind::Addition, at(0), 65));
    fixture.add(sheet(Kind::Division, at(1), 300, 4));
    RecordsWindow& window = fixture.open();
    const QString path = fileName.isEmpty() ? QString() : fixture.folder.filePath(fileName);
    fixture.desktop.savePath = path;
    QTest::mouseClick(named<QPushButton>(window, u"exportCsv"_s), Qt::LeftButton);

    QCOMPARE(fixture.desktop.saveSuggestions.size(), 1);
    QFile file(path);
    QCOMPARE(file.exists(), written);
    if (written) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), fixture.store.csv().value());
    }
    // Told where it went, or that it could not be written; a cancel says
    // nothing. The folder proposed is the documents folder, or home where
    // there is none: never one the dialog cannot open.
    const QFileInfo proposed(fixture.desktop.saveSuggestions[0]);
    QVERIFY(proposed.absoluteDir().exists());
    QVERIFY(QStringList(
        {QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath()})
                .contains(proposed.absolutePath()));
    QCOMPARE(fixture.desktop.shown.size(), path.isEmpty() ? 0 : 1);
    if (!path.isEmpty()) {
        const Desktop::Message& told = fixture.desktop.shown[0].message;
        QCOMPARE(told.prompt,
            (written ? u"CSV を かきだしました。\r\n"_s : u"CSV を かきだせませんでした。\r\n"_s)
                + QDir::toNativeSeparators(path));
        QCOMPARE(told.icon, written ? Desktop::Icon::None : Desktop::Icon::Warning);
    }
}

// The file proposed carries the shown child's name, safe for a file name.
void RecordsWindowTest::csvFileName()
{
    Fixture fixture;
    QCOMPARE(fixture.practice.addChild(u"は/な.こ"_s).value(), Practice::NameProblem::None);
    fixture.open().showChild(fixture.practice.children().last().id);
    fixture.desktop.itemAnswers = {0};
    QTest::mouseClick(named<QPushButton>(*fixture.window, u"exportCsv"_s), Qt::LeftButton);
    QCOMPARE(QFileInfo(fixture.desktop.saveSuggestions.value(0)).fileName(),
        u"きろく-は／な．こ-2025-02-12.csv"_s);
}

void RecordsWindowTest::unreadableParts_data()
{
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QStringList>("unreadable");

    QTest::newRow("cells gone: the weak facts only")
        << QStringList{u"sheet_cells"_s} << QStringList{u"factsPart"_s};
    QTest::newRow("nothing readable") << QStringList{u"sheet_cells"_s, u"sheets"_s} << Parts;
}

void RecordsWindowTest::unreadableParts()
{
    QFETCH(QStringList, dropped);
    QFETCH(QStringList, unreadable);

    Fixture fixture;
    fixture.add(sheet(Kind::Addition, at(0), 65, 0, {{1, 2, 900}}));
    RecordsWindow& window = fixture.open();
    window.show();
    {
        // Another program spoils the file while the window is open.
        QSqlDatabase other = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
        other.setDatabaseName(fixture.store.path());
        QVERIFY(other.open());
        for (const QString& table : dropped)
            QVERIFY(QSqlQuery(other).exec(u"DROP TABLE "_s + table));
    }
    QSqlDatabase::removeDatabase(u"other"_s);
    window.refresh();

    for (const QString& part : Parts) {
        const auto* failure = named<QLabel>(*named<QGroupBox>(window, part), u"unreadable"_s);
        QCOMPARE(failure->isVisibleTo(&window), unreadable.contains(part));
        QCOMPARE(failure->accessibleName(), u"きろくを よめませんでした。"_s);
    }

    // The CSV reads the sheets alone: written, or told and no file left.
    const bool csvReadable = !dropped.contains(u"sheets"_s);
    const QString path = fixture.folder.filePath(u"out.csv"_s);
    fixture.desktop.savePath = path;
    QTest::mouseClick(named<QPushButton>(window, u"exportCsv"_s), Qt::LeftButton);
    QCOMPARE(QFile::exists(path), csvReadable);
    QCOMPARE(fixture.desktop.shown.size(), 1);
    QVERIFY(fixture.desktop.shown[0].message.prompt.startsWith(
        csvReadable ? u"CSV を かきだしました。"_s : unreadableText()));
    if (!csvReadable) {
        QVERIFY(
            fixture.desktop.shown[0].message.prompt.startsWith(u"きろくを よめませんでした。"_s));
    }
}

void RecordsWindowTest::sheetsNotKept()
{
    Fixture fixture;
    RecordsWindow& window = fixture.open();
    window.show();
    QVERIFY(!named<QLabel>(window, u"sheetsNotKept"_s)->isVisible());
    window.setSheetsNotKept(1);
    QVERIFY(named<QLabel>(window, u"sheetsNotKept"_s)->isVisible());
    QCOMPARE(named<QLabel>(window, u"sheetsNotKept"_s)->accessibleName(),
        u"この かいの きろくの うち 1まいは ほぞん できませんでした。"_s);
    window.setSheetsNotKept(0);
    QVERIFY(!named<QLabel>(window, u"sheetsNotKept"_s)->isVisible());
}

// The switch appears with a second child, shows the board's child first and
// then the child chosen: their table, graph and calendar.
void RecordsWindowTest::childSwitch()
{
    Fixture fixture;
    fixture.add(sheet(Kind::Addition, at(0), 65));
    RecordsWindow& window = fixture.open();
    window.show();
    QVERIFY(!named<QComboBox>(window, u"childSwitch"_s)->isVisible());

    QCOMPARE(fixture.practice.addChild(u"さくら"_s).value(), ChildName::Problem::None);
    const qint64 sakura = fixture.practice.children().last().id;
    fixture.add(sheet(Kind::Addition, at(3), 70), sakura);
    fixture.add(sheet(Kind::Division, at(4), 300), sakura);
    QVERIFY(named<QComboBox>(window, u"childSwitch"_s)->isVisible());
    QCOMPARE(named<QComboBox>(window, u"childSwitch"_s)->currentText(), u"ひとりめ"_s);

    named<QComboBox>(window, u"childSwitch"_s)->setFocus();
    QTest::keyClick(named<QComboBox>(window, u"childSwitch"_s), Qt::Key_Down);
    QCOMPARE(named<QComboBox>(window, u"childSwitch"_s)->currentData().toLongLong(), sakura);
    QCOMPARE(tableRow(sheetTable(window), 0).value(2), u"1分10秒"_s);
    QCOMPARE(sheetTable(window)->model()->rowCount(), 1);
    QCOMPARE(series(window, u"sheetDots"_s)->count(), 1);
    QCOMPARE(series(window, u"sheetDots"_s)->at(0).y(), 70.0);
    QVERIFY(!fillOf(daySquare(window, Today)).isValid());
    QVERIFY(fillOf(daySquare(window, Today.addDays(-3))).isValid());

    // A child who never did the kind shown: the window turns to the kind of
    // their newest sheet, and back only when asked.
    QCOMPARE(fixture.practice.addChild(u"けん"_s).value(), Practice::NameProblem::None);
    const qint64 ken = fixture.practice.children().last().id;
    fixture.add(sheet(Kind::Multiplication, at(6), 80), ken);
    fixture.add(sheet(Kind::Division, at(2), 300), ken);
    window.showChild(ken);
    QVERIFY(kindButton(window, Kind::Division)->isChecked());
    QCOMPARE(series(window, u"sheetDots"_s)->count(), 1);
    window.showChild(sakura);
    QVERIFY(kindButton(window, Kind::Division)->isChecked());
}

// With two children the questions name the shown child, and only that
// child's sheets go.
void RecordsWindowTest::clearingOneChild()
{
    Fixture fixture;
    QCOMPARE(fixture.practice.addChild(u"さくら"_s).value(), ChildName::Problem::None);
    const qint64 sakura = fixture.practice.children().last().id;
    fixture.add(sheet(Kind::Addition, at(0), 65));
    fixture.add(sheet(Kind::Addition, at(1), 70), sakura);
    RecordsWindow& window = fixture.open();
    window.showChild(sakura);
    fixture.desktop.answers = {Desktop::Answer::Yes, Desktop::Answer::Yes};
    QTest::mouseClick(named<QPushButton>(window, u"clearRecords"_s), Qt::LeftButton);

    QCOMPARE(fixture.desktop.shown.size(), 2);
    for (const auto& shown : fixture.desktop.shown)
        QVERIFY(shown.message.prompt.startsWith(u"さくら： "_s));
    QCOMPARE(fixture.store.sheetCount(sakura), 0);
    QCOMPARE(fixture.store.sheetCount(RecordStore::FirstChild), 1);
    QCOMPARE(sheetTable(window)->model()->rowCount(), 0);
}

void RecordsWindowTest::monthReport_data()
{
    QTest::addColumn<int>("month"); // in the list offered, from this month; -1 as it opens
    QTest::addColumn<QStringList>("texts"); // on the page, beside the name

    QTest::newRow("this month, offered first")
        << -1 << QStringList{u"2025ねん 2がつの れんしゅう"_s, u"おぼえた もんだい： 0/100"_s};
    QTest::newRow("the month before: the facts as they stood then")
        << 1 << QStringList{u"2025ねん 1がつの れんしゅう"_s, u"おぼえた もんだい： 1/100"_s};
}

// 「いんさつ」 through the main window's print dialog: the shown child's
// report of the month chosen, with their name and the facts known then.
void RecordsWindowTest::monthReport()
{
    QVERIFY2(Pdf::toolsPresent(), Pdf::Missing);
    QFETCH(int, month);
    QFETCH(QStringList, texts);

    setRecordsViewMaker(&varolinMakeRecordsView);
    WindowFixture fixture;
    fixture.make();
    QVERIFY(fixture.practice->openRecords());
    QCOMPARE(fixture.practice->addChild(u"さくら"_s).value(), ChildName::Problem::None);
    const qint64 sakura = fixture.practice->children().last().id;
    RecordStore store(fixture.recordsPath());
    QVERIFY(store.open());
    // 4＋3 known by heart in January, slow in February.
    for (const QDate day :
        {QDate(2025, 1, 20), QDate(2025, 1, 21), QDate(2025, 1, 22), QDate(2025, 2, 3)}) {
        QVERIFY(!store.add(sheet(Kind::Addition, QDateTime(day, QTime(18, 0)), 80, 0,
                               {{3, 4, day.month() == 1 ? 900 : 4000}}),
            sakura));
    }
    fixture.click(u"recordsButton"_s);
    auto* records = fixture.window->findChild<RecordsWindow*>();
    records->showChild(sakura);
    fixture.desktop.chosenPdfPath = fixture.path(u"report.pdf"_s);

    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        auto* months = dialog->findChild<QComboBox*>(u"reportMonth"_s);
        QCOMPARE(months->itemText(1), u"2025ねん 1がつ"_s);
        dialog->findChild<QRadioButton*>(u"monthReport"_s)->click();
        if (month >= 0)
            months->setCurrentIndex(month);
        dialog->findChild<QPushButton*>(u"print"_s)->click();
    });
    QTest::mouseClick(records->findChild<QPushButton*>(u"print"_s), Qt::LeftButton);

    QCOMPARE(fixture.desktop.documentNames,
        QStringList(u"Varolin さくら 2025-%1"_s.arg(month == 1 ? u"01" : u"02")));
    QCOMPARE(fixture.desktop.shown.size(), 0);
    const QString pdf = fixture.desktop.chosenPdfPath;
    QCOMPARE(Pdf::pages(pdf), 1);
    const QString text = QString::fromUtf8(Pdf::run(u"pdftotext"_s, {pdf, u"-"_s}));
    for (const QString& expected : texts + QStringList{u"さくら"_s})
        QVERIFY2(text.contains(expected), qPrintable(expected + u" in "_s + text));
}

// The test's screen is 1024 x 720 (see main()).
void RecordsWindowTest::fitsSmallScreen()
{
    Fixture fixture;
    for (int day = 0; day < 300; ++day)
        fixture.add(sheet(AllKinds[day % 4], at(day), 60 + day % 50, 0, {{1, 2, 900}}));
    RecordsWindow& window = fixture.open();
    window.setSheetsNotKept(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect available = window.screen()->availableGeometry();
    QCOMPARE(available.size(), QSize(1024, 720));
    QVERIFY(available.contains(window.frameGeometry()));

    // At its smallest it still fits, and at the size it opened with every
    // command is in sight and nothing needs scrolling sideways.
    QVERIFY(available.size().boundedTo(window.minimumSizeHint()) == window.minimumSizeHint());
    QList<QWidget*> controls;
    for (Kind kind : AllKinds)
        controls << kindButton(window, kind);
    controls << named<QPushButton>(window, u"exportCsv"_s)
             << named<QPushButton>(window, u"clearRecords"_s) << named(window, u"addChild"_s)
             << named(window, u"renameChild"_s);
    for (QWidget* control : controls) {
        QVERIFY(control->isVisible());
        QVERIFY(window.rect().contains(QRect(control->mapTo(&window, QPoint()), control->size())));
    }
    auto* parts = named<QScrollArea>(window, u"parts"_s);
    QCOMPARE(parts->horizontalScrollBar()->maximum(), 0);
    // Nor upwards and downwards: the wrapped lines and the parts' smallest
    // sizes leave every part whole in the height beside a panel.
    QVERIFY2(!parts->verticalScrollBar()->isVisible(),
        qPrintable(u"%1 px beyond the window"_s.arg(parts->verticalScrollBar()->maximum())));
}

// On the small screen the graph keeps its numbers for every kind: no label
// of either axis is cut to 「…」, and the seconds are there to read.
void RecordsWindowTest::graphReadable_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("slowest");
    for (Kind kind : AllKinds) {
        QTest::addRow("%s, under a minute", qPrintable(kindName(kind))) << kind << 55;
        QTest::addRow("%s, ten minutes", qPrintable(kindName(kind))) << kind << 600;
    }
}

void RecordsWindowTest::graphReadable()
{
    QFETCH(Kind, kind);
    QFETCH(int, slowest);
    Fixture fixture;
    // Every fact of the kind met: the map at its fullest.
    QList<Fact> facts;
    for (int left = 1; left <= 9; ++left) {
        for (int top = 1; top <= 9; ++top)
            facts.append({left, kind == Kind::Division ? left * top : top, 900 + 10 * top, 1});
    }
    for (int day = 0; day < 20; ++day)
        fixture.add(sheet(kind, at(day), slowest - day % 10, 1, facts));
    RecordsWindow& window = fixture.open(kind);
    window.setSheetsNotKept(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto* view = named<QChartView>(window, u"graph"_s);
    QStringList labels;
    for (QGraphicsItem* item : view->scene()->items()) {
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
            labels << text->toPlainText();
    }
    for (const QString& label : labels)
        QVERIFY2(!label.contains(u'…') && !label.contains(u"..."_s), qPrintable(labels.join(u' ')));
    // The seconds axis from 0 to past the slowest, each step whole.
    auto* seconds = qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).value(0));
    QVERIFY(seconds);
    QVERIFY(labels.contains(u"0"_s));
    QVERIFY2(labels.contains(QString::number(int(seconds->max()))), qPrintable(labels.join(u' ')));
    QCOMPARE_GE(int(seconds->max()), slowest);
}

// A wrapped sentence breaks at spaces and after 「、」 and 「。」 only, at any
// width: never inside a word such as 「ハイスコア」.
void RecordsWindowTest::wordsKept_data()
{
    QTest::addColumn<QString>("text");
    StoredSheet newest;
    newest.seconds = 65;
    QTest::newRow("graph summary") << graphSummary(Kind::Addition, &newest, 60, 12, false);
    QTest::newRow("no sheets yet") << graphSummary(Kind::Division, nullptr, std::nullopt, 0, true);
    QTest::newRow("unreadable") << u"「"_s + unreadableText() + u"」 "_s + unreadableText();
    QTest::newRow("not kept") << notKeptText(3);
}

void RecordsWindowTest::wordsKept()
{
    QFETCH(QString, text);
    const QString shown = keptWords(text);
    QCOMPARE(QString(shown).remove(QChar(0x2060)), text);
    const QFont font(u"IPAPGothic"_s, 11);
    for (int width = 40; width <= 400; width += 7) {
        QTextLayout layout(shown, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(width);
        layout.endLayout();
        for (int i = 0; i + 1 < layout.lineCount(); ++i) {
            const int end = layout.lineAt(i).textStart() + layout.lineAt(i).textLength();
            const QChar before = shown.at(end - 1);
            QVERIFY2(before.isSpace() || before == u'、' || before == u'。',
                qPrintable(u"%1 px: %2 | %3"_s.arg(width)
                               .arg(shown.left(end), shown.mid(end))
                               .remove(QChar(0x2060))));
        }
    }
}

// The records window on a screen of 1024 x 720, the area a 1024 x 768 screen
// leaves beside a panel.
int main(int argc, char** argv)
{
    QTemporaryDir folder;
    const QString config = folder.filePath(u"screen.json"_s);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1024, "height": 720,
        "logicalDpiX": 96, "logicalDpiY": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    RecordsWindowTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_records_window.moc"
