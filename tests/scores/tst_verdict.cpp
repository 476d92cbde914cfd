// SPDX-License-Identifier: GPL-3.0-or-later
// What a finished sheet's time means and how every time is written: the
// record / near miss / miss boundaries against the best time, the exact
// titles, lines and clipboard texts, and the three time forms.
#include "scores/time_text.h"
#include "scores/verdict.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class VerdictTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void message_data();
    void message();
    void timeTexts_data();
    void timeTexts();
};

void VerdictTest::message_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("best");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("clipboard");

    const int record = int(Verdict::Record);
    const int near = int(Verdict::NearMiss);
    const int miss = int(Verdict::Miss);
    QTest::newRow("599 against 600: record")
        << 0 << 599 << 600 << record << u"きろくこうしん！！"_s
        << u"9分59秒でした。\r\rハイスコアです。"_s << u"[たしざん]9分59秒"_s;
    QTest::newRow("600 against 600: near miss")
        << 0 << 600 << 600 << near << u"おしい！"_s
        << u"10分00秒でした。\r\rもう少しでハイスコアです。"_s << u"[たしざん]10分00秒"_s;
    QTest::newRow("609 against 600: near miss")
        << 1 << 609 << 600 << near << u"おしい！"_s
        << u"10分09秒でした。\r\rもう少しでハイスコアです。"_s << u"[ひきざん]10分09秒"_s;
    QTest::newRow("610 against 600: miss")
        << 2 << 610 << 600 << miss << u"ざんねん"_s
        << u"10分10秒でした。\r\rもっとがんばりましょう。"_s << u"[かけざん]10分10秒"_s;
    QTest::newRow("65 seconds, record in division")
        << 3 << 65 << 600 << record << u"きろくこうしん！！"_s
        << u"1分05秒でした。\r\rハイスコアです。"_s << u"[わりざん]1分05秒"_s;
    QTest::newRow("59 seconds") << 0 << 59 << 45 << miss << u"ざんねん"_s
                                << u"59秒でした。\r\rもっとがんばりましょう。"_s
                                << u"[たしざん]59秒"_s;
    QTest::newRow("60 seconds") << 0 << 60 << 55 << near << u"おしい！"_s
                                << u"1分00秒でした。\r\rもう少しでハイスコアです。"_s
                                << u"[たしざん]1分00秒"_s;
    QTest::newRow("5 seconds") << 0 << 5 << 600 << record << u"きろくこうしん！！"_s
                               << u"05秒でした。\r\rハイスコアです。"_s << u"[たしざん]05秒"_s;
    QTest::newRow("best at the 16-bit limit")
        << 0 << 32767 << 32767 << near << u"おしい！"_s
        << u"546分07秒でした。\r\rもう少しでハイスコアです。"_s << u"[たしざん]546分07秒"_s;
    QTest::newRow("division") << 3 << 45 << 600 << record << u"きろくこうしん！！"_s
                              << u"45秒でした。\r\rハイスコアです。"_s << u"[わりざん]45秒"_s;
}

void VerdictTest::message()
{
    QFETCH(int, kind);
    QFETCH(int, seconds);
    QFETCH(int, best);
    QFETCH(int, verdict);
    QFETCH(QString, title);
    QFETCH(QString, prompt);
    QFETCH(QString, clipboard);

    const ResultMessage result = resultMessage(kindFromNumber(kind), seconds, best);
    QCOMPARE(int(result.verdict), verdict);
    QCOMPARE(int(judgeTime(seconds, best)), verdict);
    QCOMPARE(result.title, title);
    QCOMPARE(result.prompt, prompt);
    QVERIFY(!result.prompt.contains(u'\n'));
    QCOMPARE(result.clipboard, clipboard);
}

void VerdictTest::timeTexts_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("shortForm");
    QTest::addColumn<QString>("clock");
    QTest::newRow("0") << 0 << u"0分00秒"_s << u"00秒"_s << u"0:00"_s;
    QTest::newRow("5") << 5 << u"0分05秒"_s << u"05秒"_s << u"0:05"_s;
    QTest::newRow("45") << 45 << u"0分45秒"_s << u"45秒"_s << u"0:45"_s;
    QTest::newRow("59") << 59 << u"0分59秒"_s << u"59秒"_s << u"0:59"_s;
    QTest::newRow("60") << 60 << u"1分00秒"_s << u"1分00秒"_s << u"1:00"_s;
    QTest::newRow("65") << 65 << u"1分05秒"_s << u"1分05秒"_s << u"1:05"_s;
    QTest::newRow("600") << 600 << u"10分00秒"_s << u"10分00秒"_s << u"10:00"_s;
    QTest::newRow("32767") << 32767 << u"546分07秒"_s << u"546分07秒"_s << u"546:07"_s;
}

void VerdictTest::timeTexts()
{
    QFETCH(int, seconds);
    QFETCH(QString, minutes);
    QFETCH(QString, shortForm);
    QFETCH(QString, clock);
    QCOMPARE(minutesText(seconds), minutes);
    QCOMPARE(shortText(seconds), shortForm);
    QCOMPARE(clockText(seconds), clock);
}

QTEST_APPLESS_MAIN(VerdictTest)
#include "tst_verdict.moc"
