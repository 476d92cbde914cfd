// SPDX-License-Identifier: GPL-3.0-or-later
// The printed answer sheet is a blank exercise: the sign and the twenty
// operands exactly as given, each at the top-left of its cell, the name line
// below an 11 x 11 grid, and never an answer typed on screen. Read back from
// a PDF printer with the poppler tools.
#include "pdf_tools.h"
#include "printing/print_job.h"
#include "sheet_player.h"
#include "window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

#include <array>
#include <memory>

using namespace Qt::StringLiterals;

using Captions = std::array<QString, 21>;
Q_DECLARE_METATYPE(Captions)

namespace {

// The sheet's design, in twips from the top-left of the printable area.
constexpr double GridLeft = 400;
constexpr double GridTop = 567;
constexpr double Pitch = 826;
constexpr double GridRight = 9486;
constexpr double GridBottom = 9653;
constexpr double NameLeft = 440;
constexpr double NameTop = 10439;

// A PDF printer like the one the fake desktop hands out.
std::unique_ptr<QPrinter> pdfPrinter(const QString& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    return printer;
}

// Where that printer puts the top-left of its printable area, in points
// from the page corner.
QPointF printableOrigin()
{
    return pdfPrinter(QString())->pageLayout().paintRect(QPageLayout::Point).topLeft();
}

QPointF toPoints(double xTwips, double yTwips)
{
    return printableOrigin() + QPointF(xTwips / 20.0, yTwips / 20.0);
}

// The printed text inside a rectangle given in twips of the printable area.
QString textIn(const QString& pdf, const QRectF& twips)
{
    const QPointF topLeft = toPoints(twips.left(), twips.top());
    const QStringList arguments{u"-x"_s, QString::number(int(std::floor(topLeft.x()))), u"-y"_s,
        QString::number(int(std::floor(topLeft.y()))), u"-W"_s,
        QString::number(int(std::floor(twips.width() / 20.0))), u"-H"_s,
        QString::number(int(std::floor(twips.height() / 20.0))), pdf, u"-"_s};
    return QString::fromUtf8(Pdf::run(u"pdftotext"_s, arguments)).simplified();
}

// Header cell k of the printed grid: 0 the corner, 1..10 the rows,
// 11..20 the columns.
QRectF headerCell(int k)
{
    const int row = k >= 1 && k <= 10 ? k : 0;
    const int column = k >= 11 ? k - 10 : 0;
    return {GridLeft + Pitch * column, GridTop + Pitch * row, Pitch, Pitch};
}

Captions makeCaptions(const QString& sign, const QStringList& rows, const QStringList& columns)
{
    Captions captions;
    captions[0] = sign;
    for (int i = 0; i < 10; ++i) {
        captions[1 + i] = rows.value(i);
        captions[11 + i] = columns.value(i);
    }
    return captions;
}

// The captions the board shows.
Captions boardCaptions(const WindowFixture& fixture)
{
    Captions captions;
    captions[0] = fixture.find<QLabel>(u"signLabel"_s)->text();
    for (int i = 0; i < 10; ++i) {
        captions[1 + i] = fixture.rowHeader(i)->text();
        captions[11 + i] = fixture.columnHeader(i)->text();
    }
    return captions;
}

// `pdf` is one answer sheet of `captions`: each header cell holds its
// caption and nothing else, no answer cell holds anything, every word
// starts where a caption is put or on the name line.
void checkSheet(const QString& pdf, const Captions& captions)
{
    QCOMPARE(Pdf::pages(pdf), 1);

    for (int k = 0; k <= 20; ++k)
        QCOMPARE(textIn(pdf, headerCell(k)), captions[k]);

    const QRectF answers(
        QPointF(GridLeft + Pitch, GridTop + Pitch), QPointF(GridRight, GridBottom));
    QCOMPARE(textIn(pdf, answers), QString());

    // The sign and the first column operand may be read as one word.
    std::vector<QPointF> starts;
    for (int k = 0; k <= 20; ++k)
        starts.push_back(toPoints(headerCell(k).left(), headerCell(k).top()));
    const double tolerance = 1.5; // points
    const QPointF nameTop = toPoints(NameLeft, NameTop);
    QString nameWords;
    const QList<Pdf::Word> words = Pdf::words(pdf);
    QVERIFY(!words.isEmpty());
    for (const Pdf::Word& word : words) {
        if (word.box.top() > toPoints(0, GridBottom).y()) {
            QVERIFY2(std::abs(word.box.top() - nameTop.y()) < tolerance, qPrintable(word.text));
            QVERIFY(word.box.left() > nameTop.x());
            nameWords += word.text;
            continue;
        }
        const bool placed = std::any_of(starts.begin(), starts.end(), [&](const QPointF& start) {
            return std::abs(word.box.left() - start.x()) < tolerance
                && std::abs(word.box.top() - start.y()) < tolerance;
        });
        QVERIFY2(placed, qPrintable(word.text));
        // A 36-point line of text.
        QVERIFY(std::abs(word.box.height() - 36) < tolerance);
    }
    QCOMPARE(nameWords, u"ねんくみなまえ："_s);
}

} // namespace

class AnswerSheetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void headersInTheirCells_data();
    void headersInTheirCells();
    void printCommandLeavesAnswersOut();
    void gridLines();
    void printerThatCannotBeUsed_data();
    void printerThatCannotBeUsed();

private:
    QTemporaryDir folder;
};

void AnswerSheetTest::initTestCase()
{
    QVERIFY2(Pdf::toolsPresent(), Pdf::Missing);
    QVERIFY(folder.isValid());
}

void AnswerSheetTest::headersInTheirCells_data()
{
    QTest::addColumn<Captions>("captions");

    // Rows and columns differ everywhere, so a caption in the wrong cell
    // shows.
    const QStringList rows{
        u"3"_s, u"7"_s, u"0"_s, u"9"_s, u"1"_s, u"5"_s, u"8"_s, u"2"_s, u"6"_s, u"4"_s};
    QTest::newRow("addition") << makeCaptions(u"＋"_s, rows,
        {u"12"_s, u"10"_s, u"17"_s, u"11"_s, u"19"_s, u"14"_s, u"16"_s, u"13"_s, u"18"_s, u"15"_s});
    QTest::newRow("subtraction") << makeCaptions(u"－"_s, rows,
        {u"15"_s, u"18"_s, u"10"_s, u"13"_s, u"11"_s, u"17"_s, u"12"_s, u"19"_s, u"16"_s, u"14"_s});
    QTest::newRow("multiplication, tenth captions printed too") << makeCaptions(u"×"_s, rows,
        {u"21"_s, u"25"_s, u"23"_s, u"29"_s, u"27"_s, u"22"_s, u"26"_s, u"28"_s, u"24"_s, u"20"_s});
    QTest::newRow("division, dividends along the top") << makeCaptions(u"÷"_s, rows,
        {u"72"_s, u"35"_s, u"81"_s, u"12"_s, u"48"_s, u"63"_s, u"56"_s, u"27"_s, u"40"_s, u"99"_s});
}

void AnswerSheetTest::headersInTheirCells()
{
    QFETCH(Captions, captions);

    const QString pdf = folder.filePath(QString::fromLatin1(QTest::currentDataTag()) + u".pdf"_s);
    const std::unique_ptr<QPrinter> printer = pdfPrinter(pdf);
    QVERIFY(!printAnswerSheet(printer.get(), captions));
    checkSheet(pdf, captions);
}

void AnswerSheetTest::printCommandLeavesAnswersOut()
{
    // A subtraction drill under way, the answers typed so far on the board:
    // the print command prints the headers as shown, the answer cells blank.
    WindowFixture fixture;
    fixture.desktop.pdfPath = fixture.path(u"sheet.pdf"_s);
    fixture.make();
    fixture.click(u"switchKindButton"_s);
    fixture.click(u"startButton"_s);
    for (int i = 0; i < 12; ++i)
        QVERIFY(SheetPlayer::answerOpenCell(fixture) >= 0);
    QVERIFY(!fixture.cell(11)->text().isEmpty());
    const Captions captions = boardCaptions(fixture);
    QCOMPARE(captions[0], u"－"_s);

    fixture.desktop.answers = {Desktop::Answer::Yes, Desktop::Answer::Ok};
    fixture.button(u"printButton"_s)->click();
    QCOMPARE(fixture.desktop.shown.size(), 2);
    checkSheet(fixture.desktop.pdfPath, captions);
}

void AnswerSheetTest::gridLines()
{
    const QString pdf = folder.filePath(u"grid.pdf"_s);
    const std::unique_ptr<QPrinter> printer = pdfPrinter(pdf);
    QVERIFY(!printAnswerSheet(printer.get(), makeCaptions(u"＋"_s, {}, {})));

    const int dpi = 100;
    const QImage page = Pdf::render(pdf, dpi);
    QVERIFY(!page.isNull());
    auto pixel = [&](double xTwips, double yTwips) {
        const QPointF at = toPoints(xTwips, yTwips) * dpi / 72.0;
        return QPoint(int(std::lround(at.x())), int(std::lround(at.y())));
    };
    // Dark somewhere within one pixel of `at`.
    auto inked = [&](QPoint at) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (qGray(page.pixel(at + QPoint(dx, dy))) < 160)
                    return true;
        return false;
    };

    // Twelve lines each way (the frame included), at the pitch, from edge
    // to edge of the grid (sampled at the middle of every cell).
    for (int j = 0; j <= 11; ++j) {
        const double line = j * Pitch;
        for (int i = 0; i < 11; ++i) {
            const double across = (i + 0.5) * Pitch;
            QVERIFY2(inked(pixel(GridLeft + across, GridTop + line)),
                qPrintable(u"row line %1"_s.arg(j)));
            QVERIFY2(inked(pixel(GridLeft + line, GridTop + across)),
                qPrintable(u"column line %1"_s.arg(j)));
        }
    }
    // Nothing between the lines inside the answer cells, nor outside the frame.
    for (int r = 1; r < 11; ++r) {
        for (int c = 1; c < 11; ++c)
            QVERIFY(!inked(pixel(GridLeft + (c + 0.5) * Pitch, GridTop + (r + 0.5) * Pitch)));
        QVERIFY(!inked(pixel(GridRight + Pitch / 2, GridTop + (r + 0.5) * Pitch)));
    }
    QVERIFY(!inked(pixel(GridLeft + 5.5 * Pitch, GridBottom + Pitch / 3)));
}

void AnswerSheetTest::printerThatCannotBeUsed_data()
{
    QTest::addColumn<QString>("pdfName"); // empty: no printer at all

    QTest::newRow("no printer") << QString();
    QTest::newRow("printer refuses the job") << u"no such folder/sheet.pdf"_s;
}

void AnswerSheetTest::printerThatCannotBeUsed()
{
    QFETCH(QString, pdfName);

    std::unique_ptr<QPrinter> printer;
    if (!pdfName.isEmpty()) {
        printer = pdfPrinter(folder.filePath(pdfName));
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    }
    const Done failed = printAnswerSheet(printer.get(), makeCaptions(u"＋"_s, {}, {}));
    QVERIFY(failed);
    QCOMPARE(failed->what, Failed::PrintFailed);
}

QTEST_MAIN(AnswerSheetTest)
#include "tst_answer_sheet.moc"
