// SPDX-License-Identifier: GPL-3.0-or-later
// A print job of sheets is one document: every sheet, then every answer key
// in the same order, each page numbered and with the name line, and the
// child's name on it, whole and on the paper, when the job has one. Addition,
// subtraction and multiplication print on a grid down the whole page, its
// operands and answers centred in their squares, 10 mm clear of the paper's
// edges, a long name wrapped at no less than 10 points (the unused tenth
// row and column of multiplication blank), division as nine
// rows of nine whole problems; every answer in a key is the right one. Fresh
// sheets are drawn as the board draws them. A stopped or failed job leaves
// no file behind and an older file as it was, also when the finished file
// cannot be put in place. Read back with poppler.
#include "drill/arithmetic.h"
#include "pdf_tools.h"
#include "printing/sheet_job.h"
#include "printing/sheet_pages.h"

#include <QDir>
#include <QPageRanges>
#include <QPdfWriter>
#include <QPrinter>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Kind)

namespace {

constexpr double Tolerance = 30; // twips, 1.5 points
// A grid page keeps 10 mm from the paper's edges; the test papers print
// from 10 points in.
constexpr double PaperMargin = 567;
constexpr double TestMargin = 200;
// Between an answer box and the next problem on a division page.
constexpr double ClearGap = 160; // twips, 8 points

const QString NameLine = u"ねんくみなまえ："_s;
// A job's file name that a folder holds.
const QString Occupied = u"taken.pdf"_s;

// A word in twips of the printable area (both test papers have 10-point
// margins).
QRectF inTwips(const Pdf::Word& word)
{
    return {(word.box.left() - 10) * 20, (word.box.top() - 10) * 20, word.box.width() * 20,
        word.box.height() * 20};
}

SheetJob pagesOf(bool keys, const QString& name = {})
{
    SheetJob job;
    job.answerKeys = keys;
    job.name = name;
    return job;
}

QString print(const QString& path, const std::vector<Sheet>& sheets, bool keys,
    bool onPdfWriter = false, const QString& name = {})
{
    if (onPdfWriter) {
        QPdfWriter writer(path);
        // No file to look into when the job failed.
        return paintSheets(writer, sheets, pagesOf(keys, name)) ? QString() : path;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return printSheets(&printer, sheets, pagesOf(keys, name)) ? QString() : path;
}

std::vector<Sheet> freshSheets(Kind kind, int count, quint32 seed)
{
    QRandomGenerator random(seed);
    return jobSheets({kind, SheetJob::Source::Fresh, count, false, {}}, Sheet{}, random);
}

// What a page shows: the band above the content, the name line below, and
// in between the text of each place (a grid cell, or a division problem).
// Words are joined without spaces: poppler splits texts at spaces.
struct PageText
{
    QString band;
    QString below;
    std::map<std::pair<int, int>, QString> places;
    QRectF extent; // of all words, in twips
    QStringList misplaced; // words out of their place within a place
    // Division: the words of each problem and its 「＝」, in twips.
    std::vector<std::pair<std::pair<int, int>, QRectF>> problems;
};

PageText gridPage(const QString& pdf, int page)
{
    const QSizeF paper = Pdf::pageSize(pdf) * 20;
    const SheetPages::GridPage layout = SheetPages::gridPage(
        SheetPages::contentRect(paper - QSizeF(2 * TestMargin, 2 * TestMargin),
            QMarginsF(TestMargin, TestMargin, TestMargin, TestMargin)),
        2);
    PageText read;
    for (const Pdf::Word& word : Pdf::words(pdf, page)) {
        const QRectF box = inTwips(word);
        read.extent |= box;
        if (box.center().y() < layout.grid.top()) {
            read.band += word.text;
        } else if (box.center().y() > layout.grid.bottom()) {
            read.below += word.text;
        } else {
            const int row = int((box.center().y() - layout.grid.top()) / layout.pitch);
            const int column = int((box.center().x() - layout.grid.left()) / layout.pitch);
            // The sign and the first column operand may be read as one word.
            if (row == 0 && column == 0 && word.text.size() > 1) {
                read.places[{0, 0}] += word.text.left(1);
                read.places[{0, 1}] += word.text.mid(1);
                continue;
            }
            // Operands and answers alike stand in the middle of their square.
            const QPointF off = box.center() - layout.square(row, column).center();
            if (std::abs(off.x()) > Tolerance || std::abs(off.y()) > 3 * Tolerance)
                read.misplaced << word.text;
            read.places[{row, column}] += word.text;
        }
    }
    return read;
}

PageText divisionPage(const QString& pdf, int page)
{
    PageText read;
    for (const Pdf::Word& word : Pdf::words(pdf, page)) {
        const QRectF box = inTwips(word);
        read.extent |= box;
        bool placed = false;
        for (int row = 0; row < 9 && !placed; ++row) {
            for (int column = 0; column < 9 && !placed; ++column) {
                if (!SheetPages::placeRect(row, column).contains(box.center()))
                    continue;
                placed = true;
                read.places[{row, column}] += word.text;
                const QRectF answer = SheetPages::answerBox(row, column);
                if (answer.contains(box.center())) {
                    if (!answer.contains(box.adjusted(5, 5, -5, -5)))
                        read.misplaced << word.text;
                } else {
                    if (box.intersects(answer))
                        read.misplaced << word.text;
                    read.problems.push_back({{row, column}, box});
                }
            }
        }
        if (placed)
            continue;
        if (box.center().y() < SheetPages::ProblemsTop)
            read.band += word.text;
        else
            read.below += word.text;
    }
    return read;
}

// The distance between two rectangles; 0 where they touch or overlap.
double distance(const QRectF& a, const QRectF& b)
{
    const double dx = std::max({0.0, a.left() - b.right(), b.left() - a.right()});
    const double dy = std::max({0.0, a.top() - b.bottom(), b.top() - a.bottom()});
    return std::hypot(dx, dy);
}

// The part of the printable area `margin` or more from the paper's edges.
QRectF printable(const QString& pdf, double margin = TestMargin)
{
    const QSizeF paper = Pdf::pageSize(pdf) * 20;
    return {margin - TestMargin, margin - TestMargin, paper.width() - 2 * margin,
        paper.height() - 2 * margin};
}

QString bandText(bool key, int number)
{
    return (key ? u"こたえ"_s : QString()) + u"No.%1"_s.arg(number);
}

} // namespace

class SheetJobTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sheetsOfAJob_data();
    void sheetsOfAJob();
    void pagesOfAJob_data();
    void pagesOfAJob();
    void pageRange();
    void gridPages_data();
    void gridPages();
    void divisionPages();
    void stoppedOrFailedJob_data();
    void stoppedOrFailedJob();

private:
    QTemporaryDir dir;
};

void SheetJobTest::initTestCase()
{
    QVERIFY2(Pdf::toolsPresent(), Pdf::Missing);
    QVERIFY(dir.isValid());
}

void SheetJobTest::sheetsOfAJob_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("drawn");

    QTest::newRow("addition, 40") << Kind::Addition << 40 << 40;
    QTest::newRow("subtraction, 40") << Kind::Subtraction << 40 << 40;
    QTest::newRow("multiplication, 40") << Kind::Multiplication << 40 << 40;
    QTest::newRow("division, 40") << Kind::Division << 40 << 40;
    QTest::newRow("41 asked, 40 drawn") << Kind::Addition << 41 << 40;
    QTest::newRow("none asked, one drawn") << Kind::Division << 0 << 1;
}

void SheetJobTest::sheetsOfAJob()
{
    QFETCH(Kind, kind);
    QFETCH(int, asked);
    QFETCH(int, drawn);

    const quint32 seed = 20250210;
    const std::vector<Sheet> sheets = freshSheets(kind, asked, seed);
    QCOMPARE(int(sheets.size()), drawn);
    // Drawn as the board draws a sheet, one after the other.
    QRandomGenerator board(seed);
    QCOMPARE(sheets.front(), drawSheet(kind, board));
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        QCOMPARE(sheets[i].kind, kind);
        for (std::size_t j = 0; j < i; ++j)
            QVERIFY2(!(sheets[i] == sheets[j]), qPrintable(u"%1 and %2"_s.arg(j + 1).arg(i + 1)));
    }

    // The board's sheet is printed as it is, and nothing is drawn for it.
    QRandomGenerator random(seed);
    const Sheet onBoard = sheets.back();
    const std::vector<Sheet> boardJob
        = jobSheets({kind, SheetJob::Source::Board, asked, true, {}}, onBoard, random);
    QCOMPARE(int(boardJob.size()), 1);
    QCOMPARE(boardJob.front(), onBoard);
    QCOMPARE(random.generate(), QRandomGenerator(seed).generate());
}

void SheetJobTest::pagesOfAJob_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("sheets");
    QTest::addColumn<bool>("keys");
    QTest::addColumn<int>("pages");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<bool>("onPdfWriter");

    QTest::newRow("addition, 40 sheets") << Kind::Addition << 40 << false << 40 << false << false;
    QTest::newRow("subtraction, 40 sheets and keys")
        << Kind::Subtraction << 40 << true << 80 << false << false;
    QTest::newRow("division, 40 sheets and keys")
        << Kind::Division << 40 << true << 80 << true << false;
    QTest::newRow("division on a PDF writer, 2 sheets and keys")
        << Kind::Division << 2 << true << 4 << true << true;
}

void SheetJobTest::pagesOfAJob()
{
    QFETCH(Kind, kind);
    QFETCH(int, sheets);
    QFETCH(bool, keys);
    QFETCH(int, pages);
    QFETCH(bool, landscape);
    QFETCH(bool, onPdfWriter);

    const QString pdf
        = print(dir.filePath(u"pages.pdf"_s), freshSheets(kind, sheets, 7), keys, onPdfWriter);
    QCOMPARE(Pdf::pages(pdf), pages);
    const QSizeF size = Pdf::pageSize(pdf);
    QCOMPARE(size.width() > size.height(), landscape);

    // The sheets first, then the keys in the same order.
    auto band = [&](int page) {
        const PageText read
            = kind == Kind::Division ? divisionPage(pdf, page) : gridPage(pdf, page);
        return read.band;
    };
    QCOMPARE(band(1), bandText(false, 1));
    QCOMPARE(band(sheets), bandText(false, sheets));
    if (keys) {
        QCOMPARE(band(sheets + 1), bandText(true, 1));
        QCOMPARE(band(pages), bandText(true, sheets));
    }
}

void SheetJobTest::pageRange()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(u"range.pdf"_s));
    printer.setPageRanges(QPageRanges::fromString(u"3-4"_s));
    QVERIFY(!printSheets(&printer, freshSheets(Kind::Addition, 3, 1), pagesOf(true)));
    QCOMPARE(Pdf::pages(printer.outputFileName()), 2);
    QCOMPARE(gridPage(printer.outputFileName(), 1).band, bandText(false, 3));
    QCOMPARE(gridPage(printer.outputFileName(), 2).band, bandText(true, 1));
}

void SheetJobTest::gridPages_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("sign");
    QTest::addColumn<QString>("name"); // of the child, on every page

    QTest::newRow("addition") << Kind::Addition << u"＋"_s << QString();
    QTest::newRow("subtraction for さくら") << Kind::Subtraction << u"－"_s << u"さくら"_s;
    // Longer than the room after 「なまえ：」: on a line of its own, whole.
    QTest::newRow("multiplication, tenth row and column blank, for the longest name")
        << Kind::Multiplication << u"×"_s << u"ながいなまえのこどもながいなまえのこども"_s;
}

void SheetJobTest::gridPages()
{
    QFETCH(Kind, kind);
    QFETCH(QString, sign);
    QFETCH(QString, name);

    const std::vector<Sheet> sheets = freshSheets(kind, 2, 99);
    const QString pdf = print(dir.filePath(u"grid.pdf"_s), sheets, true, false, name);
    QCOMPARE(Pdf::pages(pdf), 4);

    for (int page = 1; page <= 4; ++page) {
        const bool key = page > 2;
        const Sheet& sheet = sheets[(page - 1) % 2];
        const int size = sheet.size();
        const PageText read = gridPage(pdf, page);
        QCOMPARE(read.band, bandText(key, (page - 1) % 2 + 1));
        QCOMPARE(read.below, NameLine + name);
        QCOMPARE(read.misplaced, QStringList());

        std::map<std::pair<int, int>, QString> expected;
        expected[{0, 0}] = sign;
        for (int i = 0; i < size; ++i) {
            expected[{0, i + 1}] = QString::number(sheet.columns[0][i]);
            expected[{i + 1, 0}] = QString::number(sheet.rows[i]);
        }
        for (int row = 0; key && row < size; ++row)
            for (int column = 0; column < size; ++column)
                expected[{row + 1, column + 1}] = QString::number(
                    *expectedAnswer(sheet.rows[row], sheet.columns[0][column], kind));
        QCOMPARE(read.places, expected);

        // Clear of where printers cannot print, and down the whole page
        // with about as much room above as below (a name line to spare).
        const QRectF inside = printable(pdf, PaperMargin);
        QVERIFY(inside.contains(read.extent));
        QVERIFY(read.extent.height() > 0.8 * inside.height());
        QVERIFY(std::abs(read.extent.top() - inside.top() - inside.bottom() + read.extent.bottom())
            < 1000);
        // The name whole and at a size a child reads.
        for (const Pdf::Run& run : Pdf::runs(pdf, page))
            QVERIFY(run.points >= 10 || !run.text.contains(name.left(5)));
    }
}

void SheetJobTest::divisionPages()
{
    const std::vector<Sheet> sheets = freshSheets(Kind::Division, 2, 4321);
    const QString pdf = print(dir.filePath(u"division.pdf"_s), sheets, true, false, u"李"_s);
    QCOMPARE(Pdf::pages(pdf), 4);
    static const QRegularExpression problem(u"^(\\d+)÷(\\d+)＝(\\d*)$"_s);

    for (int page = 1; page <= 4; ++page) {
        const bool key = page > 2;
        const Sheet& sheet = sheets[(page - 1) % 2];
        const PageText read = divisionPage(pdf, page);
        QCOMPARE(read.band, bandText(key, (page - 1) % 2 + 1));
        QCOMPARE(read.below, NameLine + u"李"_s);
        QCOMPARE(read.misplaced, QStringList());
        QCOMPARE(int(read.places.size()), 81);
        // A child reads every box apart from the problems around it.
        for (const auto& [place, box] : read.problems) {
            for (int row = 0; row < 9; ++row) {
                for (int column = 0; column < 9; ++column) {
                    if (place != std::pair(row, column))
                        QVERIFY2(distance(box, SheetPages::answerBox(row, column)) >= ClearGap,
                            qPrintable(u"box %1,%2 against the problem of %3,%4"_s.arg(row)
                                           .arg(column)
                                           .arg(place.first)
                                           .arg(place.second)));
                }
            }
        }
        // Problems, signs and answers at a size a child reads easily.
        int signs = 0;
        for (const Pdf::Run& run : Pdf::runs(pdf, page)) {
            if (run.text.contains(u'÷') || run.text.contains(u'＝')) {
                signs += run.text.count(u'÷') + run.text.count(u'＝');
                QVERIFY2(
                    run.points >= 20, qPrintable(u"%1 at %2 pt"_s.arg(run.text).arg(run.points)));
            }
        }
        QCOMPARE(signs, 2 * 81);
        for (int row = 0; row < 9; ++row) {
            std::set<int> quotients;
            for (int column = 0; column < 9; ++column) {
                const QString text = read.places.at({row, column});
                const QRegularExpressionMatch m = problem.match(text);
                QVERIFY2(m.hasMatch(), qPrintable(text));
                const int top = m.captured(1).toInt();
                const int divisor = m.captured(2).toInt();
                // One row per divisor, in the sheet's order, every problem whole.
                QCOMPARE(divisor, sheet.rows[row]);
                QCOMPARE(top, sheet.columns[row][column]);
                QCOMPARE(top % divisor, 0);
                const int quotient = top / divisor;
                QVERIFY(quotient >= 1 && quotient <= 9);
                quotients.insert(quotient);
                QCOMPARE(m.captured(3), key ? QString::number(quotient) : QString());
            }
            QCOMPARE(int(quotients.size()), 9);
        }
        QVERIFY(printable(pdf).contains(read.extent));
    }

    // Every answer box is drawn, and empty on the sheet.
    const int dpi = 100;
    const QImage image = Pdf::render(pdf, dpi);
    QVERIFY(!image.isNull());
    auto inked = [&](QPointF twips) {
        const QPoint at(
            int((twips.x() / 20 + 10) * dpi / 72), int((twips.y() / 20 + 10) * dpi / 72));
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (qGray(image.pixel(at + QPoint(dx, dy))) < 160)
                    return true;
        return false;
    };
    for (int row = 0; row < 9; ++row) {
        for (int column = 0; column < 9; ++column) {
            const QRectF box = SheetPages::answerBox(row, column);
            QVERIFY(inked({box.left(), box.center().y()}) && inked({box.right(), box.top() + 100}));
            QVERIFY(!inked(box.center()));
        }
    }
}

void SheetJobTest::stoppedOrFailedJob_data()
{
    QTest::addColumn<QString>("pdfName"); // empty: no printer
    QTest::addColumn<int>("stopAt"); // pages done when the job is stopped; -1 never
    QTest::addColumn<bool>("printed");

    QTest::newRow("stopped before the first page") << u"sheets.pdf"_s << 0 << false;
    QTest::newRow("stopped halfway") << u"sheets.pdf"_s << 3 << false;
    QTest::newRow("stopped after the last page") << u"sheets.pdf"_s << 6 << false;
    QTest::newRow("no printer") << QString() << -1 << false;
    QTest::newRow("printer refuses the job") << u"no such folder/sheets.pdf"_s << -1 << false;
    // Printed in full, but a folder of that name stops the rename.
    QTest::newRow("finished file cannot take its name") << Occupied << -1 << false;
    QTest::newRow("finished job replaces the old file") << u"sheets.pdf"_s << -1 << true;
}

void SheetJobTest::stoppedOrFailedJob()
{
    QFETCH(QString, pdfName);
    QFETCH(int, stopAt);
    QFETCH(bool, printed);

    QTemporaryDir folder;
    const QString path = folder.filePath(u"sheets.pdf"_s);
    const QByteArray old = "an older file of the same name";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    QStringList left{u"sheets.pdf"_s};
    if (pdfName == Occupied) {
        QVERIFY(QDir(folder.path()).mkdir(Occupied));
        left.append(Occupied);
    }
    QPrinter pdfPrinter(QPrinter::HighResolution);
    pdfPrinter.setOutputFormat(QPrinter::PdfFormat);
    pdfPrinter.setOutputFileName(folder.filePath(pdfName));
    QPrinter* printer = pdfName.isEmpty() ? nullptr : &pdfPrinter;

    int calls = 0;
    const PrintProgress progress = [&](int done, int total) {
        ++calls;
        return calls < 20 && total == 6 && done != stopAt;
    };
    const std::vector<Sheet> sheets = freshSheets(Kind::Subtraction, 3, 5);

    if (pdfName.contains(u'/'))
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    const Done done = printSheets(printer, sheets, pagesOf(true), progress);
    const bool cancelled = done && done->what == Failed::PrintCancelled;
    const bool failed = done && done->what == Failed::PrintFailed;
    QCOMPARE(cancelled, stopAt >= 0);
    QCOMPARE(failed, !printed && stopAt < 0);
    // The printer still prints where it was told to.
    QCOMPARE(pdfPrinter.outputFileName(), folder.filePath(pdfName));

    QCOMPARE(QDir(folder.path())
                 .entryList(QDir::Files | QDir::Hidden | QDir::AllDirs | QDir::NoDotAndDotDot),
        left);
    if (pdfName == Occupied)
        QVERIFY(QDir(folder.filePath(Occupied)).isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    if (printed)
        QCOMPARE(Pdf::pages(path), 6);
    else
        QCOMPARE(file.readAll(), old);
}

QTEST_MAIN(SheetJobTest)
#include "tst_sheet_job.moc"
