// SPDX-License-Identifier: GPL-3.0-or-later
// The window as designed: every control inside it and none over another,
// the board on one uniform pitch lined up with its headers, the tab order,
// the names screen readers read, the date label; and the look of what cannot be used: a
// disabled command and the unused tenth headers of × and ÷ are greyed, the
// enabled commands bold.
#include "app/date_text.h"
#include "printing/fonts.h"
#include "sheet_player.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList commands{u"switchKindButton"_s, u"startButton"_s, u"stopButton"_s, u"endButton"_s,
    u"newNumbersButton"_s};

// Pixels drawn in (nearly) black: captions, digits and frames in the design's
// black. A greyed control has none.
int blackPixels(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 64)
                ++count;
        }
    }
    return count;
}

void clickTimes(const WindowFixture& fixture, const QString& button, int times)
{
    for (int i = 0; i < times; ++i)
        fixture.click(button);
}

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout();
    void dateText_data();
    void dateText();
    void stateAfterStartUp();
    void tabOrder();
    void fontFamilies_data();
    void fontFamilies();
    void accessibleNames_data();
    void accessibleNames();
    void commandsLook();
    void tenthHeadersStayGreyed();
};

void WindowTest::layout()
{
    WindowFixture fixture;
    MainWindow& window = fixture.make();
    QCOMPARE(window.minimumSize(), window.maximumSize());
    // One size: nothing to maximise.
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));

    // The controls a child can see: every one inside the window, none over
    // another. (The board is the layer under them all.)
    // The line a classroom machine shows when its sheets wait too long
    // takes its place among them.
    fixture.find(u"lateLabel"_s)->show();
    QList<QWidget*> shown;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->isVisibleTo(&window) && widget->objectName() != u"board"_s)
            shown.append(widget);
    }
    QVERIFY(shown.size() > 120);
    const auto place = [&](const QWidget* widget) {
        return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    };
    for (qsizetype i = 0; i < shown.size(); ++i) {
        QVERIFY2(window.rect().contains(place(shown[i])), qPrintable(shown[i]->objectName()));
        for (qsizetype j = i + 1; j < shown.size(); ++j) {
            QVERIFY2(!place(shown[i]).intersects(place(shown[j])),
                qPrintable(shown[i]->objectName() + u" over "_s + shown[j]->objectName()));
        }
    }
    fixture.find(u"lateLabel"_s)->hide();
    for (const QString& name : {u"printButton"_s, u"screenCopyButton"_s, u"modeButton"_s,
             u"randomLabel"_s, u"randomCheck"_s, u"childLabel"_s})
        QVERIFY2(!fixture.find(name)->isVisible(), qPrintable(name));

    // Each command has a face of its own, never the window's.
    QList<QColor> faces{window.palette().color(QPalette::Window)};
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (!button->isVisible())
            continue;
        const QColor face = button->palette().color(QPalette::Active, QPalette::Button);
        QVERIFY2(!faces.contains(face), qPrintable(button->objectName()));
        faces.append(face);
    }

    // The board: square cells on one pitch in both directions, with a gap
    // between them, each row and column lined up with its header; the sign
    // in the corner the headers start from.
    const QRect first = place(fixture.cell(0));
    const int pitch = place(fixture.cell(1)).left() - first.left();
    QCOMPARE(first.width(), first.height());
    QVERIFY(pitch > first.width());
    const auto onGrid = [&](int row, int column) {
        return QRect(first.topLeft() + QPoint(column * pitch, row * pitch), first.size());
    };
    QCOMPARE(place(fixture.find(u"signLabel"_s)), onGrid(-1, -1));
    for (int k = 0; k < 10; ++k) {
        QCOMPARE(place(fixture.rowHeader(k)), onGrid(k, -1));
        QCOMPARE(place(fixture.columnHeader(k)), onGrid(-1, k));
    }
    for (int cell = 0; cell < 100; ++cell)
        QCOMPARE(place(fixture.cell(cell)), onGrid(cell / 10, cell % 10));
    // One font for the whole board, the design's gothic, large.
    QList<QWidget*> board{fixture.find(u"signLabel"_s)};
    for (int k = 0; k < 10; ++k)
        board << fixture.rowHeader(k) << fixture.columnHeader(k);
    for (int cell = 0; cell < 100; ++cell)
        board << fixture.cell(cell);
    for (QWidget* widget : board) {
        QCOMPARE(widget->font().family(), Fonts::family(Fonts::Gothic));
        QCOMPARE(widget->font().pointSizeF(), 24.0);
    }
}

void WindowTest::dateText_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("day");

    QTest::newRow("Sunday") << QDate(2025, 2, 9) << u"2025年"_s << u"2月9日(日)"_s;
    QTest::newRow("Monday") << QDate(2025, 2, 10) << u"2025年"_s << u"2月10日(月)"_s;
    QTest::newRow("no leading zeros") << QDate(2026, 1, 1) << u"2026年"_s << u"1月1日(木)"_s;
    QTest::newRow("December") << QDate(2026, 12, 31) << u"2026年"_s << u"12月31日(木)"_s;
}

void WindowTest::dateText()
{
    QFETCH(QDate, date);
    QFETCH(QString, year);
    QFETCH(QString, day);
    QCOMPARE(yearText(date), year);
    QCOMPARE(dayText(date), day);
}

void WindowTest::stateAfterStartUp()
{
    WindowFixture fixture;
    fixture.desktop.clock = QDateTime(QDate(2025, 2, 11), QTime(8, 0));
    MainWindow& window = fixture.make();
    QCOMPARE(fixture.find<QLabel>(u"dateLabel"_s)->text(), u"2025年\r\n2月11日(火)"_s);
    for (int cell = 0; cell < 100; ++cell) {
        QVERIFY(fixture.cell(cell)->text().isEmpty());
        QVERIFY(!fixture.cell(cell)->isEnabled());
    }
    for (const QString& name : commands) {
        const bool enabled = name != u"stopButton"_s;
        QCOMPARE(fixture.button(name)->isEnabled(), enabled);
        QCOMPARE(fixture.button(name)->font().bold(), enabled);
    }
    QCOMPARE(fixture.find<QLineEdit>(u"clockDisplay"_s)->text(), u"0:00"_s);
    auto* clockTimer = fixture.find<QTimer>(u"clockTimer"_s);
    QVERIFY(clockTimer && !clockTimer->isActive());
    QCOMPARE(fixture.find<QLabel>(u"signLabel"_s)->text(), u"＋"_s);
    QCOMPARE(window.windowTitle(), u"Varolin"_s);
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(fixture.find<QLabel>(u"aboutPicture"_s)->pixmap().size(), QSize(32, 32));
}

void WindowTest::tabOrder()
{
    WindowFixture fixture;
    fixture.make();
    // The cells first, in index order, then the commands as the window is
    // designed: the clock's box sits between おわる and すうじ, きろく follows
    // すうじ.
    QList<QWidget*> expected;
    for (int cell = 0; cell < 100; ++cell)
        expected << fixture.cell(cell);
    for (const QString& name :
        {u"switchKindButton"_s, u"startButton"_s, u"stopButton"_s, u"endButton"_s,
            u"clockDisplay"_s, u"newNumbersButton"_s, u"recordsButton"_s, u"printButton"_s,
            u"readmeButton"_s, u"screenCopyButton"_s, u"modeButton"_s, u"randomCheck"_s})
        expected << fixture.find(name);
    // Widgets that take no focus (labels) may sit in between; Tab skips them.
    QList<QWidget*> chain;
    QWidget* widget = fixture.cell(0);
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain.append(widget);
        widget = widget->nextInFocusChain();
    } while (widget != fixture.cell(0) && chain.size() <= expected.size());
    QCOMPARE(chain, expected);
}

void WindowTest::fontFamilies_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("drawnWith");

    QTest::newRow("gothic") << Fonts::Gothic << u"IPAPGothic"_s;
    QTest::newRow("mincho") << Fonts::Mincho << u"IPAMincho"_s;
    QTest::newRow("unknown, no substitutes") << u"No Such Family"_s << u"No Such Family"_s;
}

void WindowTest::fontFamilies()
{
    QFETCH(QString, requested);
    QFETCH(QString, drawnWith);
    QVERIFY2(QFontDatabase::hasFamily(drawnWith) || drawnWith == requested,
        "the IPA fonts are not installed (tools/setup.sh installs them)");
    // Where the Windows font itself is installed, it is used.
    QCOMPARE(Fonts::family(requested), QFontDatabase::hasFamily(requested) ? requested : drawnWith);
}

void WindowTest::accessibleNames_data()
{
    QTest::addColumn<int>("switches");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("kindName");

    // Division renames the cells as its rows are shown; the other kinds
    // name them once.

    QTest::newRow("addition") << 0 << u"たす"_s << u"たしざん"_s;
    QTest::newRow("division") << 3 << u"わる"_s << u"わりざん"_s;
}

void WindowTest::accessibleNames()
{
    QFETCH(int, switches);
    QFETCH(QString, operation);
    QFETCH(QString, kindName);

    WindowFixture fixture;
    fixture.make();
    clickTimes(fixture, u"switchKindButton"_s, switches);
    if (switches == 3) {
        // A division row shown later renames the cells below its headers.
        fixture.click(u"startButton"_s);
        for (int cell = 0; cell < 9; ++cell)
            QCOMPARE(SheetPlayer::answerOpenCell(fixture), cell);
    }

    QCOMPARE(fixture.find<QLabel>(u"signLabel"_s)->accessibleName(), kindName);
    for (int cell : {0, 9, 23, 45, 88, 99}) {
        const QString expected = fixture.columnHeader(cell % 10)->text() + u' ' + operation + u' '
            + fixture.rowHeader(cell / 10)->text() + u" の こたえ"_s;
        QAccessibleInterface* accessible
            = QAccessible::queryAccessibleInterface(fixture.cell(cell));
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), expected);
    }
    QCOMPARE(fixture.rowHeader(2)->accessibleName(),
        u"ひだり 3ばんめ: "_s + fixture.rowHeader(2)->text());
    QCOMPARE(fixture.columnHeader(3)->accessibleName(),
        u"うえ 4ばんめ: "_s + fixture.columnHeader(3)->text());
}

void WindowTest::commandsLook()
{
    // A command that cannot be used shows the style's greyed caption, not
    // the design's black; one that can is bold.
    WindowFixture fixture;
    fixture.make();
    const auto check = [&](const char* when) {
        for (const QString& name : commands) {
            QPushButton* button = fixture.button(name);
            const int ink = blackPixels(button);
            const QString what = u"%1 %2: ink %3"_s.arg(name, QLatin1StringView(when)).arg(ink);
            QVERIFY2(button->font().bold() == button->isEnabled(), qPrintable(what));
            QVERIFY2((ink > 0) == button->isEnabled(), qPrintable(what));
        }
    };
    check("at start-up");
    fixture.click(u"startButton"_s);
    check("while running");
    fixture.desktop.answers = {Desktop::Answer::Yes};
    fixture.click(u"stopButton"_s);
    check("after a stop");
}

void WindowTest::tenthHeadersStayGreyed()
{
    // × and ÷ leave the tenth row and column out: their headers are greyed,
    // whatever the board went through before.
    WindowFixture fixture;
    fixture.make();
    const auto check = [&](bool greyed, const char* when) {
        for (QLabel* header : {fixture.rowHeader(9), fixture.columnHeader(9)}) {
            const QString what = header->objectName() + u' ' + QLatin1StringView(when);
            QVERIFY2(header->isEnabled() != greyed, qPrintable(what));
            QVERIFY2((blackPixels(header) == 0) == greyed, qPrintable(what));
        }
        QVERIFY(blackPixels(fixture.rowHeader(8)) > 0);
    };
    check(false, "in addition");
    clickTimes(fixture, u"switchKindButton"_s, 2);
    check(true, "in multiplication");
    fixture.click(u"startButton"_s);
    for (int cell = 0; cell < 12; ++cell)
        QVERIFY(SheetPlayer::answerOpenCell(fixture) >= 0);
    fixture.desktop.answers = {Desktop::Answer::Yes};
    fixture.click(u"stopButton"_s);
    check(true, "after a stop");
    fixture.click(u"switchKindButton"_s);
    check(true, "in division");
    QVERIFY(SheetPlayer::playSheet(fixture));
    check(true, "after a division sheet");
    fixture.click(u"switchKindButton"_s);
    check(false, "back in addition");
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
