// The settings outlive the run: a new file holds the ten lines in order,
// broken values are repaired, the position survives wide screens and lost
// screens, a record reaches the file on "おわる" and on a minimised close, a
// file kept on Windows changes only where a value changed, and a file that
// cannot be used leaves the program on its defaults.
#include "app/form1.h"
#include "form_fixture.h"
#include "settings/profile.h"

#include <QDir>
#include <QLabel>
#include <QStandardPaths>
#include <QtTest>

using namespace Qt::StringLiterals;

class SettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void firstStartWritesTheTenLines();
    void startUp_data();
    void startUp();
    void position_data();
    void position();
    void positionBeyond16BitsIsSaved();
    void recordThenEnd_data();
    void recordThenEnd();
    void endAnsweredNoWritesNothing();
    void closeWhileNotNormalSaves_data();
    void closeWhileNotNormalSaves();
    void windowsFileChangesOnlyWhereValuesChanged();
    void unusableFileLeavesTheDefaults();
    void programFolderWithoutTheFileUsesTheUserFolder();
};

namespace {

// The file the program writes, with the window at (left, top) in pixels.
QByteArray tenLines(int top, int left, int add = 600, int sub = 600, int mul = 600, int kind = 0,
    int limit = 600, int div = 600)
{
    return QStringLiteral("[General]\r\nWin_Top=%1\r\nWin_Lft=%2\r\n[Parameter]\r\n"
                          "T_MinTM=%3\r\nH_MinTM=%4\r\nK_MonTM=%5\r\nCalc_Md=%6\r\n"
                          "LimTM=%7\r\nW_MinTM=%8\r\n")
        .arg(top * 15)
        .arg(left * 15)
        .arg(add)
        .arg(sub)
        .arg(mul)
        .arg(kind)
        .arg(limit)
        .arg(div)
        .toUtf8();
}

// Where a window seen for the first time opens on the test screen.
QPoint startPosition(const Form1& form)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return {area.left() + std::max(0, (area.width() - form.width()) / 2),
        area.top() + std::max(0, (area.height() - form.height()) / 2)};
}

QList<int> savedList(const Form1& form)
{
    QList<int> values;
    for (int slot = 0; slot <= 5; ++slot)
        values.append(form.state.settings[slot]);
    return values;
}

} // namespace

void SettingsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void SettingsTest::firstStartWritesTheTenLines()
{
    FormFixture fixture;
    Form1& form = fixture.make();

    const QPoint start = startPosition(form);
    QCOMPARE(form.pos(), start);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), tenLines(start.y(), start.x()));
    QCOMPARE(form.state.calcKind, 0);
    QCOMPARE(form.state.bestAdd, 600);
    QCOMPARE(form.state.bestSub, 600);
    QCOMPARE(form.state.bestMul, 600);
    QCOMPARE(form.state.bestDiv, 600);
    QCOMPARE(form.state.timeLimit, 600);
    QCOMPARE(form.Label1->text(), u"ハイスコア： 10分00秒"_s);
}

void SettingsTest::startUp_data()
{
    QTest::addColumn<QByteArray>("parameters"); // the file's [Parameter] part
    QTest::addColumn<QList<int>>("settings"); // T, H, K, Calc_Md, LimTM, W as taken
    QTest::addColumn<QByteArray>("repaired"); // the part after start-up

    const QByteArray allValid = "[Parameter]\r\nT_MinTM = 65\r\n  H_MinTM=\"70\"\r\nK_MonTM=45\r\n"
                                "Calc_Md=2\r\nLimTM=300\r\nW_MinTM=80\r\n";
    QTest::newRow("valid values are left as they are")
        << allValid << QList<int>{65, 70, 45, 2, 300, 80} << allValid;
    QTest::newRow("LimTM and W_MinTM missing")
        << QByteArray("[Parameter]\r\nT_MinTM=65\r\nH_MinTM=70\r\nK_MonTM=45\r\nCalc_Md=1\r\n\r\n")
        << QList<int>{65, 70, 45, 1, 600, 600}
        << QByteArray("[Parameter]\r\nT_MinTM=65\r\nH_MinTM=70\r\nK_MonTM=45\r\nCalc_Md=1\r\n"
                      "LimTM=600\r\nW_MinTM=600\r\n\r\n");
    QTest::newRow("T_MinTM missing")
        << QByteArray("[Parameter]\r\nH_MinTM=70\r\nK_MonTM=45\r\nCalc_Md=0\r\nLimTM=300\r\n"
                      "W_MinTM=80\r\n")
        << QList<int>{600, 70, 45, 0, 300, 80}
        << QByteArray("[Parameter]\r\nH_MinTM=70\r\nK_MonTM=45\r\nCalc_Md=0\r\nLimTM=300\r\n"
                      "W_MinTM=80\r\nT_MinTM=600\r\n");
    QTest::newRow("negative times")
        << QByteArray("[Parameter]\r\nT_MinTM=-1\r\nH_MinTM=-5\r\nK_MonTM=-32768\r\n"
                      "Calc_Md=0\r\nLimTM=-1\r\nW_MinTM=-2\r\n")
        << QList<int>{600, 600, 600, 0, 600, 600}
        << QByteArray("[Parameter]\r\nT_MinTM=600\r\nH_MinTM=600\r\nK_MonTM=600\r\n"
                      "Calc_Md=0\r\nLimTM=600\r\nW_MinTM=600\r\n");
    QTest::newRow("times too large for the drill")
        << QByteArray("[Parameter]\r\nT_MinTM=32768\r\nH_MinTM=99999999999\r\nK_MonTM=32767\r\n"
                      "Calc_Md=3\r\nLimTM=40000\r\nW_MinTM=0\r\n")
        << QList<int>{600, 600, 32767, 3, 600, 0}
        << QByteArray("[Parameter]\r\nT_MinTM=600\r\nH_MinTM=600\r\nK_MonTM=32767\r\n"
                      "Calc_Md=3\r\nLimTM=600\r\nW_MinTM=0\r\n");
    QTest::newRow("empty, junk, quoted and hexadecimal values")
        << QByteArray("[Parameter]\r\nT_MinTM=\r\nH_MinTM=abc\r\nK_MonTM='45'\r\n"
                      "Calc_Md=2\r\nLimTM=0x12C\r\nW_MinTM=80 sec\r\n")
        << QList<int>{600, 0, 45, 2, 300, 80}
        << QByteArray("[Parameter]\r\nT_MinTM=600\r\nH_MinTM=abc\r\nK_MonTM='45'\r\n"
                      "Calc_Md=2\r\nLimTM=0x12C\r\nW_MinTM=80 sec\r\n");
    QTest::newRow("kind beyond division is addition")
        << QByteArray("[Parameter]\r\nT_MinTM=65\r\nH_MinTM=70\r\nK_MonTM=45\r\nCalc_Md=7\r\n"
                      "LimTM=300\r\nW_MinTM=80\r\n")
        << QList<int>{65, 70, 45, 0, 300, 80}
        << QByteArray("[Parameter]\r\nT_MinTM=65\r\nH_MinTM=70\r\nK_MonTM=45\r\nCalc_Md=7\r\n"
                      "LimTM=300\r\nW_MinTM=80\r\n");
    QTest::newRow("negative kind is addition")
        << QByteArray("[Parameter]\r\nCalc_Md=-1\r\nT_MinTM=1\r\nH_MinTM=2\r\nK_MonTM=3\r\n"
                      "LimTM=4\r\nW_MinTM=5\r\n")
        << QList<int>{1, 2, 3, 0, 4, 5}
        << QByteArray("[Parameter]\r\nCalc_Md=-1\r\nT_MinTM=1\r\nH_MinTM=2\r\nK_MonTM=3\r\n"
                      "LimTM=4\r\nW_MinTM=5\r\n");
    QTest::newRow("everything missing")
        << QByteArray("; nothing here\r\n") << QList<int>{600, 600, 600, 0, 600, 600}
        << QByteArray("; nothing here\r\n[Parameter]\r\nT_MinTM=600\r\nH_MinTM=600\r\n"
                      "K_MonTM=600\r\nLimTM=600\r\nW_MinTM=600\r\n");
}

void SettingsTest::startUp()
{
    QFETCH(QByteArray, parameters);
    QFETCH(QList<int>, settings);
    QFETCH(QByteArray, repaired);

    FormFixture fixture;
    const QByteArray general = "[General]\r\nWin_Top=0\r\nWin_Lft=630\r\n";
    fixture.writeFile(u"Varolin.ini"_s, general + parameters);
    Form1& form = fixture.make();

    QCOMPARE(savedList(form), settings);
    QCOMPARE(form.state.bestAdd, settings[0]);
    QCOMPARE(form.state.bestSub, settings[1]);
    QCOMPARE(form.state.bestMul, settings[2]);
    QCOMPARE(form.state.calcKind, settings[3]);
    QCOMPARE(form.state.timeLimit, settings[4]);
    QCOMPARE(form.state.bestDiv, settings[5]);
    QCOMPARE(form.L[0]->text(), QString(u"＋－×÷"_s.at(settings[3])));
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), general + repaired);
}

void SettingsTest::position_data()
{
    QTest::addColumn<QByteArray>("general");
    QTest::addColumn<QPoint>("placed"); // null: where a new window opens

    QTest::newRow("on the screen")
        << QByteArray("[General]\r\nWin_Top=1500\r\nWin_Lft=300\r\n") << QPoint(20, 100);
    QTest::newRow("partly off the screen")
        << QByteArray("[General]\r\nWin_Top=-1500\r\nWin_Lft=-4500\r\n") << QPoint(-300, -100);
    QTest::newRow("no position") << QByteArray("[General]\r\n") << QPoint();
    QTest::newRow("on a screen that is gone")
        << QByteArray("[General]\r\nWin_Top=150\r\nWin_Lft=45000\r\n") << QPoint();
    QTest::newRow("far beyond 32 bits")
        << QByteArray("[General]\r\nWin_Top=99999999999\r\nWin_Lft=-99999999999\r\n") << QPoint();
    QTest::newRow("junk after the numbers")
        << QByteArray("[General]\r\nWin_Top=15 twips\r\nWin_Lft=30abc\r\n") << QPoint(2, 1);
}

void SettingsTest::position()
{
    QFETCH(QByteArray, general);
    QFETCH(QPoint, placed);

    FormFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, general);
    Form1& form = fixture.make();
    QCOMPARE(form.pos(), placed.isNull() ? startPosition(form) : placed);
}

void SettingsTest::positionBeyond16BitsIsSaved()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    // 2200 pixels are 33000 twips, more than 16 bits hold.
    form.move(2200, 10);
    fixture.desktop.answers = {Desktop::Answer::Yes};
    form.Btn_Click(3);
    QVERIFY(form.hasEnded());
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), tenLines(10, 2200));
}

void SettingsTest::recordThenEnd_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("slot");

    QTest::newRow("addition under T_MinTM") << 0 << int(SettingsSlot::BestAdd);
    QTest::newRow("subtraction under H_MinTM") << 1 << int(SettingsSlot::BestSub);
    QTest::newRow("multiplication under K_MonTM") << 2 << int(SettingsSlot::BestMul);
    QTest::newRow("division under W_MinTM") << 3 << int(SettingsSlot::BestDiv);
}

// The kind is switched with the button, so Calc_Md holds the kind last
// shown; the record is put where a finished sheet puts it.
void SettingsTest::recordThenEnd()
{
    QFETCH(int, kind);
    QFETCH(int, slot);

    FormFixture fixture;
    Form1& form = fixture.make();
    form.move(100, 20);
    for (int i = 0; i < kind; ++i)
        form.Btn_Click(0);
    form.state.settings[slot] = 65;

    fixture.desktop.answers = {Desktop::Answer::Yes};
    form.Btn_Click(3);
    QVERIFY(form.hasEnded());

    QList<int> values{600, 600, 600, 600};
    values[slot == SettingsSlot::BestDiv ? 3 : slot] = 65;
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s),
        tenLines(20, 100, values[0], values[1], values[2], kind, 600, values[3]));
}

void SettingsTest::endAnsweredNoWritesNothing()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    const QByteArray before = fixture.readFile(u"Varolin.ini"_s);
    form.state.settings[SettingsSlot::BestAdd] = 65;
    form.move(100, 20);
    form.Btn_Click(3); // the fake answers No
    QVERIFY(!form.hasEnded());
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), before);
}

void SettingsTest::closeWhileNotNormalSaves_data()
{
    QTest::addColumn<Qt::WindowState>("windowState");
    QTest::newRow("minimised") << Qt::WindowMinimized;
    QTest::newRow("maximised") << Qt::WindowMaximized;
}

// No question, but the record of the run and the window's normal place are
// kept.
void SettingsTest::closeWhileNotNormalSaves()
{
    QFETCH(Qt::WindowState, windowState);

    FormFixture fixture;
    Form1& form = fixture.make();
    form.move(90, 20);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.setWindowState(windowState);
    QCoreApplication::processEvents();
    form.state.settings[SettingsSlot::BestSub] = 42;

    form.close();
    QVERIFY(form.hasEnded());
    QVERIFY(fixture.desktop.shown.isEmpty());
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), tenLines(20, 90, 600, 42));
}

// A file kept on a Windows machine: CRLF, comments, its own spacing and case,
// keys the program does not know, Shift-JIS text.
void SettingsTest::windowsFileChangesOnlyWhereValuesChanged()
{
    const QByteArray kept = "; Varolin\r\n"
                            "[general]\r\n"
                            "  Win_Top = 300\r\n"
                            "Win_Lft=1500\r\n"
                            "\r\n"
                            "; \x82\xb9\x82\xc1\x82\xc4\x82\xa2\r\n"
                            "[Parameter]\r\n"
                            "T_MinTM = 65\r\n"
                            "H_MinTM\t=\t600\r\n"
                            "K_MonTM = 45\r\n"
                            "Calc_Md=2\r\n"
                            "LimTM=600\r\n"
                            "W_MinTM=\"100\"\r\n"
                            "Memo=\x83\x81\x83\x82\r\n"
                            "\r\n"
                            "[Other]\r\n"
                            "T_MinTM=1\r\n";
    FormFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, kept);
    Form1& form = fixture.make();

    QCOMPARE(form.pos(), QPoint(100, 20));
    QCOMPARE(savedList(form), (QList<int>{65, 600, 45, 2, 600, 100}));
    QCOMPARE(form.L[0]->text(), u"×"_s);
    QCOMPARE(form.Label1->text(), u"ハイスコア： 0分45秒"_s);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), kept);

    // A multiplication record, then the end.
    form.state.bestMul = 40;
    form.state.settings[SettingsSlot::BestMul] = 40;
    fixture.desktop.answers = {Desktop::Answer::Yes};
    form.Btn_Click(3);
    QVERIFY(form.hasEnded());
    QCOMPARE(
        fixture.readFile(u"Varolin.ini"_s), QByteArray(kept).replace("K_MonTM = 45", "K_MonTM=40"));
}

// A folder where the file should be can be neither read nor written, for any
// user. The program runs on the defaults, asks nothing and ends normally.
void SettingsTest::unusableFileLeavesTheDefaults()
{
    FormFixture fixture;
    QVERIFY(QDir(fixture.folder.path()).mkdir(u"Varolin.ini"_s));
    Form1& form = fixture.make();

    QCOMPARE(savedList(form), (QList<int>{600, 600, 600, 0, 600, 600}));
    QCOMPARE(form.state.bestAdd, 600);
    QCOMPARE(form.state.calcKind, 0);
    QCOMPARE(form.pos(), startPosition(form));
    QVERIFY(fixture.desktop.shown.isEmpty());

    fixture.desktop.answers = {Desktop::Answer::Yes};
    form.Btn_Click(3);
    QVERIFY(form.hasEnded());
    QCOMPARE(fixture.desktop.shown.size(), 1);
    QVERIFY(QFileInfo(fixture.path(u"Varolin.ini"_s)).isDir());
}

void SettingsTest::programFolderWithoutTheFileUsesTheUserFolder()
{
    QTemporaryDir scratch;
    FakeDesktop desktop;
    const QString userFile
        = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u"/Varolin.ini"_s;
    QFile::remove(userFile);

    Form1 form(desktop, scratch.filePath(u"not there"_s));
    QCOMPARE(form.state.iniPath, userFile);
    const std::optional<QByteArray> written = Profile::readFile(userFile);
    QVERIFY(written);
    QCOMPARE(*written, tenLines(form.pos().y(), form.pos().x()));
    QFile::remove(userFile);
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
