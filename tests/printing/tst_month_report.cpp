// SPDX-License-Identifier: GPL-3.0-or-later
// A class's monthly reports print as one document, a page per child in the
// class's order, each with the child's name, the days practised that month
// and how many facts they knew by heart at its end, in the family's words
// or the teacher's; a job that cannot be printed is told and leaves no file.
#include "pdf_tools.h"
#include "printing/month_report.h"
#include "records/record_reader.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ReportWords)

namespace {

// Three sheets of multiplication in November whose first `known` facts come
// quick and right, the rest slow, one of addition, and in December one all
// slow, which the month's page must not count.
QList<FinishedSheet> monthOf(int known)
{
    const FactGrid grid = factGrid(Kind::Multiplication);
    QList<FinishedSheet> sheets;
    for (const auto& [kind, day] : {std::pair{Kind::Multiplication, QDate(2026, 11, 3)},
             {Kind::Multiplication, QDate(2026, 11, 5)}, {Kind::Addition, QDate(2026, 11, 10)},
             {Kind::Multiplication, QDate(2026, 11, 17)},
             {Kind::Multiplication, QDate(2026, 12, 1)}}) {
        FinishedSheet& sheet = sheets.emplace_back();
        sheet.sheet.kind = kind;
        sheet.seconds = 100 + day.day();
        sheet.finishedAt = QDateTime(day, QTime(16, 0));
        // The last fact first, untimed, so that all 81 may be known.
        for (int at = 0; at < grid.count(); ++at) {
            const int place = (at + grid.count() - 1) % grid.count();
            const FactOperands fact = grid.fact(place / grid.size, place % grid.size);
            const bool quick = place < known && day.month() == 11;
            sheet.cells.push_back({at, fact.left, fact.top, 0, quick ? 1000 : 5000, 0});
        }
    }
    return sheets;
}

// The text of page `page`, without the spaces the tools put between words.
QString pageText(const QString& pdf, int page)
{
    return QString::fromUtf8(
        Pdf::run(u"pdftotext"_s,
            {u"-f"_s, QString::number(page), u"-l"_s, QString::number(page), pdf, u"-"_s}))
        .remove(QRegularExpression(u"\\s"_s));
}

} // namespace

class MonthReportTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private Q_SLOTS:
    void pagePerChild_data()
    {
        QTest::addColumn<ReportWords>("words");
        QTest::addColumn<QString>("count"); // as the page says it, %1 the number
        QTest::addColumn<QString>("days");
        QTest::newRow("the family's")
            << ReportWords::Family << u"おぼえたもんだい：%1/81"_s << u"れんしゅうしたひ：4にち"_s;
        QTest::newRow("the teacher's")
            << ReportWords::Teacher << u"覚えた問題：%1/81"_s << u"練習した日：4日"_s;
    }

    void pagePerChild()
    {
        QFETCH(ReportWords, words);
        QFETCH(QString, count);
        QFETCH(QString, days);
        QVERIFY2(Pdf::toolsPresent(), Pdf::Missing);
        const QList<std::pair<QString, int>> children
            = {{u"はなこ"_s, 12}, {u"たろう"_s, 0}, {u"ウィリアムズ・アレクサンダー"_s, 80}};
        RecordStore store(dir.filePath(u"records-%1.sqlite"_s.arg(int(words))));
        QVERIFY(store.open());
        const auto records = localRecords(store);
        QList<MonthReport> reports;
        for (const auto& [name, known] : children) {
            const qint64 child = store.addChild(name).value();
            QVERIFY(!store.add(monthOf(known), child));
            const auto month = monthRecords(*records, child, QDate(2026, 11, 20));
            QVERIFY(month);
            reports.append({name, *month});
        }
        const QString pdf = dir.filePath(u"class-%1.pdf"_s.arg(int(words)));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QCOMPARE(printMonthReports(&printer, reports, words), Done());

        QCOMPARE(Pdf::pages(pdf), int(children.size()));
        const QSizeF a4 = Pdf::pageSize(pdf);
        QVERIFY2(qAbs(a4.width() - 595) < 2 && qAbs(a4.height() - 842) < 2,
            qPrintable(u"%1 x %2"_s.arg(a4.width()).arg(a4.height())));
        for (int page = 1; page <= children.size(); ++page) {
            const QString text = pageText(pdf, page);
            QVERIFY2(text.contains(children[page - 1].first), qPrintable(text));
            QVERIFY2(text.contains(count.arg(children[page - 1].second)), qPrintable(text));
            QVERIFY2(text.contains(days), qPrintable(text));
        }
    }

    void failureTold()
    {
        const QString pdf = dir.filePath(u"no-such-folder/report.pdf"_s);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        const Done printed = printMonthReports(&printer, {MonthReport{}}, ReportWords::Family);
        QCOMPARE(printed.value_or(Failure{Failed::FileNotWritten}).what, Failed::PrintFailed);
        QVERIFY(!QFile::exists(pdf));
    }
};

QTEST_MAIN(MonthReportTest)
#include "tst_month_report.moc"
