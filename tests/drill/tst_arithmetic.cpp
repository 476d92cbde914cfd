// SPDX-License-Identifier: GPL-3.0-or-later
// The answer a cell asks for, worked out from its two operands: the four
// kinds, division rounded a half to the even neighbour, and no crash and no
// typeable answer where none exists.
#include "drill/arithmetic.h"

#include <QtTest>

#include <optional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(Kind)

class ArithmeticTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expected_data();
    void expected();
    void roundHalfEven_data();
    void roundHalfEven();
};

void ArithmeticTest::expected_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<std::optional<int>>("answer");

    const std::optional<int> none;
    QTest::newRow("addition") << 7 << 9 << Kind::Addition << std::optional(16);
    QTest::newRow("addition of zeros") << 0 << 0 << Kind::Addition << std::optional(0);
    QTest::newRow("subtraction: top minus left")
        << 9 << 10 << Kind::Subtraction << std::optional(1);
    QTest::newRow("subtraction, largest") << 0 << 19 << Kind::Subtraction << std::optional(19);
    QTest::newRow("subtraction below zero") << 9 << 3 << Kind::Subtraction << std::optional(-6);
    QTest::newRow("multiplication") << 9 << 9 << Kind::Multiplication << std::optional(81);
    QTest::newRow("division, exact") << 7 << 63 << Kind::Division << std::optional(9);
    QTest::newRow("division 5/2 to even 2") << 2 << 5 << Kind::Division << std::optional(2);
    QTest::newRow("division 7/2 to even 4") << 2 << 7 << Kind::Division << std::optional(4);
    QTest::newRow("division 8/3 up") << 3 << 8 << Kind::Division << std::optional(3);
    QTest::newRow("division 7/3 down") << 3 << 7 << Kind::Division << std::optional(2);
    QTest::newRow("division 1/2 to even 0") << 2 << 1 << Kind::Division << std::optional(0);
    QTest::newRow("division -5/2 to even -2") << 2 << -5 << Kind::Division << std::optional(-2);
    QTest::newRow("division by 0") << 0 << 36 << Kind::Division << none;
    QTest::newRow("division of 0 by 0") << 0 << 0 << Kind::Division << none;
    QTest::newRow("product beyond 16 bits") << 300 << 300 << Kind::Multiplication << none;
    QTest::newRow("product beyond 32 bits")
        << 2000000000 << 2000000000 << Kind::Multiplication << none;
    QTest::newRow("sum at the 16-bit edge")
        << 32000 << 767 << Kind::Addition << std::optional(32767);
    QTest::newRow("sum past the 16-bit edge") << 32000 << 768 << Kind::Addition << none;
    QTest::newRow("quotient past 16 bits") << 1 << 40000 << Kind::Division << none;
}

void ArithmeticTest::expected()
{
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(Kind, kind);
    QFETCH(std::optional<int>, answer);
    QCOMPARE(expectedAnswer(left, top, kind), answer);
}

void ArithmeticTest::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("2.4999") << 2.4999 << 2.0;
    QTest::newRow("2.5001") << 2.5001 << 3.0;
    QTest::newRow("-0.5") << -0.5 << 0.0;
    QTest::newRow("-1.5") << -1.5 << -2.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("whole") << 9.0 << 9.0;
}

void ArithmeticTest::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(::roundHalfEven(value), rounded);
}

QTEST_APPLESS_MAIN(ArithmeticTest)
#include "tst_arithmetic.moc"
