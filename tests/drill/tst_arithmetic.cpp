// SPDX-License-Identifier: GPL-3.0-or-later
// The answer a cell asks for, worked out from its two captions: the four
// kinds, division rounded a half to the even neighbour, and no crash and no
// typeable answer where none exists.
#include "drill/arithmetic.h"

#include <QtTest>

#include <optional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<int>)

class ArithmeticTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expected_data();
    void expected();
    void roundHalfEven_data();
    void roundHalfEven();
    void divisionOperand_data();
    void divisionOperand();
};

void ArithmeticTest::expected_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::addColumn<int>("kind");
    QTest::addColumn<std::optional<int>>("answer");

    const std::optional<int> none;
    QTest::newRow("addition") << u"7"_s << u"9"_s << 0 << std::optional(16);
    QTest::newRow("addition of zeros") << u"0"_s << u"0"_s << 0 << std::optional(0);
    QTest::newRow("subtraction: top minus left") << u"9"_s << u"10"_s << 1 << std::optional(1);
    QTest::newRow("subtraction, largest") << u"0"_s << u"19"_s << 1 << std::optional(19);
    QTest::newRow("subtraction below zero") << u"9"_s << u"3"_s << 1 << std::optional(-6);
    QTest::newRow("multiplication") << u"9"_s << u"9"_s << 2 << std::optional(81);
    QTest::newRow("division, exact") << u"7"_s << u"63"_s << 3 << std::optional(9);
    QTest::newRow("division 5/2 to even 2") << u"2"_s << u"5"_s << 3 << std::optional(2);
    QTest::newRow("division 7/2 to even 4") << u"2"_s << u"7"_s << 3 << std::optional(4);
    QTest::newRow("division 8/3 up") << u"3"_s << u"8"_s << 3 << std::optional(3);
    QTest::newRow("division 7/3 down") << u"3"_s << u"7"_s << 3 << std::optional(2);
    QTest::newRow("division 1/2 to even 0") << u"2"_s << u"1"_s << 3 << std::optional(0);
    QTest::newRow("division -5/2 to even -2") << u"2"_s << u"-5"_s << 3 << std::optional(-2);
    QTest::newRow("division by 0") << u"0"_s << u"36"_s << 3 << none;
    QTest::newRow("division of 0 by 0") << u"0"_s << u"0"_s << 3 << none;
    QTest::newRow("kind 4 checked as addition") << u"3"_s << u"4"_s << 4 << std::optional(7);
    QTest::newRow("kind -1 checked as addition") << u"3"_s << u"4"_s << -1 << std::optional(7);
    QTest::newRow("kind 32767 checked as addition")
        << u"0"_s << u"4"_s << 32767 << std::optional(4);
    QTest::newRow("product beyond 16 bits") << u"300"_s << u"300"_s << 2 << none;
    QTest::newRow("product of huge captions") << u"2000000000"_s << u"2000000000"_s << 2 << none;
    QTest::newRow("sum at the 16-bit edge") << u"32000"_s << u"767"_s << 0 << std::optional(32767);
    QTest::newRow("sum past the 16-bit edge") << u"32000"_s << u"768"_s << 0 << none;
    QTest::newRow("quotient past 16 bits") << u"1"_s << u"40000"_s << 3 << none;
    QTest::newRow("caption that is no number") << u"Label1"_s << u"5"_s << 0 << std::optional(5);
    QTest::newRow("caption with spaces") << u" 4 "_s << u"5"_s << 2 << std::optional(20);
}

void ArithmeticTest::expected()
{
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(int, kind);
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

void ArithmeticTest::divisionOperand_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("fits");
    QTest::newRow("9 x 9") << 81 << 9 << true;
    QTest::newRow("1 x 1") << 1 << 1 << true;
    QTest::newRow("quotient 10") << 20 << 2 << false;
    QTest::newRow("not a multiple") << 7 << 2 << false;
    QTest::newRow("zero") << 0 << 3 << false;
    QTest::newRow("divisor 0") << 6 << 0 << false;
    QTest::newRow("negative") << -6 << 3 << false;
}

void ArithmeticTest::divisionOperand()
{
    QFETCH(int, top);
    QFETCH(int, left);
    QFETCH(bool, fits);
    QCOMPARE(isDivisionOperand(top, left), fits);
}

QTEST_APPLESS_MAIN(ArithmeticTest)
#include "tst_arithmetic.moc"
