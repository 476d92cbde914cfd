// The window as designed: every control in its place, with its text, tool
// tip, font and colour; the board on one uniform pitch; the date label; the
// state right after start-up.
#include "app/date_text.h"
#include "printing/fonts.h"
#include "drill/twips.h"
#include "form_fixture.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

class WindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void boardGeometry();
    void controlPlaces_data();
    void controlPlaces();
    void buttonDesign_data();
    void buttonDesign();
    void dateText_data();
    void dateText();
    void dateLabelReadsTheDesktopClock();
    void stateAfterStartUp();
    void fixedClientArea();
    void tabOrder();
    void fontFamilies_data();
    void fontFamilies();
    void accessibleNames_data();
    void accessibleNames();
};

void WindowTest::boardGeometry()
{
    FormFixture fixture;
    Form1& form = fixture.make();

    const QRect corner = form.L[0]->geometry();
    QCOMPARE(corner, Twips::rect(120, 120, 700, 700));
    const int pitch = Twips::toPixels(760);
    const int size = Twips::toPixels(700);
    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(form.L[k]->geometry(), QRect(corner.left(), corner.top() + pitch * k, size, size));
        QCOMPARE(
            form.L[10 + k]->geometry(), QRect(corner.left() + pitch * k, corner.top(), size, size));
    }
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 10; ++c) {
            const QRect cell = form.Data[10 * r + c]->geometry();
            QCOMPARE(cell,
                QRect(corner.left() + pitch * (c + 1), corner.top() + pitch * (r + 1), size, size));
        }
    }

    // Every board control shows the template's font, border and alignment.
    for (int k = 0; k <= 20; ++k) {
        QCOMPARE(form.L[k]->font().family(), Fonts::family(Fonts::Gothic));
        QCOMPARE(form.L[k]->font().pointSizeF(), 24.0);
        QCOMPARE(form.L[k]->frameStyle(), int(QFrame::Box | QFrame::Plain));
        QCOMPARE(form.L[k]->alignment(), Qt::AlignCenter);
    }
    for (QLineEdit* cell : form.Data) {
        QCOMPARE(cell->font().pointSizeF(), 24.0);
        QCOMPARE(cell->alignment(), Qt::AlignCenter);
    }
}

void WindowTest::controlPlaces_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("visible");

    QTest::newRow("Text1") << u"Text1"_s << QRect(5880, 8640, 2535, 420) << u"じかん"_s << 15.75
                           << true << true;
    QTest::newRow("Label1") << u"Label1"_s << QRect(3720, 8760, 1935, 255) << u"ハイスコア"_s
                            << 9.75 << false << true;
    QTest::newRow("Label3") << u"Label3"_s << QRect(8640, 240, 1215, 495)
                            << u"ハイスコアの表示＆クリア"_s << 9.75 << false << true;
    QTest::newRow("Command1") << u"Command1"_s << QRect(8760, 8640, 375, 375) << u"ヘルプ"_s << 9.75
                              << false << true;
    QTest::newRow("Image1") << u"Image1"_s << QRect(9600, 8520, 480, 480) << u"about"_s << 11.25
                            << true << true;
    QTest::newRow("Label2") << u"Label2"_s << QRect(9240, 7320, 975, 375) << QString() << 12.0
                            << false << false;
    QTest::newRow("Check1") << u"Check1"_s << QRect(8760, 7320, 255, 255) << QString() << 11.25
                            << true << false;
}

void WindowTest::controlPlaces()
{
    QFETCH(QString, control);
    QFETCH(QRect, twips);
    QFETCH(QString, toolTip);
    QFETCH(double, points);
    QFETCH(bool, bold);
    QFETCH(bool, visible);

    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    const QHash<QString, QWidget*> controls{
        {u"Text1"_s, form.Text1},
        {u"Label1"_s, form.Label1},
        {u"Label3"_s, form.Label3},
        {u"Command1"_s, form.Command1},
        {u"Image1"_s, form.Image1},
        {u"Label2"_s, form.Label2},
        {u"Check1"_s, form.Check1},
    };
    QWidget* widget = controls.value(control);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
    QCOMPARE(widget->isVisible(), visible);
}

void WindowTest::buttonDesign_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QColor>("face");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("visible");

    QTest::newRow("0 switch") << 0 << u"きりかえ"_s << QRect(8640, 840, 1695, 495)
                              << QColor(192, 255, 255) << 14.25 << true;
    QTest::newRow("1 start") << 1 << u"はじめ"_s << QRect(8640, 2520, 1695, 495)
                             << QColor(192, 192, 255) << 14.25 << true;
    QTest::newRow("2 stop") << 2 << u"やめる"_s << QRect(8760, 5640, 1455, 495)
                            << QColor(255, 192, 255) << 14.25 << true;
    QTest::newRow("3 end") << 3 << u"おわる"_s << QRect(8760, 6360, 1455, 495)
                           << QColor(255, 192, 192) << 14.25 << true;
    QTest::newRow("4 numbers") << 4 << u"すうじ"_s << QRect(8640, 1680, 1695, 495)
                               << QColor(255, 255, 192) << 14.25 << true;
    QTest::newRow("5 print") << 5 << u"いんさつ"_s << QRect(120, 8640, 1215, 495)
                             << QColor(Qt::white) << 8.25 << false;
    QTest::newRow("6 screen copy") << 6 << u"がめんコピー"_s << QRect(120, 8880, 1215, 375)
                                   << QColor(Qt::white) << 8.25 << false;
    QTest::newRow("7 mode") << 7 << u"モード"_s << QRect(8760, 7800, 1335, 375)
                            << QColor(192, 192, 192) << 12.0 << false;
}

void WindowTest::buttonDesign()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(QColor, face);
    QFETCH(double, points);
    QFETCH(bool, visible);

    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    QPushButton* button = form.Btn[index];
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->geometry(), Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(button->palette().color(QPalette::Button), face);
    QCOMPARE(button->font().pointSizeF(), points);
    QCOMPARE(button->isVisible(), visible);
}

void WindowTest::dateText_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("day");

    QTest::newRow("Sunday") << QDate(2025, 2, 9) << u"2025年"_s << u"2月9日(日)"_s;
    QTest::newRow("Monday") << QDate(2025, 2, 10) << u"2025年"_s << u"2月10日(月)"_s;
    QTest::newRow("Tuesday") << QDate(2025, 2, 11) << u"2025年"_s << u"2月11日(火)"_s;
    QTest::newRow("Wednesday") << QDate(2025, 2, 12) << u"2025年"_s << u"2月12日(水)"_s;
    QTest::newRow("Thursday") << QDate(2025, 2, 13) << u"2025年"_s << u"2月13日(木)"_s;
    QTest::newRow("Friday") << QDate(2025, 2, 14) << u"2025年"_s << u"2月14日(金)"_s;
    QTest::newRow("Saturday") << QDate(2025, 2, 15) << u"2025年"_s << u"2月15日(土)"_s;
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

void WindowTest::dateLabelReadsTheDesktopClock()
{
    FormFixture fixture;
    fixture.desktop.clock = QDateTime(QDate(2025, 2, 10), QTime(8, 0));
    Form1& form = fixture.make();
    QCOMPARE(form.Label3->text(), u"2025年\r\n2月10日(月)"_s);
}

void WindowTest::stateAfterStartUp()
{
    FormFixture fixture;
    Form1& form = fixture.make();

    for (QLineEdit* cell : form.Data) {
        QVERIFY(cell->text().isEmpty());
        QVERIFY(!cell->isEnabled());
    }
    const bool expected[5] = {true, true, false, true, true};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(form.Btn[i]->isEnabled(), expected[i]);
        QCOMPARE(form.Btn[i]->font().bold(), expected[i]);
    }
    QCOMPARE(form.Text1->text(), u"0:00"_s);
    QVERIFY(form.state.idle);
    QCOMPARE(form.state.elapsedSeconds, 0);
    QCOMPARE(form.state.digitCount, 0);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Timer1->timerType(), Qt::PreciseTimer);
    QCOMPARE(form.L[0]->text(), u"＋"_s);
    QCOMPARE(form.windowTitle(), u"Varolin"_s);
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.Image1->pixmap().size(), QSize(32, 32));
}

void WindowTest::fixedClientArea()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    QCOMPARE(form.size(), QSize(Twips::toPixels(10740), Twips::toPixels(9585)));
    QCOMPARE(form.minimumSize(), form.maximumSize());
}

void WindowTest::tabOrder()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    // The cells first, in index order, then the commands as the window is
    // designed: the clock's box sits between "おわる" and "すうじ".
    QList<QWidget*> expected(form.Data.begin(), form.Data.end());
    expected << form.Btn[0] << form.Btn[1] << form.Btn[2] << form.Btn[3] << form.Text1
             << form.Btn[4] << form.Btn[5] << form.Command1 << form.Btn[6] << form.Btn[7]
             << form.Check1;
    // Widgets that take no focus (labels) may sit in between; Tab skips them.
    QList<QWidget*> chain;
    QWidget* widget = form.Data[0];
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain.append(widget);
        widget = widget->nextInFocusChain();
    } while (widget != form.Data[0] && chain.size() <= expected.size());
    QCOMPARE(chain, expected);
}

void WindowTest::fontFamilies_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("drawnWith");

    QTest::newRow("gothic") << Fonts::Gothic << u"IPAPGothic"_s;
    QTest::newRow("mincho") << Fonts::Mincho << u"IPAMincho"_s;
    QTest::newRow("installed family as asked") << u"IPAGothic"_s << u"IPAGothic"_s;
    QTest::newRow("unknown, no substitutes") << u"No Such Family"_s << u"No Such Family"_s;
}

void WindowTest::fontFamilies()
{
    QFETCH(QString, requested);
    QFETCH(QString, drawnWith);
    if (QFontDatabase::hasFamily(requested) && requested != drawnWith)
        QSKIP("the Windows font itself is installed here");
    if (!QFontDatabase::hasFamily(drawnWith) && drawnWith != requested)
        QSKIP("the IPA fonts are not installed");
    QCOMPARE(Fonts::family(requested), drawnWith);
}

void WindowTest::accessibleNames_data()
{
    QTest::addColumn<int>("switches");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("kindName");

    QTest::newRow("addition") << 0 << u"たす"_s << u"たしざん"_s;
    QTest::newRow("subtraction") << 1 << u"ひく"_s << u"ひきざん"_s;
    QTest::newRow("multiplication") << 2 << u"かける"_s << u"かけざん"_s;
    QTest::newRow("division") << 3 << u"わる"_s << u"わりざん"_s;
}

void WindowTest::accessibleNames()
{
    QFETCH(int, switches);
    QFETCH(QString, operation);
    QFETCH(QString, kindName);

    FormFixture fixture;
    Form1& form = fixture.make();
    for (int i = 0; i < switches; ++i)
        form.Btn_Click(0);
    if (switches == 3) {
        // A division row drawn later renames the cells of that row too.
        form.state.currentCell = 40;
        form.MakeDivisionRow();
    }

    QCOMPARE(form.L[0]->accessibleName(), kindName);
    for (int cell : {0, 9, 23, 45, 88, 99}) {
        const QString expected = form.L[11 + cell % 10]->text() + u' ' + operation + u' '
            + form.L[1 + cell / 10]->text() + u" の こたえ"_s;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(form.Data[cell]);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), expected);
    }
    QCOMPARE(form.L[3]->accessibleName(), u"ひだり 3ばんめ: "_s + form.L[3]->text());
    QCOMPARE(form.L[14]->accessibleName(), u"うえ 4ばんめ: "_s + form.L[14]->text());
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
