// The operands of a sheet: which numbers each kind draws, which part of the
// board is in play, and that division rows are whole multiples. A golden
// sheet pins the draw for a fixed seed.
#include "drill/draw.h"
#include "form_fixture.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <set>

using namespace Qt::StringLiterals;

namespace {

QList<int> captions(const Form1& form, int first, int last)
{
    QList<int> values;
    for (int k = first; k <= last; ++k) {
        bool ok = false;
        values.append(form.L[k]->text().toInt(&ok));
        if (!ok)
            values.last() = -1000;
    }
    return values;
}

QList<int> range(int from, int to)
{
    QList<int> values;
    for (int v = from; v <= to; ++v)
        values.append(v);
    return values;
}

QList<int> sorted(QList<int> values)
{
    std::sort(values.begin(), values.end());
    return values;
}

Form1& makeWithKind(FormFixture& fixture, int kind)
{
    Form1& form = fixture.make();
    while (form.state.calcKind != kind)
        form.Btn_Click(0);
    return form;
}

} // namespace

class SheetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kinds_data();
    void kinds();
    void divisionRowsAreWholeMultiples();
    void switchingBackToAdditionReopensTheBoard();
    void newNumbersOnlyWhenIdle();
    void headersNeverRepeatEachOther();
    void goldenSheet();
    void distinctDraw_data();
    void distinctDraw();
};

void SheetTest::kinds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<int>("lastCell");
    QTest::addColumn<bool>("fullBoard");

    QTest::newRow("addition") << 0 << range(0, 9) << range(0, 9) << 99 << true;
    QTest::newRow("subtraction") << 1 << range(0, 9) << range(10, 19) << 99 << true;
    QTest::newRow("multiplication") << 2 << range(1, 9) << range(1, 9) << 88 << false;
    QTest::newRow("division") << 3 << range(1, 9) << QList<int>() << 88 << false;
}

void SheetTest::kinds()
{
    QFETCH(int, kind);
    QFETCH(QList<int>, rows);
    QFETCH(QList<int>, columns);
    QFETCH(int, lastCell);
    QFETCH(bool, fullBoard);

    FormFixture fixture;
    Form1& form = makeWithKind(fixture, kind);
    // Many sheets, so a rule that holds only by chance shows up.
    for (int sheet = 0; sheet < 50; ++sheet) {
        form.Btn_Click(4);
        const int inPlay = fullBoard ? 10 : 9;
        QCOMPARE(sorted(captions(form, 1, inPlay)), rows);
        if (!columns.isEmpty())
            QCOMPARE(sorted(captions(form, 11, 10 + inPlay)), columns);
        if (!fullBoard) {
            QCOMPARE(form.L[10]->text(), u"0"_s);
            QCOMPARE(form.L[20]->text(), u"0"_s);
        }
        QCOMPARE(form.state.lastCell, lastCell);
        QCOMPARE(form.Btn[5]->isEnabled(), fullBoard);
        QCOMPARE(form.Btn[6]->isEnabled(), fullBoard);
        QCOMPARE(form.L[10]->isEnabled(), fullBoard);
        QCOMPARE(form.L[20]->isEnabled(), fullBoard);
        for (std::int16_t value : form.state.operands)
            QVERIFY(value != DrillState::EmptySlot);
    }
}

void SheetTest::divisionRowsAreWholeMultiples()
{
    FormFixture fixture;
    Form1& form = makeWithKind(fixture, 3);
    for (int sheet = 0; sheet < 20; ++sheet) {
        form.Btn_Click(4);
        for (int row = 0; row < 9; ++row) {
            if (row > 0) {
                form.state.currentCell = static_cast<std::int16_t>(10 * row);
                form.MakeDivisionRow();
            }
            const int divisor = form.L[row + 1]->text().toInt();
            std::set<int> quotients;
            for (int k = 11; k <= 19; ++k) {
                const int dividend = form.L[k]->text().toInt();
                QCOMPARE(dividend % divisor, 0);
                quotients.insert(dividend / divisor);
            }
            QCOMPARE(quotients.size(), std::size_t(9));
            QCOMPARE(*quotients.begin(), 1);
            QCOMPARE(*quotients.rbegin(), 9);
            QCOMPARE(form.L[20]->text(), u"0"_s);
        }
    }
}

void SheetTest::switchingBackToAdditionReopensTheBoard()
{
    FormFixture fixture;
    Form1& form = makeWithKind(fixture, 3);
    QCOMPARE(form.state.lastCell, 88);
    form.Btn_Click(0);
    QCOMPARE(form.state.calcKind, 0);
    QCOMPARE(form.L[0]->text(), u"＋"_s);
    QCOMPARE(form.state.lastCell, 99);
    QVERIFY(form.Btn[5]->isEnabled());
    QVERIFY(form.Btn[6]->isEnabled());
    QVERIFY(form.L[10]->isEnabled());
    QVERIFY(form.L[20]->isEnabled());
    QCOMPARE(sorted(captions(form, 1, 10)), range(0, 9));
}

void SheetTest::newNumbersOnlyWhenIdle()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    const QList<int> before = captions(form, 1, 20);
    form.state.idle = false;
    form.Btn_Click(4);
    QCOMPARE(captions(form, 1, 20), before);
    form.state.idle = true;
    // Ten fresh sheets in a row all equal to the first would be no draw at all.
    bool changed = false;
    for (int i = 0; i < 10 && !changed; ++i) {
        form.Btn_Click(4);
        changed = captions(form, 1, 20) != before;
    }
    QVERIFY(changed);
}

void SheetTest::headersNeverRepeatEachOther()
{
    // Both headers of a sheet are drawn straight after each other; they must
    // still be two independent permutations.
    FormFixture fixture;
    Form1& form = fixture.make();
    for (int sheet = 0; sheet < 100; ++sheet) {
        form.Btn_Click(4);
        QVERIFY(captions(form, 1, 10) != captions(form, 11, 20));
    }
}

void SheetTest::goldenSheet()
{
    FormFixture fixture;
    fixture.desktop.seed = 12345;
    Form1& form = fixture.make();
    const QList<int> rows = captions(form, 1, 10);
    const QList<int> columns = captions(form, 11, 20);
    QCOMPARE(rows, (QList<int>{8, 2, 0, 1, 3, 6, 7, 5, 9, 4}));
    QCOMPARE(columns, (QList<int>{6, 0, 9, 3, 4, 5, 8, 1, 2, 7}));
}

void SheetTest::distinctDraw_data()
{
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("zeroInSlot9");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("repeats are drawn again")
        << QList<double>{0.31, 0.35, 0.0, 0.99, 0.05, 0.1, 0.2, 0.4, 0.5, 0.6, 0.7, 0.8} << 10
        << false << QList<int>{3, 0, 9, 1, 2, 4, 5, 6, 7, 8};
    QTest::newRow("a preset 0 keeps 0 out")
        << QList<double>{0.0, 0.05, 0.15, 0.25, 0.35, 0.45, 0.55, 0.65, 0.75, 0.85, 0.95} << 9
        << true << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
    QTest::newRow("just below one is nine") << QList<double>{0.9999999, 0.0, 0.1, 0.2, 0.3, 0.4,
        0.5, 0.6, 0.7, 0.8} << 10 << false << QList<int>{9, 0, 1, 2, 3, 4, 5, 6, 7, 8};
}

void SheetTest::distinctDraw()
{
    QFETCH(QList<double>, draws);
    QFETCH(int, count);
    QFETCH(bool, zeroInSlot9);
    QFETCH(QList<int>, expected);

    std::array<std::int16_t, 10> slots;
    slots.fill(DrillState::EmptySlot);
    if (zeroInSlot9)
        slots[9] = 0;
    int next = 0;
    drawDistinct(slots, count, [&] { return draws.at(next++); });
    QCOMPARE(QList<int>(slots.begin(), slots.end()), expected);
    QCOMPARE(next, draws.size());
}

QTEST_MAIN(SheetTest)
#include "tst_sheet.moc"
