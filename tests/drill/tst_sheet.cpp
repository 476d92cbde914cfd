// SPDX-License-Identifier: GPL-3.0-or-later
// The operands of a sheet: which numbers each kind draws, which part of the
// board is in play, and that every division row is whole multiples of its
// divisor. A golden sheet pins the draw for a fixed seed.
#include "drill/draw.h"
#include "drill/sheet.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <set>

namespace {

QList<int> sortedValues(const std::array<int, 10>& values, int count)
{
    QList<int> list(values.begin(), values.begin() + count);
    std::sort(list.begin(), list.end());
    return list;
}

QList<int> range(int from, int to)
{
    QList<int> values;
    for (int v = from; v <= to; ++v)
        values.append(v);
    return values;
}

} // namespace

class SheetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kinds_data();
    void kinds();
    void divisionRowsAreWholeMultiples();
    void redrawnDivisionRowsKeepTheDivisors();
    void headersNeverRepeatEachOther();
    void goldenSheet();
    void distinctDraw_data();
    void distinctDraw();
};

void SheetTest::kinds_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<int>("lastCell");

    QTest::newRow("addition") << Kind::Addition << range(0, 9) << range(0, 9) << 99;
    QTest::newRow("subtraction") << Kind::Subtraction << range(0, 9) << range(10, 19) << 99;
    QTest::newRow("multiplication") << Kind::Multiplication << range(1, 9) << range(1, 9) << 88;
    QTest::newRow("division") << Kind::Division << range(1, 9) << QList<int>() << 88;
}

void SheetTest::kinds()
{
    QFETCH(Kind, kind);
    QFETCH(QList<int>, rows);
    QFETCH(QList<int>, columns);
    QFETCH(int, lastCell);

    QRandomGenerator random(7);
    // Many sheets, so a rule that holds only by chance shows up.
    for (int i = 0; i < 50; ++i) {
        const Sheet sheet = drawSheet(kind, random);
        QCOMPARE(sheet.kind, kind);
        QCOMPARE(sheet.lastCell(), lastCell);
        const int inPlay = sheet.size();
        QCOMPARE(sortedValues(sheet.rows, inPlay), rows);
        if (!columns.isEmpty())
            QCOMPARE(sortedValues(sheet.columns[5], inPlay), columns);
        if (inPlay == 9) {
            // The tenth operands read 0 and take no answers.
            QCOMPARE(sheet.rows[9], 0);
            QCOMPARE(sheet.columns[0][9], 0);
            QVERIFY(!sheet.inPlay(9) && !sheet.inPlay(90) && sheet.inPlay(88));
        }
    }
}

void SheetTest::divisionRowsAreWholeMultiples()
{
    QRandomGenerator random(11);
    for (int i = 0; i < 20; ++i) {
        const Sheet sheet = drawSheet(Kind::Division, random);
        for (int row = 0; row < 9; ++row) {
            std::set<int> quotients;
            for (int column = 0; column < 9; ++column) {
                const int dividend = sheet.columnOperand(row, column);
                QCOMPARE(dividend % sheet.rowOperand(row), 0);
                quotients.insert(dividend / sheet.rowOperand(row));
            }
            QCOMPARE(quotients, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
        }
    }
}

void SheetTest::redrawnDivisionRowsKeepTheDivisors()
{
    QRandomGenerator random(5);
    Sheet sheet = drawSheet(Kind::Division, random);
    const Sheet before = sheet;
    redrawDivisionRows(sheet, random);
    QCOMPARE(sheet.rows, before.rows);
    QVERIFY(sheet.columns != before.columns);
    for (int row = 0; row < 9; ++row) {
        for (int column = 0; column < 9; ++column)
            QCOMPARE(sheet.columnOperand(row, column) % sheet.rowOperand(row), 0);
    }
}

void SheetTest::headersNeverRepeatEachOther()
{
    // Both headers of a sheet are drawn straight after each other; they must
    // still be two independent permutations.
    QRandomGenerator random(3);
    for (int i = 0; i < 100; ++i) {
        const Sheet sheet = drawSheet(Kind::Addition, random);
        QVERIFY(sheet.rows != sheet.columns[0]);
    }
}

void SheetTest::goldenSheet()
{
    QRandomGenerator random(12345);
    const Sheet sheet = drawSheet(Kind::Addition, random);
    QCOMPARE(QList<int>(sheet.rows.begin(), sheet.rows.end()),
        (QList<int>{8, 2, 0, 1, 3, 6, 7, 5, 9, 4}));
    QCOMPARE(QList<int>(sheet.columns[0].begin(), sheet.columns[0].end()),
        (QList<int>{6, 0, 9, 3, 4, 5, 8, 1, 2, 7}));
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
    slots.fill(255);
    if (zeroInSlot9)
        slots[9] = 0;
    int next = 0;
    drawDistinct(slots, count, [&] { return draws.at(next++); });
    QCOMPARE(QList<int>(slots.begin(), slots.end()), expected);
    QCOMPARE(next, draws.size());
}

QTEST_GUILESS_MAIN(SheetTest)
#include "tst_sheet.moc"
