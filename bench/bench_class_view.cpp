// SPDX-License-Identifier: GPL-3.0-or-later
// The class view on a school's server (bench/class_view.sh makes one):
// opening the view of a class of 30 with four years of sheets, and one
// child's records window from the server, the class's monthly reports
// printed to PDF from the view's command, each against a baseline timed in
// the same run on the same server, the class roster read by one query. The
// view asks in the background: each is timed until its answers are shown;
// the class's facts known by heart of each kind until they have come.
//
//   bench_class_view <password file> [runs]
// with PGHOST, and PGDATABASE when not "varolin", naming the server.
#include "app/class_view.h"
#include "app/records_window.h"
#include "class/class_facts.h"
#include "class/class_records.h"
#include "fake_desktop.h"
#include "median.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Runs the event loop until `done`.
void waitUntil(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// The answer to `question`, the event loop running meanwhile.
template <typename T> T answerOf(const QFuture<T>& question)
{
    std::optional<T> answer;
    QEventLoop waiting;
    whenAnswered(question, &waiting, [&](const T& answered) {
        answer = answered;
        waiting.quit();
    });
    waiting.exec();
    return std::move(*answer);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_class_view <password file> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 15;
    ClassConfig config;
    config.server = qEnvironmentVariable("PGHOST");
    config.database = qEnvironmentVariable("PGDATABASE", u"varolin"_s);
    config.className = u"class-7"_s;
    config.login = u"teacher"_s;
    config.passwordFile = QString::fromLocal8Bit(argv[1]);
    config.sslMode = u"disable"_s;
    FakeDesktop desktop;
    desktop.clock = QDateTime(QDate(2026, 12, 7), QTime(16, 30));

    ClassConnection connection(config);
    ClassRecords records(connection);
    if (const Done failed = answerOf(records.open())) {
        std::fprintf(stderr, "cannot open the class: %s\n", qPrintable(failureLog(*failed)));
        return 1;
    }
    QSqlDatabase roster = QSqlDatabase::addDatabase(u"QPSQL"_s, u"baseline"_s);
    if (const Outcome<int> opened = openClassConnection(roster, config); !opened) {
        std::fprintf(stderr, "cannot connect: %s\n", qPrintable(failureLog(opened.failure())));
        return 1;
    }
    const double baseline = median(runs, [&roster] {
        QSqlQuery query(roster);
        query.exec(u"SELECT id, name FROM varolin.children WHERE class_id = 7 ORDER BY name"_s);
        while (query.next()) { }
    });
    const double connecting = median(runs, [&config] {
        ClassConnection another(config);
        (void)answerOf(ClassRecords(another).open());
    });
    int children = 0;
    const double view = median(runs, [&] {
        ClassView shown(records, desktop);
        shown.show();
        waitUntil([&shown] { return shown.findChild<QPushButton*>(u"reload"_s)->isEnabled(); });
        QCoreApplication::processEvents();
        children = shown.findChild<QTableWidget*>(u"roster"_s)->rowCount();
    });
    ClassView classView(records, desktop);
    waitUntil([&classView] { return classView.findChild<QPushButton*>(u"reload"_s)->isEnabled(); });
    classView.findChild<QTableWidget*>(u"roster"_s)->selectRow(0);
    RecordsWindow* window = nullptr;
    QObject::connect(&classView, &ClassView::recordsOpened,
        [&window](RecordsWindow* opened) { window = opened; });
    int sheets = 0;
    const double child = median(runs, [&] {
        window = nullptr;
        classView.openRecords();
        waitUntil([&window] { return window != nullptr; });
        QCoreApplication::processEvents();
        sheets = window->findChild<QTableView*>(u"sheets"_s)->model()->rowCount();
        delete window;
    });
    // A page per child, each child's sheets copied from the server first.
    const QString pdf = QString::fromLocal8Bit(argv[1]) + u".pdf"_s;
    desktop.chosenPdfPath = pdf;
    const double reports = median(std::min(runs, 3), [&] {
        QFile::remove(pdf);
        desktop.itemAnswers = {0};
        classView.findChild<QPushButton*>(u"printReports"_s)->click();
        waitUntil(
            [&classView] { return classView.findChild<QPushButton*>(u"reload"_s)->isEnabled(); });
    });
    const qint64 printed = QFile(pdf).size();
    std::array<double, 4> facts{};
    std::array<int, 4> practising{};
    for (Kind kind : AllKinds) {
        std::optional<Outcome<ClassFacts>> answer;
        facts[std::size_t(kindNumber(kind))]
            = median(runs, [&] { answer = answerOf(classFacts(connection, kind)); });
        if (!answer || !answer->ok()) {
            std::fprintf(stderr, "the class's facts were not read: %s\n",
                answer ? qPrintable(failureLog(answer->failure())) : "");
            return 1;
        }
        practising[std::size_t(kindNumber(kind))] = answer->value().practising();
    }
    if (!desktop.shown.isEmpty() || children != 30 || printed == 0) {
        std::fprintf(stderr, "the class view did not read the class: %s\n",
            desktop.shown.isEmpty() ? "" : qPrintable(desktop.shown.first().message.prompt));
        return 1;
    }

    std::printf("medians of %d runs, ms, and ratios to the class roster's query\n", runs);
    std::printf("%-52s %8.2f %8.1f\n", "the class roster, one query (baseline)", baseline, 1.0);
    std::printf("%-52s %8.2f %8.1f\n", "connecting and finding the class", connecting,
        connecting / baseline);
    std::printf("%-52s %8.2f %8.1f  (target < 300 ms)\n", "the class view of 30 children, shown",
        view, view / baseline);
    std::printf("%-52s %8.2f %8.1f  (target < 150 ms; %d rows of the table read)\n",
        "one child's records window from the server, shown", child, child / baseline, sheets);
    std::printf("%-52s %8.2f %8.1f  (target < 10000 ms; %lld bytes of PDF)\n",
        "the class's monthly reports, 30 pages to PDF", reports, reports / baseline, printed);
    static const char* const names[] = {"addition", "subtraction", "multiplication", "division"};
    for (Kind kind : AllKinds) {
        const double each = facts[std::size_t(kindNumber(kind))];
        std::printf("%-52s %8.2f %8.1f  (target < 300 ms; %d children practise it)\n",
            qPrintable(u"the class's facts known by heart, %1"_s.arg(
                QString::fromLatin1(names[kindNumber(kind)]))),
            each, each / baseline, practising[std::size_t(kindNumber(kind))]);
    }
    return 0;
}
