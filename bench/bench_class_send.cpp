// SPDX-License-Identifier: GPL-3.0-or-later
// Sending to the class server, on the throwaway server that
// bench/class_send.sh starts: one sheet from the moment it is stored to the
// moment the server has it, against a bare round trip to the same server in
// the same run; and 100 machines sending 10 sheets each at once, every sheet
// stored once.
#include "class/class_sender.h"
#include "records/record_store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QTemporaryDir* folder = nullptr;
qint64 childId = 0;

// A classroom machine as the school sets it up: over TLS to the server it
// checks, logged in by its client certificate.
ClassConfig config()
{
    const QString certificates = qEnvironmentVariable("VAROLIN_BENCH_CERTS");
    ClassConfig config;
    config.server = u"localhost"_s;
    config.port = qEnvironmentVariableIntValue("VAROLIN_BENCH_PORT");
    config.className = u"3-1"_s;
    config.login = u"room3_1"_s;
    config.sslMode = u"verify-full"_s;
    config.channelBinding = u"disable"_s;
    config.sslRootCert = certificates + u"/server.crt"_s;
    config.sslCert = certificates + u"/room.crt"_s;
    config.sslKey = certificates + u"/room.key"_s;
    return config;
}

FinishedSheet sheet(int n)
{
    FinishedSheet sheet;
    sheet.sheet.kind = Kind::Addition;
    sheet.seconds = 60 + n % 100;
    // Ten minutes apart, back from now: the server takes at most 200 sheets
    // of a child a day.
    static int made = 0;
    sheet.finishedAt = QDateTime::currentDateTime().addSecs(-600 * made++);
    for (int cell = 0; cell < 100; ++cell)
        sheet.cells.push_back({cell, cell / 10, cell % 10, cell / 10 + cell % 10, 1500, 0});
    return sheet;
}

// The store's child that is the roster's child `childId` + `offset`: each
// machine sends for a child of its own, as the server takes a day's sheets
// of a child only up to its ceiling.
qint64 pupilOf(RecordStore& store, int offset = 0)
{
    // A roster not kept leaves the sheets with the first child, never sent:
    // the run then waits in vain and shows it.
    (void)store.keepRoster(u"3-1"_s, {{childId + offset, u"child-%1"_s.arg(offset)}});
    const auto children = store.rosterChildren(u"3-1"_s);
    return children && !children->isEmpty() ? children->first().id : RecordStore::FirstChild;
}

QVariant serverValue(const QString& sql)
{
    QSqlQuery query(QSqlDatabase::database(u"admin"_s));
    query.exec(sql);
    query.next();
    return query.value(0);
}

// Runs `start`, then the event loop until every sender has said that
// nothing waits. Listening begins first: a sender done before it would be
// waited for in vain.
void waitUntilSent(
    const std::vector<std::unique_ptr<ClassSender>>& senders, const std::function<void()>& start)
{
    int done = 0;
    QEventLoop loop;
    for (const auto& sender : senders) {
        QObject::connect(sender.get(), &ClassSender::sheetsWaiting, &loop, [&](int waiting) {
            if (waiting == 0 && ++done == int(senders.size()))
                loop.quit();
        });
    }
    start();
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
}

// The baseline: a statement's round trip to the server on a pupil login.
void roundTrip(benchmark::State& state)
{
    QSqlDatabase connection = QSqlDatabase::contains(u"round trip"_s)
        ? QSqlDatabase::database(u"round trip"_s)
        : QSqlDatabase::addDatabase(u"QPSQL"_s, u"round trip"_s);
    if (!connection.isOpen() && !openClassConnection(connection, config()))
        state.SkipWithError("no connection");
    QSqlQuery query(connection);
    query.prepare(u"SELECT version FROM varolin.schema_version"_s);
    for (auto _ : state) {
        query.exec();
        query.next();
    }
}
BENCHMARK(roundTrip)->Unit(benchmark::kMillisecond);

// A sheet stored, handed to the sender's thread, inserted and marked sent.
void sendOneSheet(benchmark::State& state)
{
    const QString records = folder->filePath(u"one.sqlite"_s);
    RecordStore store(records);
    if (!store.open()) {
        state.SkipWithError("the records cannot be opened");
        return;
    }
    const qint64 pupil = pupilOf(store);
    std::vector<std::unique_ptr<ClassSender>> senders;
    senders.push_back(std::make_unique<ClassSender>(config(), records));
    waitUntilSent(senders, [&] { senders.front()->start(); });
    int n = 0;
    for (auto _ : state) {
        if (store.add(sheet(++n), pupil, RecordStore::Send::ToClass))
            state.SkipWithError("a sheet was not stored");
        waitUntilSent(senders, [&] { senders.front()->sendWaiting(); });
    }
    if (store.waitingCount() != 0)
        state.SkipWithError("sheets left waiting");
}
// (Fewer sheets than a child's ceiling for a day.)
BENCHMARK(sendOneSheet)->Iterations(300)->Unit(benchmark::kMillisecond);

// 100 machines with 10 sheets each start sending at the same moment.
void hundredMachines(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        const int before = serverValue(u"SELECT count(*) FROM varolin.sheets"_s).toInt();
        QTemporaryDir machines;
        std::vector<std::unique_ptr<ClassSender>> senders;
        for (int machine = 0; machine < 100; ++machine) {
            const QString records = machines.filePath(u"%1.sqlite"_s.arg(machine));
            RecordStore store(records);
            if (!store.open())
                state.SkipWithError("the records cannot be opened");
            const qint64 pupil = pupilOf(store, 1 + machine);
            for (int n = 0; n < 10; ++n) {
                if (store.add(sheet(n), pupil, RecordStore::Send::ToClass))
                    state.SkipWithError("a sheet was not stored");
            }
            senders.push_back(std::make_unique<ClassSender>(config(), records));
        }
        state.ResumeTiming();
        waitUntilSent(senders, [&] {
            for (const auto& sender : senders)
                sender->start();
        });
        state.PauseTiming();
        senders.clear();
        const int stored = serverValue(u"SELECT count(*) FROM varolin.sheets"_s).toInt() - before;
        state.counters["stored"] = stored;
        if (stored != 1000)
            state.SkipWithError("not every sheet was stored once");
        state.ResumeTiming();
    }
}
BENCHMARK(hundredMachines)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    folder = &dir;
    QSqlDatabase admin = QSqlDatabase::addDatabase(u"QPSQL"_s, u"admin"_s);
    admin.setHostName(qEnvironmentVariable("VAROLIN_BENCH_PGHOST"));
    admin.setDatabaseName(u"varolin"_s);
    admin.setUserName(u"postgres"_s);
    if (!admin.open()) {
        qCritical("run through bench/class_send.sh: %s", qPrintable(admin.lastError().text()));
        return 1;
    }
    childId = serverValue(u"SELECT min(id) FROM varolin.children"_s).toLongLong();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
