// The printed answer sheet is a blank exercise: the sign and the twenty
// operands exactly as the header labels show them, each at the top-left of
// its cell, the name line below an 11 x 11 grid, and never an answer typed
// on screen. Read back from a PDF printer with the poppler tools.
#include "form_fixture.h"
#include "pdf_tools.h"
#include "printing/print_error.h"

#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The sheet's design, in twips from the top-left of the printable area.
constexpr double GridLeft = 400;
constexpr double GridTop = 567;
constexpr double Pitch = 826;
constexpr double GridRight = 9486;
constexpr double GridBottom = 9653;
constexpr double NameLeft = 440;
constexpr double NameTop = 10439;

// Where the fake desktop's PDF printer puts the top-left of its printable
// area, in points from the page corner.
QPointF printableOrigin()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    return printer.pageLayout().paintRect(QPageLayout::Point).topLeft();
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

} // namespace

class AnswerSheetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void headersInTheirCells_data();
    void headersInTheirCells();
    void gridLines();
    void printerThatCannotBeUsed_data();
    void printerThatCannotBeUsed();
};

void AnswerSheetTest::initTestCase()
{
    if (!Pdf::toolsPresent())
        QSKIP("poppler-utils (pdftotext, pdfinfo, pdftoppm) are not installed");
}

void AnswerSheetTest::headersInTheirCells_data()
{
    QTest::addColumn<int>("switches"); // clicks of the kind switch from addition
    QTest::addColumn<QString>("sign");
    QTest::addColumn<bool>("tenthEnabled");

    QTest::newRow("addition") << 0 << u"＋"_s << true;
    QTest::newRow("subtraction") << 1 << u"－"_s << true;
    QTest::newRow("multiplication, tenth labels disabled") << 2 << u"×"_s << false;
    QTest::newRow("division, tenth labels disabled") << 3 << u"÷"_s << false;
}

void AnswerSheetTest::headersInTheirCells()
{
    QFETCH(int, switches);
    QFETCH(QString, sign);
    QFETCH(bool, tenthEnabled);

    FormFixture fixture;
    fixture.desktop.pdfPath = fixture.path(u"sheet.pdf"_s);
    Form1& form = fixture.make();
    for (int i = 0; i < switches; ++i)
        form.Btn_Click(0);
    QCOMPARE(form.L[0]->text(), sign);
    QCOMPARE(form.L[10]->isEnabled(), tenthEnabled);
    QCOMPARE(form.L[20]->isEnabled(), tenthEnabled);
    // Answers on screen, some of them equal to operands, must stay there.
    for (int i = 0; i < 100; ++i)
        form.Data[i]->setText(QString::number(10 + i % 9));

    form.PrintSheet();
    const QString pdf = fixture.desktop.pdfPath;
    QCOMPARE(Pdf::pages(pdf), 1);

    // Each header cell holds its label's caption and nothing else.
    for (int k = 0; k <= 20; ++k)
        QCOMPARE(textIn(pdf, headerCell(k)), form.L[k]->text());

    // No answer cell holds anything.
    const QRectF answers(
        QPointF(GridLeft + Pitch, GridTop + Pitch), QPointF(GridRight, GridBottom));
    QCOMPARE(textIn(pdf, answers), QString());

    // Every word starts exactly where a caption is put (the sign and the
    // first column operand may be read as one word), or on the name line.
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

    // Printing read nothing but the labels and changed nothing on screen.
    QCOMPARE(form.Data[0]->text(), u"10"_s);
    QCOMPARE(form.L[0]->text(), sign);
}

void AnswerSheetTest::gridLines()
{
    FormFixture fixture;
    fixture.desktop.pdfPath = fixture.path(u"sheet.pdf"_s);
    Form1& form = fixture.make();
    form.PrintSheet();

    const int dpi = 100;
    const QImage page = Pdf::render(fixture.desktop.pdfPath, dpi);
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

    // Eleven lines each way, at the pitch, from edge to edge of the grid
    // (sampled at the middle of every cell).
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

    page.save(fixture.path(u"sheet.png"_s));
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

    FormFixture fixture;
    if (!pdfName.isEmpty())
        fixture.desktop.pdfPath = fixture.path(pdfName);
    Form1& form = fixture.make();

    if (!pdfName.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QVERIFY_THROWS_EXCEPTION(PrintError, form.PrintSheet());
    QCOMPARE(fixture.desktop.printerRequests, 1);
    QVERIFY(fixture.desktop.shown.isEmpty()); // telling the user is the command's job
}

QTEST_MAIN(AnswerSheetTest)
#include "tst_answer_sheet.moc"
