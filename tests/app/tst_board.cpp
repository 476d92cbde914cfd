// SPDX-License-Identifier: GPL-3.0-or-later
// The board wired to the drill: real keys and clicks reach it, the cells,
// headers, buttons and clock follow it through a stop and the end of a
// sheet, and nothing but the judged keys (no editing key, paste, middle
// click or drop) ever changes a cell.
#include "sheet_player.h"
#include "window_fixture.h"

#include "app/records_window.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDBusVariant>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Ways into a cell that are not keys.
enum { Drop = -1, MiddleClick = -2 };

QList<int> redHeaders(const WindowFixture& fixture)
{
    QList<int> red;
    for (int i = 0; i < 10; ++i) {
        if (SheetPlayer::isRed(fixture.rowHeader(i)))
            red.append(i);
        if (SheetPlayer::isRed(fixture.columnHeader(i)))
            red.append(10 + i);
    }
    return red;
}

// What a screen reader gets of `widget` over AT-SPI, the desktop's
// accessibility bus: its text and the caret's offset. This program answers
// those questions itself, so they are asked without blocking.
struct AtSpiText
{
    QString text;
    int caret = -1;
};

std::optional<AtSpiText> readOverAtSpi(QWidget* widget)
{
    static QDBusConnection bus = [] {
        QDBusInterface launcher(u"org.a11y.Bus"_s, u"/org/a11y/bus"_s, u"org.a11y.Bus"_s);
        const QDBusReply<QString> address = launcher.call(u"GetAddress"_s);
        return QDBusConnection::connectToBus(address.value(), u"screen reader"_s);
    }();
    // The program's own connection to the bus (made once the program runs):
    // in this process too, but not the reader's.
    QString program;
    const auto connected = [&] {
        const QDBusReply<QStringList> names = bus.interface()->registeredServiceNames();
        for (const QString& name : names.value()) {
            if (name.startsWith(u':') && name != bus.baseService()
                && bus.interface()->servicePid(name).value()
                    == uint(QCoreApplication::applicationPid()))
                program = name;
        }
        return !program.isEmpty();
    };
    if (!QTest::qWaitFor(connected, 5000))
        return {};
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (program.isEmpty() || !accessible)
        return {};
    const QString path
        = u"/org/a11y/atspi/accessible/"_s + QString::number(QAccessible::uniqueId(accessible));
    const auto ask
        = [&](const QString& interface, const QString& method, const QVariantList& args) {
              QDBusMessage call = QDBusMessage::createMethodCall(program, path, interface, method);
              call.setArguments(args);
              QDBusPendingCall pending = bus.asyncCall(call, 5000);
              if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 6000))
                  return QVariant();
              const QDBusMessage reply = pending.reply();
              return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                  ? reply.arguments().first()
                  : QVariant();
          };
    const QVariant text = ask(u"org.a11y.atspi.Text"_s, u"GetText"_s, {0, -1});
    const QVariant caret = ask(u"org.freedesktop.DBus.Properties"_s, u"Get"_s,
        {u"org.a11y.atspi.Text"_s, u"CaretOffset"_s});
    if (!text.isValid() || !caret.isValid())
        return {};
    return AtSpiText{text.toString(), qvariant_cast<QDBusVariant>(caret).variant().toInt()};
}

// Starts a sheet and answers cells until the open one asks for two digits.
int openTwoDigitCell(const WindowFixture& fixture)
{
    fixture.click(u"startButton"_s);
    for (int answers = 0; answers < 100; ++answers) {
        const int cell = SheetPlayer::openCell(fixture);
        if (cell < 0 || SheetPlayer::answer(fixture, cell) >= 10)
            return cell;
        if (SheetPlayer::answerOpenCell(fixture) < 0)
            return -1;
    }
    return -1;
}

// The idle pattern: every command but やめる enabled and bold.
void checkCommands(const WindowFixture& fixture, bool running)
{
    for (const QString& name : {u"switchKindButton"_s, u"startButton"_s, u"endButton"_s,
             u"newNumbersButton"_s, u"recordsButton"_s}) {
        QCOMPARE(fixture.button(name)->isEnabled(), !running);
        QCOMPARE(fixture.button(name)->font().bold(), !running);
    }
    QCOMPARE(fixture.button(u"stopButton"_s)->isEnabled(), running);
    QCOMPARE(fixture.button(u"stopButton"_s)->font().bold(), running);
}

void checkEmptyBoard(const WindowFixture& fixture)
{
    for (int cell = 0; cell < 100; ++cell) {
        QVERIFY(fixture.cell(cell)->text().isEmpty());
        QVERIFY(!fixture.cell(cell)->isEnabled());
    }
    QCOMPARE(redHeaders(fixture), QList<int>{});
}

} // namespace

class BoardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsWindowOneAtATime();
    void keysReachTheDrill_data();
    void keysReachTheDrill();
    void nothingElseChangesACell_data();
    void nothingElseChangesACell();
    void inputMethodText();
    void stopAnsweredNoThenYes();
    void endOfSheet();
};

void BoardTest::keysReachTheDrill_data()
{
    // T and O are the tens and ones digits of the open cell's answer, W a
    // digit that is neither.
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text"); // of the cell afterwards
    QTest::addColumn<int>("beeps");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("right answer") << false << u"TO"_s << u"TO"_s << 0 << true;
    QTest::newRow("keypad digits") << true << u"TO"_s << u"TO"_s << 0 << true;
    QTest::newRow("wrong first digit beeps") << false << u"W"_s << QString() << 1 << false;
    QTest::newRow("Backspace empties") << false << u"T\b"_s << QString() << 0 << false;
    QTest::newRow("letters and signs ignored") << false << u"Ta -+."_s << u"T"_s << 0 << false;
}

void BoardTest::keysReachTheDrill()
{
    QFETCH(bool, keypad);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    QFETCH(bool, accepted);

    WindowFixture fixture;
    fixture.make();
    const int cell = openTwoDigitCell(fixture);
    QVERIFY(cell >= 0);
    const int answer = SheetPlayer::answer(fixture, cell);
    const QChar tens(u'0' + answer / 10);
    const QChar ones(u'0' + answer % 10);
    QChar wrong = u'0';
    while (wrong == tens || wrong == ones)
        wrong = QChar(wrong.unicode() + 1);
    const auto digits
        = [&](QString s) { return s.replace(u'T', tens).replace(u'O', ones).replace(u'W', wrong); };

    AnswerCell* box = fixture.cell(cell);
    // Focus changes are told only in the active window.
    box->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(box->window()));
    QWidgetList focused;
    const QMetaObject::Connection focus = connect(
        qApp, &QApplication::focusChanged, [&](QWidget*, QWidget* now) { focused.append(now); });
    for (const QChar key : digits(keys)) {
        if (keypad)
            QTest::keyClick(box, Qt::Key(Qt::Key_0 + key.digitValue()), Qt::KeypadModifier);
        else
            QTest::keyClick(box, key.toLatin1());
    }
    disconnect(focus);

    QCOMPARE(box->text(), digits(text));
    QCOMPARE(fixture.desktop.beeps, beeps);
    QCOMPARE(box->isEnabled(), !accepted);
    QCOMPARE(SheetPlayer::openCell(fixture), accepted ? cell + 1 : cell);
    // The focus goes straight on to the next cell, never through a command.
    QCOMPARE(focused, accepted ? QWidgetList{fixture.cell(cell + 1)} : QWidgetList{});
    // A screen reader reads the digits shown, the caret after them, and a
    // locked cell as read-only.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
    QAccessibleTextInterface* read = accessible ? accessible->textInterface() : nullptr;
    QVERIFY(read);
    QCOMPARE(read->text(0, read->characterCount()), box->text());
    QCOMPARE(read->cursorPosition(), int(box->text().size()));
    QCOMPARE(accessible->state().readOnly, accepted);
    // A wrong digit is seen too: a red frame for a moment, and told to a
    // screen reader.
    const auto redFrame = [box] {
        return box->grab().toImage().pixelColor(1, box->height() / 2) == QColor(255, 0, 0);
    };
    QCOMPARE(redFrame(), beeps > 0);
    QCOMPARE(accessible->text(QAccessible::Description), beeps > 0 ? u"まちがい"_s : QString());
    QTRY_VERIFY_WITH_TIMEOUT(!redFrame(), 3000);
    QCOMPARE(accessible->text(QAccessible::Description), QString());
    // On X the same reaches a screen reader through the accessibility bus.
    if (QGuiApplication::platformName() == "xcb"_L1) {
        const std::optional<AtSpiText> heard = readOverAtSpi(box);
        QVERIFY2(heard, "the cell cannot be read over AT-SPI");
        QCOMPARE(heard->text, box->text());
        QCOMPARE(heard->caret, int(box->text().size()));
    }
}

void BoardTest::nothingElseChangesACell_data()
{
    QTest::addColumn<int>("key"); // or Drop, MiddleClick
    QTest::addColumn<int>("modifiers");
    // One of each way into the cell: a caret key, a command shortcut (a
    // digit with Ctrl included), a paste without Ctrl, a control character,
    // a drop, the middle button's paste of the X selection.
    QTest::newRow("Delete") << int(Qt::Key_Delete) << int(Qt::NoModifier);
    QTest::newRow("Left") << int(Qt::Key_Left) << int(Qt::NoModifier);
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier);
    QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl+4") << int(Qt::Key_4) << int(Qt::ControlModifier);
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("drop") << int(Drop) << 0;
    // Only X has a selection to paste: this row runs in app.board_x11.
    if (QGuiApplication::clipboard()->supportsSelection())
        QTest::newRow("middle click") << int(MiddleClick) << 0;
}

void BoardTest::nothingElseChangesACell()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QClipboard* clipboard = QGuiApplication::clipboard();

    WindowFixture fixture;
    fixture.make();
    const int cell = openTwoDigitCell(fixture);
    QVERIFY(cell >= 0);
    const QString answer = QString::number(SheetPlayer::answer(fixture, cell));
    AnswerCell* box = fixture.cell(cell);
    QTest::keyClick(box, answer[0].toLatin1());
    // The ones digit on offer, so that a paste or drop let in would show.
    clipboard->setText(answer.right(1));
    if (key == Drop) {
        QMimeData dropped;
        dropped.setText(answer.right(1));
        const QPoint middle = box->rect().center();
        QDragEnterEvent enter(middle, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QDropEvent drop(middle, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &drop);
    } else if (key == MiddleClick) {
        clipboard->setText(answer.right(1), QClipboard::Selection);
        QTest::mouseClick(box, Qt::MiddleButton);
        QTest::mouseDClick(box, Qt::MiddleButton);
    } else {
        QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    }
    QCOMPARE(box->text(), answer.left(1));
    QCOMPARE(fixture.desktop.beeps, 0);
    // Whatever it did to the caret, the ones digit still completes the answer.
    QTest::keyClick(box, answer[1].toLatin1());
    QCOMPARE(box->text(), answer);
    QVERIFY(!box->isEnabled());
}

void BoardTest::inputMethodText()
{
    // Committed text goes to the open cell, and on to the next once the
    // answer is taken; a locked cell takes none.
    WindowFixture fixture;
    fixture.make();
    fixture.click(u"startButton"_s);
    const QString first = QString::number(SheetPlayer::answer(fixture, 0));
    const QString second = QString::number(SheetPlayer::answer(fixture, 1));
    QInputMethodEvent commit;
    commit.setCommitString(first + second);
    QApplication::sendEvent(fixture.cell(0), &commit);
    QCOMPARE(fixture.cell(0)->text(), first);
    QCOMPARE(fixture.cell(1)->text(), second);
    QCOMPARE(SheetPlayer::openCell(fixture), 2);

    QInputMethodEvent late;
    late.setCommitString(u"5"_s);
    QApplication::sendEvent(fixture.cell(0), &late);
    QCOMPARE(fixture.cell(0)->text(), first);
    QVERIFY(fixture.cell(2)->text().isEmpty());
    QCOMPARE(fixture.desktop.beeps, 0);
}

void BoardTest::stopAnsweredNoThenYes()
{
    WindowFixture fixture;
    MainWindow& window = fixture.make();
    auto* clockTimer = fixture.find<QTimer>(u"clockTimer"_s);
    fixture.click(u"startButton"_s);
    checkCommands(fixture, true);
    QVERIFY(clockTimer->isActive());
    QCOMPARE(SheetPlayer::answerOpenCell(fixture), 0);
    QCOMPARE(SheetPlayer::answerOpenCell(fixture), 1);
    auto* clockDisplay = fixture.find<QLineEdit>(u"clockDisplay"_s);
    fixture.desktop.monotonic += 1000;
    QTRY_COMPARE_WITH_TIMEOUT(clockDisplay->text(), u"0:01"_s, 2000);

    bool clockHeld = false;
    fixture.desktop.onMessage = [&](const Desktop::Message& message) {
        QCOMPARE(message.prompt, u"やめますか？"_s);
        QCOMPARE(message.title, u"かくにん"_s);
        // Enter and Escape keep the sheet.
        QCOMPARE(message.buttons, Desktop::Buttons::YesNoDefaultNo);
        clockHeld = !clockTimer->isActive();
    };
    fixture.desktop.answers = {Desktop::Answer::No, Desktop::Answer::Yes};
    fixture.click(u"stopButton"_s);
    QVERIFY(clockHeld);
    // No: the sheet goes on where it was.
    QVERIFY(clockTimer->isActive());
    checkCommands(fixture, true);
    QCOMPARE(fixture.cell(1)->text(), QString::number(SheetPlayer::answer(fixture, 1)));
    QCOMPARE(SheetPlayer::answerOpenCell(fixture), 2);

    clockHeld = false;
    fixture.click(u"stopButton"_s);
    QVERIFY(clockHeld);
    QCOMPARE(fixture.desktop.shown.size(), 2);
    // Yes: the board is emptied and the commands are back.
    checkEmptyBoard(fixture);
    if (QTest::currentTestFailed())
        return;
    checkCommands(fixture, false);
    QVERIFY(!clockTimer->isActive());
    QCOMPARE(clockDisplay->text(), u"0:00"_s);
    QCOMPARE(window.focusWidget(), fixture.button(u"startButton"_s));
    QVERIFY(fixture.desktop.clipboard.isEmpty());
}

void BoardTest::endOfSheet()
{
    WindowFixture fixture;
    MainWindow& window = fixture.make();
    auto* clockTimer = fixture.find<QTimer>(u"clockTimer"_s);

    bool boardShown = false;
    bool clearedBeforeInput = false;
    QString typedInto;
    fixture.desktop.onMessage = [&](const Desktop::Message&) {
        boardShown = !clockTimer->isActive() && redHeaders(fixture).isEmpty();
        for (int cell = 0; cell < 100; ++cell)
            boardShown = boardShown
                && fixture.cell(cell)->text().toInt() == SheetPlayer::answer(fixture, cell)
                && !fixture.cell(cell)->text().isEmpty();
        // A click on はじめ and a digit waiting while the box is open must
        // find the board already cleared, not be handled in between.
        QTimer::singleShot(0, &window, [&] {
            clearedBeforeInput = fixture.cell(99)->text().isEmpty();
            QTest::mouseClick(fixture.button(u"startButton"_s), Qt::LeftButton);
            const QString answer = QString::number(SheetPlayer::answer(fixture, 0));
            QTest::keyClick(fixture.cell(0), answer[0].toLatin1());
            typedInto = fixture.cell(0)->text();
        });
    };
    QVERIFY(SheetPlayer::playSheet(fixture));
    QVERIFY(boardShown);
    QCOMPARE(fixture.desktop.shown.size(), 1);

    // Right after the box the board is cleared and the commands are back.
    checkEmptyBoard(fixture);
    if (QTest::currentTestFailed())
        return;
    checkCommands(fixture, false);
    QVERIFY(!clockTimer->isActive());
    QCOMPARE(window.focusWidget(), fixture.button(u"startButton"_s));

    QTRY_VERIFY_WITH_TIMEOUT(!typedInto.isEmpty(), 1000);
    QVERIFY(clearedBeforeInput);
    // The waiting input started the next sheet and was judged there.
    checkCommands(fixture, true);
    QCOMPARE(fixture.cell(0)->text(), typedInto);
}

void BoardTest::recordsWindowOneAtATime()
{
    // The records window linked in (the module itself is tested installed).
    setRecordsViewMaker(&varolinMakeRecordsView);
    WindowFixture fixture;
    MainWindow& window = fixture.make();
    fixture.click(u"recordsButton"_s);
    QCOMPARE(window.findChildren<RecordsWindow*>().size(), 1);
    RecordsWindow* records = window.findChildren<RecordsWindow*>().first();
    QVERIFY(records->isVisible());
    const auto shown = [records](Kind kind) {
        return records->findChild<QAbstractButton*>(u"kind%1"_s.arg(kindNumber(kind)))->isChecked();
    };
    QVERIFY(shown(Kind::Addition));
    // A second click raises the same window, showing the board's kind.
    fixture.click(u"switchKindButton"_s);
    fixture.click(u"recordsButton"_s);
    QCOMPARE(window.findChildren<RecordsWindow*>(), QList<RecordsWindow*>{records});
    QVERIFY(shown(Kind::Subtraction));

    // Its 「いんさつ」 opens the print dialog of Ctrl+P, over the records.
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened = dialog->objectName() + (dialog->parentWidget() == records ? u" over" : u"");
            dialog->close();
        }
    });
    QTest::mouseClick(records->findChild<QPushButton*>(u"print"_s), Qt::LeftButton);
    QCOMPARE(opened, u"printDialog over"_s);
}

QTEST_MAIN(BoardTest)
#include "tst_board.moc"
