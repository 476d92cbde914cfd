// SPDX-License-Identifier: GPL-3.0-or-later
// A class's monthly reports print as one document, a page per child in the
// class's order, each with the child's name and how many facts they know by
// heart, in the family's words or the teacher's; a job that cannot be
// printed is told and leaves no file.
#include "pdf_tools.h"
#include "printing/month_report.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ReportWords)

namespace {

MonthReport reportOf(const QString& name, int known)
{
    MonthReport report;
    report.name = name;
    report.month = QDate(2026, 11, 1);
    report.facts = KnownFacts(Kind::Multiplication);
    const FactGrid& grid = report.facts.layout();
    for (int place = 0; place < grid.count(); ++place) {
        report.facts.set(grid.fact(place / grid.size, place % grid.size),
            place < known   ? FactState::Known
                : place % 3 ? FactState::Met
                            : FactState::Slow);
    }
    for (int day = 2; day <= 27; day += 2) {
        report.practised.append(QDate(2026, 11, day));
    }
    KindMonth times{Kind::Multiplication, 95, {}};
    for (const QDate& day : report.practised)
        times.days.append({day, 95 + (day.day() * 37) % 120});
    report.kinds = {{Kind::Addition, 72, {{QDate(2026, 11, 3), 72}}}, times};
    return report;
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
        QTest::newRow("the family's") << ReportWords::Family << u"おぼえたもんだい：%1/81"_s;
        QTest::newRow("the teacher's") << ReportWords::Teacher << u"覚えた問題：%1/81"_s;
    }

    void pagePerChild()
    {
        QFETCH(ReportWords, words);
        QFETCH(QString, count);
        QVERIFY2(Pdf::toolsPresent(), Pdf::Missing);
        const QList<std::pair<QString, int>> children
            = {{u"はなこ"_s, 12}, {u"たろう"_s, 0}, {u"ウィリアムズ・アレクサンダー"_s, 81}};
        QList<MonthReport> reports;
        for (const auto& [name, known] : children)
            reports.append(reportOf(name, known));
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
        }
    }

    void failureTold()
    {
        QCOMPARE(printMonthReports(nullptr, {reportOf(u"はなこ"_s, 1)}, ReportWords::Family)
                     .value_or(Failure{Failed::FileNotWritten})
                     .what,
            Failed::PrintFailed);
        const QString pdf = dir.filePath(u"no-such-folder/report.pdf"_s);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        const Done printed
            = printMonthReports(&printer, {reportOf(u"はなこ"_s, 1)}, ReportWords::Family);
        QVERIFY(printed);
        QCOMPARE(printed->what, Failed::PrintFailed);
        QVERIFY(QDir(dir.filePath(u"no-such-folder"_s)).isEmpty());
    }
};

QTEST_MAIN(MonthReportTest)
#include "tst_month_report.moc"
