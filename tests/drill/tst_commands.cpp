// The command buttons: start, stop (with the clock paused during its
// question), switch, new numbers and end; the closing question; indexes
// without a command doing nothing; and a new sheet never inheriting a held
// digit or another row's division operands.
#include "form_fixture.h"
#include "sheet_player.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <climits>
#include <set>

using namespace Qt::StringLiterals;

namespace {

QStringList captions(const Form1& form)
{
    QStringList texts;
    for (const QLabel* label : form.L)
        texts.append(label->text());
    return texts;
}

bool isRed(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
}

// Everything a command could change, in one comparable text.
QString snapshot(const Form1& form)
{
    QString text;
    const DrillState& s = form.state;
    text += u"kind=%1 cell=%2 idle=%3 digits=%4 first=%5 last=%6 t=%7 "_s.arg(s.calcKind)
                .arg(s.currentCell)
                .arg(s.idle)
                .arg(s.digitCount)
                .arg(s.firstDigit)
                .arg(s.lastCell)
                .arg(s.elapsedSeconds);
    for (int slot : s.settings)
        text += QString::number(slot) + u',';
    text += captions(form).join(u'|');
    for (const QLabel* label : form.L)
        text += isRed(label) ? u'R' : u'b';
    for (const QLineEdit* cell : form.Data)
        text += cell->text() + (cell->isEnabled() ? u'+' : u'-');
    for (const QPushButton* button : form.Btn)
        text += u"%1%2%3"_s.arg(button->isEnabled())
                    .arg(button->font().bold())
                    .arg(button->isVisible());
    text += form.Text1->text() + form.Label1->text();
    text += form.Timer1->isActive() ? u"on"_s : u"off"_s;
    text += QString::number(form.Timer1->interval());
    return text;
}

void checkButtons(const Form1& form, bool running)
{
    for (int i = 0; i <= 4; ++i) {
        const bool enabled = (i == 2) == running;
        QCOMPARE(form.Btn[i]->isEnabled(), enabled);
        QCOMPARE(form.Btn[i]->font().bold(), enabled);
    }
}

void switchTo(Form1& form, int kind)
{
    while (form.state.calcKind != kind)
        form.Btn_Click(0);
}

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void start();
    void stopAnsweredNoKeepsCount();
    void stopAnsweredYesResets();
    void stopWhileIdleLeavesClockStopped();
    void noCommand_data();
    void noCommand();
    void endAsksOnce();
    void endAnsweredNo();
    void closingQuestion();
    void switchKind();
    void switchNegativeKind_data();
    void switchNegativeKind();
    void newNumbers();
    void heldDigitDoesNotReachNextSheet();
    void divisionStartsOnRowZeroOperands();
    void divisionSheetOnRowZeroStartsUnchanged();
};

void CommandsTest::start()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    const QStringList before = captions(form);
    form.Btn_Click(1);
    QVERIFY(!form.state.idle);
    QCOMPARE(int(form.state.currentCell), 0);
    QVERIFY(form.Data[0]->isEnabled());
    QCOMPARE(form.focusWidget(), form.Data[0]);
    for (int i = 1; i < 100; ++i)
        QVERIFY(!form.Data[i]->isEnabled());
    QVERIFY(isRed(form.L[1]));
    QVERIFY(isRed(form.L[11]));
    checkButtons(form, true);
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(captions(form), before);
    QVERIFY(form.Btn[5]->isHidden() && form.Btn[6]->isHidden() && form.Btn[7]->isHidden());
}

void CommandsTest::stopAnsweredNoKeepsCount()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    form.Btn_Click(1);
    SheetPlayer::answerOpenCell(form);
    SheetPlayer::answerOpenCell(form);
    for (int i = 0; i < 3; ++i)
        form.Timer1_Timer();

    bool paused = false;
    fixture.desktop.onMessage = [&](const Desktop::Message& message) {
        QCOMPARE(message.prompt, u"やめますか？"_s);
        QCOMPARE(message.title, u"かくにん"_s);
        QCOMPARE(message.buttons, Desktop::Buttons::YesNo);
        paused = !form.Timer1->isActive() && form.Timer1->interval() == 1000;
    };
    fixture.desktop.answers = {Desktop::Answer::No};
    form.Btn_Click(2);
    QVERIFY(paused);
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 1000);
    QCOMPARE(int(form.state.elapsedSeconds), 3);
    QVERIFY(!form.state.idle);
    QCOMPARE(form.focusWidget(), form.Data[2]);
    form.Timer1_Timer();
    QCOMPARE(form.Text1->text(), u"0:04"_s);
    // The sheet goes on where it was.
    SheetPlayer::answerOpenCell(form);
    QCOMPARE(int(form.state.currentCell), 3);
}

void CommandsTest::stopAnsweredYesResets()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    const QStringList operands = captions(form);
    form.Btn_Click(1);
    for (int i = 0; i < 12; ++i)
        SheetPlayer::answerOpenCell(form);
    for (int i = 0; i < 7; ++i)
        form.Timer1_Timer();

    fixture.desktop.answers = {Desktop::Answer::Yes};
    form.Btn_Click(2);
    QCOMPARE(fixture.desktop.shown.size(), 1);
    checkButtons(form, false);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 0);
    QCOMPARE(form.Text1->text(), u"0:00"_s);
    for (QLineEdit* cell : form.Data) {
        QCOMPARE(cell->text(), QString());
        QVERIFY(!cell->isEnabled());
    }
    for (int k = 1; k <= 20; ++k)
        QVERIFY(!isRed(form.L[k]));
    QVERIFY(form.state.idle);
    QCOMPARE(form.focusWidget(), form.Btn[1]);
    QCOMPARE(captions(form), operands);
    QVERIFY(fixture.desktop.clipboard.isEmpty());

    // Starting again presents the same operands.
    form.Btn_Click(1);
    QCOMPARE(captions(form), operands);
}

void CommandsTest::stopWhileIdleLeavesClockStopped()
{
    // Not reachable by a click (the button is disabled while idle), but the
    // clock must not start racing on a "No" when it was never counting.
    FormFixture fixture;
    Form1& form = fixture.make();
    form.Btn_Click(2);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(int(form.state.elapsedSeconds), 0);
}

void CommandsTest::noCommand_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("running");
    for (const bool running : {false, true}) {
        const char* when = running ? "running" : "idle";
        QTest::addRow("7, %s", when) << 7 << running;
        QTest::addRow("8, %s", when) << 8 << running;
        QTest::addRow("-1, %s", when) << -1 << running;
        QTest::addRow("100, %s", when) << 100 << running;
        QTest::addRow("INT_MIN, %s", when) << INT_MIN << running;
    }
}

void CommandsTest::noCommand()
{
    QFETCH(int, index);
    QFETCH(bool, running);
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    if (running) {
        form.Btn_Click(1);
        SheetPlayer::answerOpenCell(form);
        form.Timer1_Timer();
    }
    const QString before = snapshot(form);
    form.Btn_Click(index);
    QCOMPARE(snapshot(form), before);
    QVERIFY(fixture.desktop.shown.isEmpty());
    QVERIFY(!form.hasEnded());
}

void CommandsTest::endAsksOnce()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    fixture.desktop.answers = {Desktop::Answer::Yes, Desktop::Answer::Yes};
    form.Btn_Click(3);
    QVERIFY(form.hasEnded());
    QCOMPARE(fixture.desktop.shown.size(), 1);
    QCOMPARE(fixture.desktop.shown[0].message.prompt, u"おわりにしますか？"_s);
    QCOMPARE(fixture.desktop.shown[0].message.title, u"かくにん"_s);
    QCOMPARE(fixture.desktop.shown[0].message.buttons, Desktop::Buttons::YesNo);
    QVERIFY(!form.Timer1->isActive());
    // The window's own close that follows asks nothing more.
    form.close();
    QCOMPARE(fixture.desktop.shown.size(), 1);
    QVERIFY(!form.isVisible());
}

void CommandsTest::endAnsweredNo()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    // Only reachable directly while running (the button is disabled), but
    // the clock is not paused for this question.
    form.Btn_Click(1);
    bool counting = false;
    fixture.desktop.onMessage
        = [&](const Desktop::Message&) { counting = form.Timer1->isActive(); };
    form.Btn_Click(3);
    QVERIFY(counting);
    QVERIFY(!form.hasEnded());
    QVERIFY(form.Timer1->isActive());

    // While idle, "No" hands the focus to the start button.
    fixture.desktop.answers = {Desktop::Answer::Yes};
    form.Btn_Click(2);
    form.Btn[0]->setFocus();
    form.Btn_Click(3);
    QVERIFY(!form.hasEnded());
    QCOMPARE(form.focusWidget(), form.Btn[1]);
}

void CommandsTest::closingQuestion()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    form.Btn_Click(1);
    bool counting = false;
    fixture.desktop.onMessage = [&](const Desktop::Message& message) {
        QCOMPARE(message.prompt, u"おわりにしますか？"_s);
        counting = form.Timer1->isActive();
    };
    fixture.desktop.answers = {Desktop::Answer::No};
    QVERIFY(!form.close());
    QVERIFY(counting);
    QVERIFY(form.isVisible());
    QVERIFY(!form.state.idle);
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(fixture.desktop.shown.size(), 1);

    fixture.desktop.answers = {Desktop::Answer::Yes};
    QVERIFY(form.close());
    QVERIFY(form.hasEnded());
    QCOMPARE(fixture.desktop.shown.size(), 2);
    QVERIFY(!form.Timer1->isActive());
}

void CommandsTest::switchKind()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    const int start = form.state.calcKind;
    const QStringList signs{u"＋"_s, u"－"_s, u"×"_s, u"÷"_s};
    for (int click = 1; click <= 4; ++click) {
        const QStringList before = captions(form);
        form.Btn_Click(0);
        const int kind = (start + click) % 4;
        QCOMPARE(int(form.state.calcKind), kind);
        QCOMPARE(int(form.state.settings[3]), kind);
        QCOMPARE(form.L[0]->text(), signs[kind]);
        QCOMPARE(int(form.state.lastCell), kind >= 2 ? 88 : 99);
        QVERIFY(captions(form).mid(1) != before.mid(1));
    }
    QCOMPARE(int(form.state.calcKind), start);
}

void CommandsTest::switchNegativeKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("next");
    QTest::newRow("-6 to -1") << -6 << -1;
    QTest::newRow("-1 to 0") << -1 << 0;
    QTest::newRow("3 to 0") << 3 << 0;
    QTest::newRow("32767 to 0") << 32767 << 0;
}

void CommandsTest::switchNegativeKind()
{
    QFETCH(int, kind);
    QFETCH(int, next);
    FormFixture fixture;
    Form1& form = fixture.make();
    form.state.calcKind = static_cast<std::int16_t>(kind);
    form.Btn_Click(0);
    QCOMPARE(int(form.state.calcKind), next);
}

void CommandsTest::newNumbers()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    QStringList before = captions(form);
    form.Btn_Click(4);
    QVERIFY(captions(form) != before);

    form.Btn_Click(1);
    before = captions(form);
    form.Btn_Click(4);
    QCOMPARE(captions(form), before);
}

void CommandsTest::heldDigitDoesNotReachNextSheet()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    form.L[1]->setText(u"0"_s);
    form.L[11]->setText(u"14"_s);
    form.Btn_Click(1);
    QTest::keyClick(form.Data[0], '1');
    QCOMPARE(int(form.state.digitCount), 1);
    fixture.desktop.answers = {Desktop::Answer::Yes};
    form.Btn_Click(2);

    // The next sheet's first cell asks for 7: a "3" is a wrong first digit,
    // not a ones digit after the old sheet's "1".
    form.L[11]->setText(u"7"_s);
    form.Btn_Click(1);
    QCOMPARE(int(form.state.digitCount), 0);
    QTest::keyClick(form.Data[0], '3');
    QCOMPARE(form.Data[0]->text(), QString());
    QCOMPARE(fixture.desktop.beeps, 1);
    QTest::keyClick(form.Data[0], '7');
    QCOMPARE(int(form.state.currentCell), 1);
}

void CommandsTest::divisionStartsOnRowZeroOperands()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    switchTo(form, 3);
    form.Btn_Click(1);
    for (int i = 0; i < 18; ++i)
        SheetPlayer::answerOpenCell(form);
    QCOMPARE(int(form.state.currentCell), 20);
    fixture.desktop.answers = {Desktop::Answer::Yes};
    form.Btn_Click(2);
    const QStringList rows = captions(form).mid(1, 10);

    form.Btn_Click(1);
    QCOMPARE(captions(form).mid(1, 10), rows);
    const int divisor = form.L[1]->text().toInt();
    std::set<int> quotients;
    for (int c = 0; c < 9; ++c) {
        const int top = form.L[11 + c]->text().toInt();
        QCOMPARE(top % divisor, 0);
        quotients.insert(top / divisor);
    }
    QCOMPARE(quotients, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // The whole sheet then plays with whole quotients and no wrong key.
    while (!form.state.idle)
        SheetPlayer::answerOpenCell(form);
    QCOMPARE(fixture.desktop.beeps, 0);

    // After a finished sheet the board shows row 8's operands: starting
    // again redraws them for row 0 as well.
    form.Btn_Click(1);
    const int again = form.L[1]->text().toInt();
    for (int c = 0; c < 9; ++c)
        QCOMPARE(form.L[11 + c]->text().toInt() % again, 0);
}

void CommandsTest::divisionSheetOnRowZeroStartsUnchanged()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    switchTo(form, 3);
    const QStringList fresh = captions(form);
    const auto quotients = form.state.quotients;
    form.Btn_Click(1);
    QCOMPARE(captions(form), fresh);
    QCOMPARE(form.state.quotients, quotients);
}

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
