// SPDX-License-Identifier: GPL-3.0-or-later
// The print dialog offers the board's kind and sheet first, fresh sheets of
// any kind, and answer keys; it prints what it shows on the printer or file
// the user picks, previews the same pages, and says when a job failed or was
// stopped, leaving no file behind; fresh sheets are drawn once per dialog.
// With several children it prints the name of the child at the board on the
// board's sheet, and on fresh sheets when asked, and names the job after it.
#include "../printing/pdf_tools.h"
#include "app/print_dialog.h"
#include "fake_desktop.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Fixture
{
    explicit Fixture(Kind boardKind, const QStringList& children = {u"ひとりめ"_s})
        : board(drawSheet(boardKind, boardRandom))
        , dialog(board, random, desktop, children, 1)
    {
        dialog.show();
    }

    template <typename T> T* find(const QString& name) { return dialog.findChild<T*>(name); }

    void chooseKind(Kind kind)
    {
        QComboBox* box = find<QComboBox>(u"kind"_s);
        box->setCurrentIndex(box->findData(kindNumber(kind)));
    }

    // At the left end, where a radio button or a check box takes clicks.
    void click(const QString& name)
    {
        auto* button = find<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    QTemporaryDir folder;
    FakeDesktop desktop;
    QRandomGenerator boardRandom{11};
    QRandomGenerator random{22};
    Sheet board;
    PrintDialog dialog;
};

} // namespace

class PrintDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choices();
    void jobs_data();
    void jobs();
    void stoppedByTheUser();
    void previewIsWhatPrints();
};

void PrintDialogTest::choices()
{
    // Not addition: the preselection must follow the board, not the first kind.
    const Kind boardKind = Kind::Division;
    const Kind otherKind = Kind::Subtraction;
    Fixture f(boardKind, {u"ひとりめ"_s, u"さくら"_s, u"李"_s});
    QCOMPARE(f.dialog.windowTitle(), u"いんさつ"_s);
    QCOMPARE(f.dialog.job().name, u"さくら"_s);
    QCOMPARE(f.dialog.job().kind, boardKind);
    QVERIFY(f.find<QRadioButton>(u"boardSheet"_s)->isChecked());
    // A screen reader finds the kind list's label.
    const auto labels = QAccessible::queryAccessibleInterface(f.find<QComboBox>(u"kind"_s))
                            ->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.front().first->text(QAccessible::Name), u"けいさんの しゅるい"_s);
    QVERIFY(!f.find<QSpinBox>(u"sheetCount"_s)->isEnabled());
    QCOMPARE(f.dialog.job().source, SheetJob::Source::Board);
    QCOMPARE(f.dialog.job().answerKeys, false);

    // The board's sheet is of the board's kind only.
    f.chooseKind(otherKind);
    QVERIFY(!f.find<QRadioButton>(u"boardSheet"_s)->isEnabled());
    QVERIFY(f.find<QRadioButton>(u"freshSheets"_s)->isChecked());
    QVERIFY(f.find<QSpinBox>(u"sheetCount"_s)->isEnabled());
    QCOMPARE(f.dialog.job().kind, otherKind);
    QCOMPARE(f.dialog.job().source, SheetJob::Source::Fresh);
    QCOMPARE(f.dialog.job().name, QString());
    // The list of children is for a name to print.
    QVERIFY(!f.find<QComboBox>(u"child"_s)->isEnabled());
    f.click(u"printName"_s);
    QVERIFY(f.find<QComboBox>(u"child"_s)->isEnabled());
    QTest::keyClick(f.find<QComboBox>(u"child"_s), Qt::Key_Down);
    QCOMPARE(f.dialog.job().name, u"李"_s);
    // Unticked by hand, it stays so.
    f.click(u"printName"_s);
    QVERIFY(!f.find<QComboBox>(u"child"_s)->isEnabled());

    f.chooseKind(boardKind);
    QVERIFY(f.find<QRadioButton>(u"boardSheet"_s)->isEnabled());
    f.click(u"boardSheet"_s);
    QVERIFY(!f.find<QSpinBox>(u"sheetCount"_s)->isEnabled());
    QCOMPARE(f.dialog.job().source, SheetJob::Source::Board);
    QCOMPARE(f.dialog.job().name, QString());
    // One child: their name is for them to write, as ever.
    QVERIFY(!Fixture(boardKind).find<QCheckBox>(u"printName"_s));
}

void PrintDialogTest::jobs_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("freshSheets"); // 0: the board's sheet
    QTest::addColumn<bool>("keys");
    QTest::addColumn<QString>("pdfName"); // empty: the print dialog is cancelled
    QTest::addColumn<int>("pages"); // 0: no file
    QTest::addColumn<bool>("failureShown");
    QTest::addColumn<bool>("closed");

    QTest::newRow("board's sheet and key")
        << u"print"_s << 0 << true << u"a.pdf"_s << 2 << false << true;
    QTest::newRow("3 fresh sheets and keys")
        << u"print"_s << 3 << true << u"a.pdf"_s << 6 << false << true;
    QTest::newRow("print dialog cancelled")
        << u"print"_s << 3 << true << QString() << 0 << false << false;
    QTest::newRow("printer fails")
        << u"print"_s << 3 << false << u"missing/a.pdf"_s << 0 << true << false;
    QTest::newRow("preview of 2 fresh sheets")
        << u"preview"_s << 2 << false << u"a.pdf"_s << 2 << false << false;
}

void PrintDialogTest::jobs()
{
    QVERIFY2(Pdf::toolsPresent(), Pdf::Missing);
    QFETCH(QString, button);
    QFETCH(int, freshSheets);
    QFETCH(bool, keys);
    QFETCH(QString, pdfName);
    QFETCH(int, pages);
    QFETCH(bool, failureShown);
    QFETCH(bool, closed);

    Fixture f(Kind::Subtraction);
    const QString pdf = pdfName.isEmpty() ? QString() : f.folder.filePath(pdfName);
    (button == u"print"_s ? f.desktop.chosenPdfPath : f.desktop.previewPdfPath) = pdf;
    if (freshSheets > 0) {
        f.click(u"freshSheets"_s);
        f.find<QSpinBox>(u"sheetCount"_s)->setValue(freshSheets);
    }
    if (keys)
        f.click(u"answerKeys"_s);
    if (failureShown)
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");

    f.click(button);

    QCOMPARE(f.desktop.printerChoices, button == u"print"_s ? 1 : 0);
    QCOMPARE(f.desktop.previews, button == u"preview"_s ? 1 : 0);
    // Named after the child whose sheet is printed; fresh ones are no one's.
    QCOMPARE(f.desktop.documentNames,
        QStringList(freshSheets > 0 ? u"Varolin ひきざん"_s : u"Varolin ひとりめ ひきざん"_s));
    QCOMPARE(Pdf::pages(pdf), pages > 0 ? pages : -1);
    QCOMPARE(f.dialog.isVisible(), !closed);
    QCOMPARE(f.desktop.shown.size(), failureShown ? 1 : 0);
    if (failureShown) {
        const Desktop::Message& message = f.desktop.shown.front().message;
        QCOMPARE(message.prompt, u"いんさつができません。"_s);
        QCOMPARE(message.title, u"いんさつ中止"_s);
        QCOMPARE(message.buttons, Desktop::Buttons::Ok);
        QCOMPARE(message.icon, Desktop::Icon::Warning);
    }
    // Fresh sheets come from the generator handed in; the board's sheet does not.
    const bool drawn = freshSheets > 0 && !(button == u"print"_s && pdfName.isEmpty());
    QCOMPARE(f.random.generate() != QRandomGenerator(22).generate(), drawn);
}

void PrintDialogTest::stoppedByTheUser()
{
    Fixture f(Kind::Division);
    f.desktop.chosenPdfPath = f.folder.filePath(u"sheets.pdf"_s);
    f.click(u"freshSheets"_s);
    f.find<QSpinBox>(u"sheetCount"_s)->setValue(40);
    f.click(u"answerKeys"_s);

    bool stopped = false;
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, [&] {
        if (auto* progress = f.dialog.findChild<QProgressDialog*>()) {
            progress->cancel();
            stopped = true;
        }
    });
    stop.start(0);
    f.click(u"print"_s);

    QVERIFY(stopped);
    QCOMPARE(f.desktop.shown.size(), 1);
    const Desktop::Message& message = f.desktop.shown.front().message;
    QCOMPARE(message.prompt, u"いんさつを やめました。"_s);
    QCOMPARE(message.title, u"いんさつ"_s);
    QCOMPARE(message.icon, Desktop::Icon::None);
    QVERIFY(QDir(f.folder.path()).isEmpty(QDir::Files | QDir::Hidden));
    QVERIFY(f.dialog.isVisible());
}

void PrintDialogTest::previewIsWhatPrints()
{
    QVERIFY2(Pdf::toolsPresent(), Pdf::Missing);
    Fixture f(Kind::Subtraction);
    f.chooseKind(Kind::Division);
    f.find<QSpinBox>(u"sheetCount"_s)->setValue(3);
    f.click(u"answerKeys"_s);
    // Previewed, previewed again with fewer sheets, then printed.
    f.desktop.previewPdfPath = f.folder.filePath(u"preview.pdf"_s);
    f.click(u"preview"_s);
    const QString previewed
        = QString::fromUtf8(Pdf::run(u"pdftotext"_s, {f.desktop.previewPdfPath, u"-"_s}));
    f.find<QSpinBox>(u"sheetCount"_s)->setValue(2);
    f.click(u"preview"_s);
    f.find<QSpinBox>(u"sheetCount"_s)->setValue(3);
    f.desktop.chosenPdfPath = f.folder.filePath(u"printed.pdf"_s);
    f.click(u"print"_s);
    QVERIFY(previewed.count(u'÷') == 6 * 81);
    QCOMPARE(
        QString::fromUtf8(Pdf::run(u"pdftotext"_s, {f.desktop.chosenPdfPath, u"-"_s})), previewed);
}

QTEST_MAIN(PrintDialogTest)
#include "tst_print_dialog.moc"
