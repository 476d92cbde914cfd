// Answer entry on the real cells with real key events: every digit judged the
// moment it is typed, wrong digits beep and vanish, right answers lock their
// cell and open the next, and nothing else ever edits a cell.
#include "form_fixture.h"
#include "sheet_player.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <set>

using namespace Qt::StringLiterals;

namespace {

// Key presses for each character; characters outside ASCII (full-width
// digits) arrive as text on an unknown key, as a keyboard layout sends them.
void typeCharacters(QWidget* target, const QString& text)
{
    for (const QChar character : text) {
        if (character.unicode() < 128)
            QTest::keyClick(target, static_cast<char>(character.unicode()));
        else
            QTest::sendKeyEvent(
                QTest::Click, target, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }
}

bool isRed(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
}

QList<int> redLabels(const Form1& form)
{
    QList<int> red;
    for (int k = 1; k <= 20; ++k) {
        if (isRed(form.L[k]))
            red.append(k);
    }
    return red;
}

// Cells a sheet of `kind` opens, in order.
QList<int> cellsInPlay(int kind)
{
    const int size = kind == 2 || kind == 3 ? 9 : 10;
    QList<int> cells;
    for (int r = 0; r < size; ++r) {
        for (int c = 0; c < size; ++c)
            cells.append(10 * r + c);
    }
    return cells;
}

// A started addition sheet whose first cell asks for `answer` and whose
// second asks for `second`.
Form1& startWithAnswers(FormFixture& fixture, int answer, int second = 3)
{
    Form1& form = fixture.make();
    form.show();
    form.L[1]->setText(u"0"_s);
    form.L[11]->setText(QString::number(answer));
    form.L[12]->setText(QString::number(second));
    form.Btn_Click(1);
    return form;
}

} // namespace

class EntryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeSheet_data();
    void wholeSheet();
    void sheetThroughKeyboardFocus();
    void keys_data();
    void keys();
    void keypadDigits();
    void editingKeysChangeNothing_data();
    void editingKeysChangeNothing();
    void tabMovesFocus();
    void middleClickDoesNotPaste();
    void inputMethodCommit();
    void highlightFollowsCursor();
    void divisionRedrawsEachRow();
    void finishingSequence();
    void caretAfterHeldDigit();
};

void EntryTest::wholeSheet_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("addition") << 0;
    QTest::newRow("subtraction") << 1;
    QTest::newRow("multiplication") << 2;
    QTest::newRow("division") << 3;
}

void EntryTest::wholeSheet()
{
    QFETCH(int, kind);
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    for (int i = 0; i < kind; ++i)
        form.Btn_Click(0);
    QCOMPARE(form.state.calcKind, kind);

    // Wrong digits on the way must not disturb the run: one wrong key before
    // every tenth answer.
    form.Btn_Click(1);
    QList<int> answered;
    int wrongKeys = 0;
    while (!form.state.idle && answered.size() < 200) {
        const int cell = form.state.currentCell;
        QVERIFY(form.Data[cell]->isEnabled());
        QCOMPARE(form.focusWidget(), form.Data[cell]);
        const int answer = SheetPlayer::answer(form, cell);
        QVERIFY2(answer >= 0 && answer <= 99, qPrintable(QString::number(answer)));
        if (answered.size() % 10 == 0) {
            const QString tens = answer >= 10 ? QString::number(answer / 10) : QString();
            const int wrong = ((answer % 10) + 1) % 10;
            // Wrong as a first digit and, after the tens, as a ones digit.
            if (answer >= 10 || wrong != answer) {
                typeCharacters(form.Data[cell], tens + QString::number(wrong));
                ++wrongKeys;
                QCOMPARE(form.Data[cell]->text(), tens);
                typeCharacters(form.Data[cell], QString::number(answer % 10));
            } else {
                SheetPlayer::answerOpenCell(form);
            }
        } else {
            SheetPlayer::answerOpenCell(form);
        }
        answered.append(cell);
    }

    QCOMPARE(answered, cellsInPlay(kind));
    QCOMPARE(fixture.desktop.beeps, wrongKeys);
    QVERIFY(form.state.idle);
    QCOMPARE(fixture.desktop.shown.size(), 1);
    QCOMPARE(fixture.desktop.shown.front().message.buttons, Desktop::Buttons::Ok);
    for (QLineEdit* cell : form.Data) {
        QVERIFY(!cell->isEnabled());
        QVERIFY(cell->text().isEmpty());
    }
}

void EntryTest::sheetThroughKeyboardFocus()
{
    // Keys go wherever the focus is, as from a keyboard: the program must
    // have put it on the open cell every time.
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.Btn_Click(1);
    int answers = 0;
    while (!form.state.idle && answers < 200) {
        QWidget* focus = QApplication::focusWidget();
        QCOMPARE(focus, form.Data[form.state.currentCell]);
        typeCharacters(focus, SheetPlayer::answerText(form, form.state.currentCell));
        ++answers;
    }
    QCOMPARE(answers, 100);
    QCOMPARE(QApplication::focusWidget(), form.Btn[1]);
}

void EntryTest::keys_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text"); // of cell 0 afterwards
    QTest::addColumn<int>("beeps");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("one digit, right") << 7 << u"7"_s << u"7"_s << 0 << true;
    QTest::newRow("answer 0 with a single 0") << 0 << u"0"_s << u"0"_s << 0 << true;
    QTest::newRow("leading zero refused") << 5 << u"0"_s << QString() << 1 << false;
    QTest::newRow("wrong, then right") << 5 << u"45"_s << u"5"_s << 1 << true;
    QTest::newRow("14: wrong tens digit") << 14 << u"2"_s << QString() << 1 << false;
    QTest::newRow("14: tens held") << 14 << u"1"_s << u"1"_s << 0 << false;
    QTest::newRow("14: wrong ones digit") << 14 << u"13"_s << u"1"_s << 1 << false;
    QTest::newRow("14: wrong ones, then right") << 14 << u"134"_s << u"14"_s << 1 << true;
    QTest::newRow("14: two wrong ones") << 14 << u"1394"_s << u"14"_s << 2 << true;
    QTest::newRow("14: right") << 14 << u"14"_s << u"14"_s << 0 << true;
    QTest::newRow("10: ones digit 0") << 10 << u"10"_s << u"10"_s << 0 << true;
    QTest::newRow("18: ones digit alone") << 18 << u"8"_s << QString() << 1 << false;
    QTest::newRow("backspace empties") << 14 << u"1\b"_s << QString() << 0 << false;
    QTest::newRow("backspace, then ones digit") << 14 << u"1\b4"_s << QString() << 1 << false;
    QTest::newRow("backspace, then again") << 14 << u"1\b14"_s << u"14"_s << 0 << true;
    QTest::newRow("backspace on empty") << 7 << u"\b\b7"_s << u"7"_s << 0 << true;
    QTest::newRow("enter, letters, space, minus") << 14 << u"\rab -Z"_s << QString() << 0 << false;
    QTest::newRow("signs while tens held") << 14 << u"1\r -x+.,"_s << u"1"_s << 0 << false;
    QTest::newRow("escape and tab characters") << 7 << u"\x1b"_s << QString() << 0 << false;
    QTest::newRow("full-width digit") << 7 << u"７"_s << u"7"_s << 0 << true;
    QTest::newRow("full-width two digits") << 14 << u"１４"_s << u"14"_s << 0 << true;
    QTest::newRow("full-width wrong") << 14 << u"１３"_s << u"1"_s << 1 << false;
    QTest::newRow("other wide characters") << 7 << u"あ七Ａ"_s << QString() << 0 << false;
}

void EntryTest::keys()
{
    QFETCH(int, answer);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    QFETCH(bool, accepted);

    FormFixture fixture;
    Form1& form = startWithAnswers(fixture, answer);
    typeCharacters(form.Data[0], keys);

    QCOMPARE(form.Data[0]->text(), text);
    QCOMPARE(fixture.desktop.beeps, beeps);
    QCOMPARE(form.state.currentCell, accepted ? 1 : 0);
    QCOMPARE(form.Data[0]->isEnabled(), !accepted);
    QCOMPARE(form.Data[1]->isEnabled(), accepted);
    QCOMPARE(form.state.digitCount, !accepted && text.size() == 1 ? 1 : 0);
    QVERIFY(fixture.desktop.shown.isEmpty());
}

void EntryTest::keypadDigits()
{
    FormFixture fixture;
    Form1& form = startWithAnswers(fixture, 14, 3);
    QTest::keyClick(form.Data[0], Qt::Key_1, Qt::KeypadModifier);
    QCOMPARE(form.Data[0]->text(), u"1"_s);
    QTest::keyClick(form.Data[0], Qt::Key_4, Qt::KeypadModifier);
    QCOMPARE(form.state.currentCell, 1);
    QTest::keyClick(form.Data[1], Qt::Key_2, Qt::KeypadModifier);
    QCOMPARE(fixture.desktop.beeps, 1);
    QTest::keyClick(form.Data[1], Qt::Key_3, Qt::KeypadModifier);
    QCOMPARE(form.state.currentCell, 2);
    QCOMPARE(form.Data[1]->text(), u"3"_s);
}

void EntryTest::editingKeysChangeNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Delete") << int(Qt::Key_Delete) << int(Qt::NoModifier);
    QTest::newRow("Left") << int(Qt::Key_Left) << int(Qt::NoModifier);
    QTest::newRow("Right") << int(Qt::Key_Right) << int(Qt::NoModifier);
    QTest::newRow("Home") << int(Qt::Key_Home) << int(Qt::NoModifier);
    QTest::newRow("End") << int(Qt::Key_End) << int(Qt::NoModifier);
    QTest::newRow("Shift+Home") << int(Qt::Key_Home) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier);
    QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Backspace") << int(Qt::Key_Backspace) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+4") << int(Qt::Key_4) << int(Qt::ControlModifier);
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
}

void EntryTest::editingKeysChangeNothing()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QGuiApplication::clipboard()->setText(u"99"_s);

    FormFixture fixture;
    Form1& form = startWithAnswers(fixture, 14);
    QTest::keyClick(form.Data[0], '1');
    // With the caret before the digit, Delete or a paste would change it.
    form.Data[0]->setCursorPosition(0);
    QTest::keyClick(form.Data[0], Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(form.Data[0]->text(), u"1"_s);
    QCOMPARE(form.state.digitCount, 1);
    QCOMPARE(fixture.desktop.beeps, 0);
    // Whatever the key did to the caret, the ones digit still completes 14.
    QTest::keyClick(form.Data[0], '4');
    QCOMPARE(form.Data[0]->text(), u"14"_s);
    QCOMPARE(form.state.currentCell, 1);
}

void EntryTest::tabMovesFocus()
{
    FormFixture fixture;
    Form1& form = startWithAnswers(fixture, 7);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), form.Data[0]);
    QTest::keyClick(form.Data[0], Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != form.Data[0]);
    QCOMPARE(form.Data[0]->text(), QString());
    QCOMPARE(fixture.desktop.beeps, 0);
}

void EntryTest::middleClickDoesNotPaste()
{
    FormFixture fixture;
    Form1& form = startWithAnswers(fixture, 14);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(u"7"_s);
    if (clipboard->supportsSelection())
        clipboard->setText(u"7"_s, QClipboard::Selection);
    QTest::mouseClick(form.Data[0], Qt::MiddleButton);
    QTest::mouseDClick(form.Data[0], Qt::MiddleButton);
    QCOMPARE(form.Data[0]->text(), QString());
    QTest::keyClick(form.Data[0], '1');
    QTest::mouseClick(form.Data[0], Qt::MiddleButton);
    QCOMPARE(form.Data[0]->text(), u"1"_s);
    QCOMPARE(form.state.currentCell, 0);
}

void EntryTest::inputMethodCommit()
{
    // A commit carries text for the cell open at that moment: "7" answers
    // cell 0, "１４" then answers cell 1.
    FormFixture fixture;
    Form1& form = startWithAnswers(fixture, 7, 14);
    QInputMethodEvent preedit(u"７"_s, {});
    QApplication::sendEvent(form.Data[0], &preedit);
    QCOMPARE(form.Data[0]->text(), QString());

    QInputMethodEvent commit;
    commit.setCommitString(u"7１４"_s);
    QApplication::sendEvent(form.Data[0], &commit);
    QCOMPARE(form.Data[0]->text(), u"7"_s);
    QCOMPARE(form.Data[1]->text(), u"14"_s);
    QCOMPARE(form.state.currentCell, 2);
    QCOMPARE(fixture.desktop.beeps, 0);

    // A locked cell takes no commit.
    QInputMethodEvent late;
    late.setCommitString(u"5"_s);
    QApplication::sendEvent(form.Data[0], &late);
    QCOMPARE(form.Data[0]->text(), u"7"_s);
    QCOMPARE(form.state.currentCell, 2);
}

void EntryTest::highlightFollowsCursor()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    form.Btn_Click(1);
    QCOMPARE(redLabels(form), (QList<int>{1, 11}));
    for (int cell = 0; cell < 12; ++cell) {
        QCOMPARE(form.state.currentCell, cell);
        SheetPlayer::answerOpenCell(form);
        const int next = cell + 1;
        QCOMPARE(redLabels(form), (QList<int>{next / 10 + 1, next % 10 + 11}));
        QVERIFY(!form.Data[cell]->isEnabled());
        QCOMPARE(form.Data[cell]->text(), SheetPlayer::answerText(form, cell));
    }
    // Past the end of row 0 the row label moves down and column 0 lights up.
    QCOMPARE(form.state.currentCell, 12);

    // In multiplication, column 9 is skipped.
    FormFixture product;
    Form1& times = product.make();
    times.show();
    times.Btn_Click(0);
    times.Btn_Click(0);
    times.Btn_Click(1);
    for (int cell = 0; cell <= 8; ++cell)
        SheetPlayer::answerOpenCell(times);
    QCOMPARE(times.state.currentCell, 10);
    QCOMPARE(redLabels(times), (QList<int>{2, 11}));
    QVERIFY(!times.Data[9]->isEnabled());
    QVERIFY(times.Data[10]->isEnabled());
    QCOMPARE(times.focusWidget(), times.Data[10]);
}

void EntryTest::divisionRedrawsEachRow()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    for (int i = 0; i < 3; ++i)
        form.Btn_Click(0);
    form.Btn_Click(1);

    QStringList previousRow;
    for (int row = 0; row < 9; ++row) {
        QCOMPARE(form.state.currentCell, 10 * row);
        // Before the row's first key, its column operands are already
        // multiples of its divisor, with nine different quotients.
        const int divisor = form.L[row + 1]->text().toInt();
        std::set<int> quotients;
        QStringList captions;
        for (int c = 0; c < 9; ++c) {
            const int top = form.L[11 + c]->text().toInt();
            captions.append(form.L[11 + c]->text());
            QCOMPARE(top % divisor, 0);
            quotients.insert(top / divisor);
        }
        QCOMPARE(quotients, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
        QCOMPARE(form.L[20]->text(), u"0"_s);
        if (row > 0)
            QVERIFY(captions != previousRow);
        previousRow = captions;
        for (int c = 0; c < 9; ++c)
            SheetPlayer::answerOpenCell(form);
    }
    QVERIFY(form.state.idle);
    QCOMPARE(fixture.desktop.beeps, 0);
}

void EntryTest::finishingSequence()
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    form.Btn_Click(1);
    for (int i = 0; i < 5; ++i)
        form.Timer1_Timer();
    QCOMPARE(form.Text1->text(), u"0:05"_s);

    bool sawBox = false;
    bool flushRanBeforeClearing = false;
    fixture.desktop.onMessage = [&](const Desktop::Message&) {
        sawBox = true;
        QVERIFY(!form.Timer1->isActive());
        QVERIFY(!form.state.idle);
        QVERIFY(redLabels(form).isEmpty());
        QCOMPARE(fixture.desktop.clipboard, u"[たしざん]05秒"_s);
        for (int cell = 0; cell < 100; ++cell)
            QCOMPARE(form.Data[cell]->text(), SheetPlayer::answerText(form, cell));
        QVERIFY(form.Btn[2]->isEnabled());
        // A click waiting while the box is open runs in the flush, after the
        // buttons are back and before the board is emptied.
        QTimer::singleShot(0, &form, [&] {
            flushRanBeforeClearing
                = form.state.idle && !form.Data[99]->text().isEmpty() && form.Btn[1]->isEnabled();
        });
    };
    while (!form.state.idle)
        SheetPlayer::answerOpenCell(form);

    QVERIFY(sawBox);
    QVERIFY(flushRanBeforeClearing);
    QCOMPARE(form.state.currentCell, 99);
    QCOMPARE(form.Text1->text(), u"0:05"_s);
    QVERIFY(!form.Timer1->isActive());
    for (int i : {0, 1, 3, 4}) {
        QVERIFY(form.Btn[i]->isEnabled());
        QVERIFY(form.Btn[i]->font().bold());
    }
    QVERIFY(!form.Btn[2]->isEnabled());
    QVERIFY(!form.Btn[2]->font().bold());
    for (QLineEdit* cell : form.Data) {
        QVERIFY(!cell->isEnabled());
        QCOMPARE(cell->text(), QString());
    }
    QCOMPARE(form.focusWidget(), form.Btn[1]);
    QVERIFY(redLabels(form).isEmpty());
}

void EntryTest::caretAfterHeldDigit()
{
    FormFixture fixture;
    Form1& form = startWithAnswers(fixture, 14);
    QTest::keyClick(form.Data[0], '1');
    QCOMPARE(form.Data[0]->cursorPosition(), 1);
    QTest::keyClick(form.Data[0], '3');
    QCOMPARE(form.Data[0]->text(), u"1"_s);
    QCOMPARE(form.Data[0]->cursorPosition(), 1);
}

QTEST_MAIN(EntryTest)
#include "tst_entry.moc"
