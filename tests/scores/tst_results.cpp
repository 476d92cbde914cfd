// SPDX-License-Identifier: GPL-3.0-or-later
// The verdict as the window shows it after a played sheet: one OK box
// without an icon, the clipboard written before it for every verdict, a
// record written to the settings file under its own kind's key before the
// box opens, and the best-time label changed only once the box is closed.
// The best-time label and the sign follow the kind.
#include "sheet_player.h"
#include "window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList bestKeys{u"T_MinTM"_s, u"H_MinTM"_s, u"K_MonTM"_s, u"W_MinTM"_s};
const QStringList kindNames{u"たしざん"_s, u"ひきざん"_s, u"かけざん"_s, u"わりざん"_s};

// A file of an earlier run: best times that differ from each other and from
// anything the program writes by itself, and the kind given.
QByteArray settingsFile(int kind, int playedKindBest)
{
    QList<int> best{111, 222, 333, 444};
    best[kind] = playedKindBest;
    return u"[General]\r\nWin_Top=300\r\nWin_Lft=1350\r\n[Parameter]\r\n"
           "T_MinTM=%1\r\nH_MinTM=%2\r\nK_MonTM=%3\r\nCalc_Md=%5\r\nLimTM=300\r\nW_MinTM=%4\r\n"_s
               .arg(best[0])
               .arg(best[1])
               .arg(best[2])
               .arg(best[3])
               .arg(kind)
               .toLatin1();
}

int iniValue(const QByteArray& file, const QString& key)
{
    const QRegularExpressionMatch match = QRegularExpression(u"\\b"_s + key + u"=(-?\\d+)\\r\\n"_s)
                                              .match(QString::fromLatin1(file));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class ResultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void verdictAfterASheet_data();
    void verdictAfterASheet();
    void bestTimeFollowsKind();
};

void ResultsTest::verdictAfterASheet_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("best"); // of the kind played
    QTest::addColumn<bool>("record");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("perAnswer"); // milliseconds the child takes for each answer

    QTest::newRow("addition record") << 0 << 600 << true << u"きろくこうしん！！"_s << 100;
    QTest::newRow("subtraction record") << 1 << 599 << true << u"きろくこうしん！！"_s << 100;
    QTest::newRow("multiplication record") << 2 << 598 << true << u"きろくこうしん！！"_s << 100;
    QTest::newRow("division record") << 3 << 597 << true << u"きろくこうしん！！"_s << 100;
    // 100 cells at 100 ms are 10 s; 81 at 123 ms are 9 s; 100 at 150 ms 15 s.
    QTest::newRow("addition, the best time itself") << 0 << 10 << false << u"おしい！"_s << 100;
    QTest::newRow("division, eight seconds slower") << 3 << 1 << false << u"おしい！"_s << 123;
    QTest::newRow("subtraction, ten seconds slower") << 1 << 5 << false << u"ざんねん"_s << 150;
}

void ResultsTest::verdictAfterASheet()
{
    QFETCH(int, kind);
    QFETCH(int, best);
    QFETCH(bool, record);
    QFETCH(QString, title);
    QFETCH(int, perAnswer);

    WindowFixture fixture;
    const QByteArray kept = settingsFile(kind, best);
    fixture.writeFile(u"Varolin.ini"_s, kept);
    fixture.make();
    auto* bestTime = fixture.find<QLabel>(u"bestTimeLabel"_s);
    auto* clock = fixture.find<QLineEdit>(u"clockDisplay"_s);
    const QString labelBefore = bestTime->text();

    bool checked = false;
    QString clockShown;
    QByteArray fileWhileShown;
    fixture.desktop.onMessage = [&](const Desktop::Message& message) {
        checked = true;
        clockShown = clock->text();
        fileWhileShown = fixture.readFile(u"Varolin.ini"_s);
        QCOMPARE(message.title, title);
        QCOMPARE(message.buttons, Desktop::Buttons::Ok);
        QCOMPARE(message.icon, Desktop::Icon::None);
        QCOMPARE(bestTime->text(), labelBefore);
        QCOMPARE(fixture.desktop.clipboardWrites, 1);
    };
    QVERIFY(SheetPlayer::playSheet(fixture, nullptr, perAnswer));
    QVERIFY(checked);
    QCOMPARE(fixture.desktop.shown.size(), 1);

    // The time on the clock is the time reported.
    const QRegularExpressionMatch time = QRegularExpression(u"^0:(\\d\\d)$"_s).match(clockShown);
    QVERIFY2(time.hasMatch(), qPrintable(clockShown));
    const int seconds = time.captured(1).toInt();
    QCOMPARE(fixture.desktop.clipboard, u"[%1]%2秒"_s.arg(kindNames[kind], time.captured(1)));
    QVERIFY(fixture.desktop.shown[0].message.prompt.startsWith(time.captured(1) + u"秒でした。"_s));

    if (record) {
        for (int other = 0; other < 4; ++other) {
            QCOMPARE(iniValue(fileWhileShown, bestKeys[other]),
                other == kind ? seconds : iniValue(kept, bestKeys[other]));
        }
        QCOMPARE(iniValue(fileWhileShown, u"Calc_Md"_s), kind);
        QCOMPARE(iniValue(fileWhileShown, u"LimTM"_s), 300);
        QCOMPARE(bestTime->text(), u"ハイスコア： 0分%1秒"_s.arg(time.captured(1)));
    } else {
        QCOMPARE(fileWhileShown, kept);
        QCOMPARE(bestTime->text(), labelBefore);
    }
}

void ResultsTest::bestTimeFollowsKind()
{
    WindowFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, settingsFile(3, 444));
    fixture.make();
    auto* bestTime = fixture.find<QLabel>(u"bestTimeLabel"_s);
    auto* sign = fixture.find<QLabel>(u"signLabel"_s);
    QCOMPARE(sign->text(), u"÷"_s);
    QCOMPARE(bestTime->text(), u"ハイスコア： 7分24秒"_s);
    const QStringList signs{u"＋"_s, u"－"_s, u"×"_s, u"÷"_s};
    const QStringList times{u"1分51秒"_s, u"3分42秒"_s, u"5分33秒"_s, u"7分24秒"_s};
    for (int kind = 0; kind < 4; ++kind) {
        fixture.click(u"switchKindButton"_s);
        QCOMPARE(sign->text(), signs[kind]);
        QCOMPARE(bestTime->text(), u"ハイスコア： "_s + times[kind]);
    }
}

QTEST_MAIN(ResultsTest)
#include "tst_results.moc"
