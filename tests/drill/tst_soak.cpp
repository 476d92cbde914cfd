// A long session: a thousand sheets of all four kinds played back to back
// through the real key path, the settings saved after each. The best times
// must come out as the fastest sheets, the settings file must read back
// whole in a new run, and memory must not creep.
#include "form_fixture.h"
#include "sheet_player.h"

#include <QFile>
#include <QtTest>

#include <algorithm>
#include <fstream>
#include <string>

using namespace Qt::StringLiterals;

namespace {

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// A spread of times below the 600-second default, different for each sheet.
int sheetSeconds(int sheet)
{
    return 30 + (sheet * 37) % 500;
}

} // namespace

class SoakTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void thousandSheets();
};

void SoakTest::thousandSheets()
{
    constexpr int Sheets = 1000;
    FormFixture fixture;
    Form1& form = fixture.make();
    QCOMPARE(form.state.calcKind, 0);

    std::array<int, 4> fastest = {600, 600, 600, 600};
    long residentAt100 = 0;
    for (int sheet = 0; sheet < Sheets; ++sheet) {
        const int kind = sheet % 4;
        QCOMPARE(form.state.calcKind, kind);

        form.Btn_Click(1);
        const int seconds = sheetSeconds(sheet);
        for (int tick = 0; tick < seconds; ++tick)
            form.Timer1_Timer();
        int answers = 0;
        while (!form.state.idle && answers < 200) {
            SheetPlayer::answerOpenCell(form);
            ++answers;
        }
        QCOMPARE(answers, kind < 2 ? 100 : 81);
        QVERIFY(form.state.idle);
        fastest[kind] = std::min(fastest[kind], seconds);

        form.SaveSettings();
        // The fake keeps every box it showed; a long session should not
        // measure that.
        fixture.desktop.shown.clear();
        form.Btn_Click(0);

        if (sheet + 1 == 100)
            residentAt100 = residentKiB();
    }
    const long residentAtEnd = residentKiB();
    qInfo("resident memory after 100 sheets: %ld KiB, after %d: %ld KiB", residentAt100, Sheets,
        residentAtEnd);

    QCOMPARE(form.state.bestAdd, fastest[0]);
    QCOMPARE(form.state.bestSub, fastest[1]);
    QCOMPARE(form.state.bestMul, fastest[2]);
    QCOMPARE(form.state.bestDiv, fastest[3]);

    // A new run reads back what the last save wrote.
    const QByteArray file = fixture.readFile(u"Varolin.ini"_s);
    QCOMPARE(file.count("\r\n"), 10);
    FakeDesktop nextDesktop;
    Form1 nextRun(nextDesktop, fixture.folder.path());
    QCOMPARE(nextRun.state.bestAdd, fastest[0]);
    QCOMPARE(nextRun.state.bestSub, fastest[1]);
    QCOMPARE(nextRun.state.bestMul, fastest[2]);
    QCOMPARE(nextRun.state.bestDiv, fastest[3]);
    // The last save came before the switch to the next kind.
    QCOMPARE(nextRun.state.calcKind, (Sheets - 1) % 4);

#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer holds freed memory back on purpose; it checks leaks
    // itself.
    Q_UNUSED(residentAt100);
    Q_UNUSED(residentAtEnd);
#else
    QVERIFY2(residentAtEnd - residentAt100 <= 2048,
        qPrintable(
            u"resident memory grew from %1 KiB to %2 KiB"_s.arg(residentAt100).arg(residentAtEnd)));
#endif
}

QTEST_MAIN(SoakTest)
#include "tst_soak.moc"
