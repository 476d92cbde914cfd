// SPDX-License-Identifier: GPL-3.0-or-later
// The class's facts known by heart on a school's server (bench/class_facts.sh
// makes one): a class of 30 with four years of sheets, each kind asked in
// the background until its answer has come, against the class roster read
// by one query on the same server in the same run.
//
//   bench_class_facts <password file> [runs]
// with PGHOST, and PGDATABASE when not "varolin", naming the server.
#include "class/class_config.h"
#include "class/class_connection.h"
#include "class/class_facts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

double median(int runs, const std::function<void()>& step)
{
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The answer to `question`, the event loop running meanwhile.
template <typename T> std::optional<T> answerOf(const QFuture<T>& question)
{
    std::optional<T> answer;
    QEventLoop waiting;
    whenAnswered(question, &waiting, [&](const T& answered) {
        answer = answered;
        waiting.quit();
    });
    waiting.exec();
    return answer;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_class_facts <password file> [runs]\n");
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

    QSqlDatabase roster = QSqlDatabase::addDatabase(u"QPSQL"_s, u"baseline"_s);
    QString detail;
    if (openClassConnection(roster, config, &detail) != ClassProblem::None) {
        std::fprintf(stderr, "cannot connect: %s\n", qPrintable(detail));
        return 1;
    }
    const double baseline = median(runs, [&roster] {
        QSqlQuery query(roster);
        query.exec(u"SELECT id, name FROM varolin.children WHERE class_id = 7 ORDER BY name"_s);
        while (query.next()) { }
    });

    ClassConnection connection(config);
    std::printf("medians of %d runs, ms, and ratios to the class roster's query\n", runs);
    std::printf("%-44s %8.2f %8.1f\n", "the class roster, one query (baseline)", baseline, 1.0);
    for (Kind kind : AllKinds) {
        std::optional<Outcome<ClassFacts>> answer;
        const double facts = median(runs, [&] { answer = answerOf(classFacts(connection, kind)); });
        if (!answer || !answer->ok()) {
            std::fprintf(stderr, "the class's facts were not read: %s\n",
                answer && !answer->ok() ? qPrintable(failureLog(answer->failure())) : "");
            return 1;
        }
        const ClassFacts& found = answer->value();
        int known = 0;
        for (const ChildKnown& child : found.children)
            known += child.known;
        static const char* const names[]
            = {"addition", "subtraction", "multiplication", "division"};
        std::printf("%-44s %8.2f %8.1f  (target < 300 ms; %d children, %d facts known)\n",
            qPrintable(
                u"the class's facts of %1"_s.arg(QString::fromLatin1(names[kindNumber(kind)]))),
            facts, facts / baseline, found.practising(), known);
    }
    return 0;
}
