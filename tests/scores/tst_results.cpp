// The verdict as the window shows it: the best time taken over only on a
// record, in the drill state and the settings list, the clipboard written
// for every verdict, one OK box without an icon, and the high-score label
// changed only once the record's box is closed.
#include "form_fixture.h"

#include <QLabel>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

std::int16_t& bestOf(DrillState& state, int kind)
{
    switch (kind) {
    case 0:
        return state.bestAdd;
    case 1:
        return state.bestSub;
    case 2:
        return state.bestMul;
    default:
        return state.bestDiv;
    }
}

} // namespace

class ResultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showResult_data();
    void showResult();
    void showKind_data();
    void showKind();
};

void ResultsTest::showResult_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("best");
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("record");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("highScore"); // Label1 after a record

    QTest::newRow("addition record, 65") << 0 << 65 << 600 << 0 << true << u"きろくこうしん！！"_s
                                         << u"[たしざん]1分05秒"_s << u"ハイスコア： 1分05秒"_s;
    QTest::newRow("subtraction record") << 1 << 100 << 101 << 1 << true << u"きろくこうしん！！"_s
                                        << u"[ひきざん]1分40秒"_s << u"ハイスコア： 1分40秒"_s;
    QTest::newRow("multiplication record") << 2 << 45 << 600 << 2 << true << u"きろくこうしん！！"_s
                                           << u"[かけざん]45秒"_s << u"ハイスコア： 0分45秒"_s;
    QTest::newRow("division record in slot 5")
        << 3 << 59 << 600 << 5 << true << u"きろくこうしん！！"_s << u"[わりざん]59秒"_s
        << u"ハイスコア： 0分59秒"_s;
    QTest::newRow("addition near miss")
        << 0 << 600 << 600 << 0 << false << u"おしい！"_s << u"[たしざん]10分00秒"_s << QString();
    QTest::newRow("division miss")
        << 3 << 610 << 600 << 5 << false << u"ざんねん"_s << u"[わりざん]10分10秒"_s << QString();
}

void ResultsTest::showResult()
{
    QFETCH(int, kind);
    QFETCH(int, seconds);
    QFETCH(int, best);
    QFETCH(int, slot);
    QFETCH(bool, record);
    QFETCH(QString, title);
    QFETCH(QString, clipboard);
    QFETCH(QString, highScore);

    FormFixture fixture;
    Form1& form = fixture.make();
    form.state.calcKind = static_cast<std::int16_t>(kind);
    bestOf(form.state, kind) = static_cast<std::int16_t>(best);
    form.state.settings[slot] = static_cast<std::int16_t>(best);
    form.ShowKind();
    const QString labelBefore = form.Label1->text();
    const auto settingsBefore = form.state.settings;
    form.state.elapsedSeconds = static_cast<std::int16_t>(seconds);

    bool checked = false;
    fixture.desktop.onMessage = [&](const Desktop::Message& message) {
        checked = true;
        QCOMPARE(message.title, title);
        QCOMPARE(message.buttons, Desktop::Buttons::Ok);
        QCOMPARE(message.icon, Desktop::Icon::None);
        // Written before the box, whatever the verdict.
        QCOMPARE(fixture.desktop.clipboard, clipboard);
        QCOMPARE(form.Label1->text(), labelBefore);
    };
    form.ShowResult();
    QVERIFY(checked);
    QCOMPARE(fixture.desktop.shown.size(), 1);
    QCOMPARE(fixture.desktop.clipboardWrites, 1);

    auto settingsAfter = settingsBefore;
    if (record) {
        settingsAfter[slot] = static_cast<std::int16_t>(seconds);
        QCOMPARE(int(bestOf(form.state, kind)), seconds);
        QCOMPARE(form.Label1->text(), highScore);
    } else {
        QCOMPARE(int(bestOf(form.state, kind)), best);
        QCOMPARE(form.Label1->text(), labelBefore);
    }
    // The kind and the time limit are never touched by the evaluation.
    QCOMPARE(form.state.settings, settingsAfter);
}

void ResultsTest::showKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("best");
    QTest::addColumn<QString>("sign");
    QTest::addColumn<QString>("label");
    QTest::newRow("addition, default") << 0 << 600 << u"＋"_s << u"ハイスコア： 10分00秒"_s;
    QTest::newRow("subtraction, 45") << 1 << 45 << u"－"_s << u"ハイスコア： 0分45秒"_s;
    QTest::newRow("multiplication, 65") << 2 << 65 << u"×"_s << u"ハイスコア： 1分05秒"_s;
    QTest::newRow("division, 0") << 3 << 0 << u"÷"_s << u"ハイスコア： 0分00秒"_s;
    QTest::newRow("kind 9 as division") << 9 << 61 << u"÷"_s << u"ハイスコア： 1分01秒"_s;
}

void ResultsTest::showKind()
{
    QFETCH(int, kind);
    QFETCH(int, best);
    QFETCH(QString, sign);
    QFETCH(QString, label);

    FormFixture fixture;
    Form1& form = fixture.make();
    form.state.calcKind = static_cast<std::int16_t>(kind);
    bestOf(form.state, kind) = static_cast<std::int16_t>(best);
    form.ShowKind();
    QCOMPARE(form.L[0]->text(), sign);
    QCOMPARE(form.Label1->text(), label);
    QCOMPARE(form.Label1->toolTip(), u"ハイスコア"_s);
    QCOMPARE(int(form.state.settings[3]), kind);
}

QTEST_MAIN(ResultsTest)
#include "tst_results.moc"
