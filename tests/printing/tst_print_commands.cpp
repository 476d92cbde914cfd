// SPDX-License-Identifier: GPL-3.0-or-later
// The print and screen-copy commands ask twice, print only after Yes and
// OK, and turn any printer failure into one warning box; nothing in the
// window changes, and a running drill goes on. Ctrl+P opens the print
// dialog between drills only.
#include "pdf_tools.h"
#include "printing/page_fit.h"
#include "sheet_player.h"
#include "window_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <tuple>

using namespace Qt::StringLiterals;

using Answer = Desktop::Answer;
using Buttons = Desktop::Buttons;
using Icon = Desktop::Icon;

Q_DECLARE_METATYPE(QList<Desktop::Answer>)

namespace {

// Everything the window shows, as findChild sees it: what a print command
// must leave as it was.
QStringList snapshot(const WindowFixture& fixture)
{
    QStringList seen;
    const QWidget& window = *fixture.window;
    for (const QLabel* label : window.findChildren<QLabel*>())
        seen << u"%1 %2 %3 %4"_s.arg(label->objectName(), label->text())
                    .arg(label->isEnabled())
                    .arg(label->palette().color(QPalette::Active, QPalette::WindowText).name());
    for (const QLineEdit* box : window.findChildren<QLineEdit*>())
        seen << u"%1 %2 %3"_s.arg(box->objectName(), box->text()).arg(box->isEnabled());
    for (const AnswerCell* box : window.findChildren<AnswerCell*>())
        seen << u"%1 %2 %3"_s.arg(box->objectName(), box->text()).arg(box->isEnabled());
    for (const QPushButton* button : window.findChildren<QPushButton*>())
        seen << u"%1 %2 %3"_s.arg(button->objectName())
                    .arg(button->isEnabled())
                    .arg(button->isHidden());
    seen << u"clock running %1"_s.arg(fixture.find<QTimer>(u"clockTimer"_s)->isActive());
    const QWidget* focus = window.focusWidget();
    seen << u"focus %1"_s.arg(focus ? focus->objectName() : QString());
    return seen;
}

struct Expected
{
    QString prompt;
    QString title;
    Buttons buttons;
    Icon icon;
};

const Expected printQuestion{
    u"ひょうを　いんさつしますか？"_s, u"いんさつ"_s, Buttons::YesNo, Icon::None};
const Expected copyQuestion{
    u"がめんを　いんさつしますか？"_s, u"がめんコピー"_s, Buttons::YesNo, Icon::None};
const Expected readyQuestion{
    u"プリンタの用意をして下さい。"_s, u"かくにん"_s, Buttons::OkCancel, Icon::None};
const Expected failure{u"いんさつができません。"_s, u"いんさつ中止"_s, Buttons::Ok, Icon::Warning};

void compareShown(const FakeDesktop& desktop, const QList<Expected>& expected)
{
    QCOMPARE(desktop.shown.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const Desktop::Message& message = desktop.shown[i].message;
        QCOMPARE(message.prompt, expected[i].prompt);
        QCOMPARE(message.title, expected[i].title);
        QCOMPARE(message.buttons, expected[i].buttons);
        QCOMPARE(message.icon, expected[i].icon);
    }
}

// Starts a drill and answers its first cell, so there is something to keep.
bool startDrill(const WindowFixture& fixture)
{
    fixture.click(u"startButton"_s);
    return SheetPlayer::answerOpenCell(fixture) == 0 && fixture.cell(1)->isEnabled();
}

// The object name of the modal dialog that `action` opens, which is then
// closed; empty when none opens. A dialog that is not closed within a
// second is closed anyway, so the test goes on.
QString modalDialogOpenedBy(const std::function<void()>& action)
{
    QString opened;
    QTimer closer;
    int ticks = 0;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog) {
            opened = dialog->objectName();
            dialog->reject();
        } else if (++ticks > 50) {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* stray = qobject_cast<QDialog*>(widget); stray && stray->isVisible())
                    stray->reject();
        }
    });
    closer.start(20);
    action();
    return opened;
}

} // namespace

class PrintCommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutPrinting_data();
    void withoutPrinting();
    void printsOnePage_data();
    void printsOnePage();
    void windowImageFitsThePage();
    void pageFit_data();
    void pageFit();
    void ctrlPOpensThePrintDialog_data();
    void ctrlPOpensThePrintDialog();
};

void PrintCommandsTest::withoutPrinting_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("switches"); // clicks of the kind switch from addition
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("pdfName"); // empty: no printer
    QTest::addColumn<int>("printerRequests");
    QTest::addColumn<QList<Expected>>("expected");

    const QList<Answer> confirm{Answer::Yes, Answer::Ok};
    for (const auto& [button, name, question] :
        {std::tuple{u"printButton"_s, "sheet", printQuestion},
            std::tuple{u"screenCopyButton"_s, "window", copyQuestion}}) {
        QTest::addRow("%s: No", name)
            << button << 0 << QList{Answer::No} << false << u"out.pdf"_s << 0 << QList{question};
        QTest::addRow("%s: Yes, Cancel", name)
            << button << 0 << QList{Answer::Yes, Answer::Cancel} << false << u"out.pdf"_s << 0
            << QList{question, readyQuestion};
        QTest::addRow("%s: no printer", name) << button << 0 << confirm << false << QString() << 1
                                              << QList{question, readyQuestion, failure};
        QTest::addRow("%s: no printer, drill running", name)
            << button << 0 << confirm << true << QString() << 1
            << QList{question, readyQuestion, failure};
        QTest::addRow("%s: printer refuses the job", name)
            << button << 0 << confirm << false << u"missing folder/out.pdf"_s << 1
            << QList{question, readyQuestion, failure};
        // Only a full board is printed: the button is disabled.
        QTest::addRow("%s: multiplication", name)
            << button << 2 << confirm << false << u"out.pdf"_s << 0 << QList<Expected>{};
    }
}

void PrintCommandsTest::withoutPrinting()
{
    QFETCH(QString, button);
    QFETCH(int, switches);
    QFETCH(QList<Answer>, answers);
    QFETCH(bool, running);
    QFETCH(QString, pdfName);
    QFETCH(int, printerRequests);
    QFETCH(QList<Expected>, expected);

    WindowFixture fixture;
    if (!pdfName.isEmpty())
        fixture.desktop.pdfPath = fixture.path(pdfName);
    fixture.make();
    for (int i = 0; i < switches; ++i)
        fixture.click(u"switchKindButton"_s);
    if (running)
        QVERIFY(startDrill(fixture));
    const QStringList before = snapshot(fixture);

    fixture.desktop.answers = answers;
    if (printerRequests > 0 && !pdfName.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    fixture.button(button)->click();

    compareShown(fixture.desktop, expected);
    QCOMPARE(fixture.desktop.printerRequests, printerRequests);
    QVERIFY(!QFileInfo::exists(fixture.desktop.pdfPath));
    QCOMPARE(snapshot(fixture), before);
}

void PrintCommandsTest::printsOnePage_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("switches"); // clicks of the kind switch from addition

    QTest::newRow("sheet, addition") << u"printButton"_s << 0;
    QTest::newRow("sheet, subtraction") << u"printButton"_s << 1;
    QTest::newRow("sheet, back to addition after division") << u"printButton"_s << 4;
    QTest::newRow("window, addition") << u"screenCopyButton"_s << 0;
    QTest::newRow("window, back to addition after division") << u"screenCopyButton"_s << 4;
}

void PrintCommandsTest::printsOnePage()
{
    QVERIFY2(Pdf::toolsPresent(), Pdf::Missing);
    QFETCH(QString, button);
    QFETCH(int, switches);

    WindowFixture fixture;
    fixture.desktop.pdfPath = fixture.path(u"out.pdf"_s);
    fixture.make();
    for (int i = 0; i < switches; ++i)
        fixture.click(u"switchKindButton"_s);
    const QStringList before = snapshot(fixture);

    fixture.desktop.answers = {Answer::Yes, Answer::Ok};
    fixture.button(button)->click();

    QCOMPARE(fixture.desktop.shown.size(), 2);
    QCOMPARE(fixture.desktop.printerRequests, 1);
    QCOMPARE(Pdf::pages(fixture.desktop.pdfPath), 1);
    QCOMPARE(snapshot(fixture), before);
}

void PrintCommandsTest::windowImageFitsThePage()
{
    QVERIFY2(Pdf::toolsPresent(), Pdf::Missing);

    WindowFixture fixture;
    fixture.desktop.pdfPath = fixture.path(u"window.pdf"_s);
    const MainWindow& window = fixture.make();
    QVERIFY(startDrill(fixture));
    const QStringList before = snapshot(fixture);

    fixture.desktop.answers = {Answer::Yes, Answer::Ok};
    fixture.button(u"screenCopyButton"_s)->click();
    QCOMPARE(fixture.desktop.shown.size(), 2);
    QCOMPARE(snapshot(fixture), before); // the drill goes on

    const QImage page = Pdf::render(fixture.desktop.pdfPath, 50);
    QVERIFY(!page.isNull());
    // The window's grey ground shows the picture's extent on the white page.
    QRect inked;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 250)
                inked |= QRect(x, y, 1, 1);
    QVERIFY(!inked.isEmpty());
    const double pictureRatio = double(inked.width()) / inked.height();
    const double windowRatio = double(window.width()) / window.height();
    QVERIFY2(std::abs(pictureRatio / windowRatio - 1) < 0.03,
        qPrintable(u"%1 against %2"_s.arg(pictureRatio).arg(windowRatio)));
    // As wide as the printable area allows (a 10-point margin at 50 dpi is
    // about 7 pixels each side).
    QVERIFY(inked.width() > page.width() - 20);
}

void PrintCommandsTest::pageFit_data()
{
    QTest::addColumn<QSizeF>("picture");
    QTest::addColumn<QRectF>("page");
    QTest::addColumn<QRectF>("placed");

    const QRectF portrait(100, 200, 1000, 1500);
    QTest::newRow("wide picture fills the width")
        << QSizeF(716, 358) << portrait << QRectF(100, 200, 1000, 500);
    QTest::newRow("tall picture fills the height, centred across")
        << QSizeF(300, 900) << portrait << QRectF(350, 200, 500, 1500);
    QTest::newRow("small picture is enlarged")
        << QSizeF(10, 10) << portrait << QRectF(100, 200, 1000, 1000);
    QTest::newRow("empty picture") << QSizeF(0, 0) << portrait << QRectF(100, 200, 0, 0);
}

void PrintCommandsTest::pageFit()
{
    QFETCH(QSizeF, picture);
    QFETCH(QRectF, page);
    QFETCH(QRectF, placed);

    QCOMPARE(fitOnPage(picture, page), placed);
}

void PrintCommandsTest::ctrlPOpensThePrintDialog_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("dialog"); // empty: none opens

    QTest::newRow("between drills") << false << u"printDialog"_s;
    QTest::newRow("drill running") << true << QString();
}

void PrintCommandsTest::ctrlPOpensThePrintDialog()
{
    QFETCH(bool, running);
    QFETCH(QString, dialog);

    WindowFixture fixture;
    MainWindow& window = fixture.make();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window, 2000));
    if (running)
        QVERIFY(startDrill(fixture));
    const QStringList before = snapshot(fixture);

    QCOMPARE(modalDialogOpenedBy([&] { QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier); }),
        dialog);
    QCOMPARE(snapshot(fixture), before);
    QVERIFY(fixture.desktop.shown.isEmpty());
    QCOMPARE(fixture.desktop.printerChoices, 0);
}

QTEST_MAIN(PrintCommandsTest)
#include "tst_print_commands.moc"
