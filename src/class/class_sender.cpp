// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_sender.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Sheets read from the store at a time: a store that waited a week sends in
// a few rounds.
constexpr int Batch = 50;

// A sheet the server will never take as it is: its child is no longer on
// the roster, or no longer in this login's classes. Sending it again would
// hold up every sheet after it.
bool refusedForGood(const QSqlError& error)
{
    const QString state = error.nativeErrorCode();
    return state.startsWith(u"23"_s)
        || (state == u"42501"_s && error.text().contains(u"row-level security"_s));
}

} // namespace

struct ClassSender::Worker
{
    ClassSender& sender;
    ClassConfig config;
    QString records;
    QString connectionName;
    std::unique_ptr<RecordStore> store;
    QTimer* timer = nullptr;
    std::atomic<bool> stopping = false;

    QSqlDatabase server() const { return QSqlDatabase::database(connectionName, false); }

    bool openStore()
    {
        if (store && store->isOpen())
            return true;
        store = std::make_unique<RecordStore>(records);
        return store->open();
    }

    void disconnect()
    {
        if (!QSqlDatabase::contains(connectionName))
            return;
        server().close();
    }

    // True once connected. A server that is away is only waited out; any
    // other reason is told.
    bool connect()
    {
        if (!QSqlDatabase::contains(connectionName))
            QSqlDatabase::addDatabase(u"QPSQL"_s, connectionName);
        QSqlDatabase connection = server();
        if (connection.isOpen())
            return true;
        if (!connection.isValid()) {
            Q_EMIT sender.problem(ClassProblem::Failed, u"Qt's QPSQL driver is missing"_s);
            return false;
        }
        QString detail;
        const ClassProblem problem = openClassConnection(connection, config, &detail);
        if (problem != ClassProblem::None && problem != ClassProblem::Unreachable)
            Q_EMIT sender.problem(problem, detail);
        return problem == ClassProblem::None;
    }

    // Tells what a failed statement means, unless the server is only away.
    // The caller lets the connection go once its query is done with.
    void failed(const QSqlError& error)
    {
        const ClassProblem problem = classProblemOf(error);
        if (problem != ClassProblem::Unreachable)
            Q_EMIT sender.problem(problem, error.text());
    }

    enum class Outcome { Sent, Lost, Stopped };

    Outcome sendBatch(const QList<WaitingSheet>& sheets)
    {
        QSqlQuery insert(server());
        // No conflict target: naming the uuid column would need the SELECT
        // privilege on it, which a pupil login does not have.
        if (!insert.prepare(u"INSERT INTO varolin.sheets (uuid, child_id, finished_at, "
                            u"utc_offset, kind, seconds, wrong_digits, record, row_operands, "
                            u"column_operands, cells) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                            u"ON CONFLICT DO NOTHING"_s)) {
            failed(insert.lastError());
            return Outcome::Lost;
        }
        for (const WaitingSheet& sheet : sheets) {
            if (stopping)
                return Outcome::Stopped;
            for (const QVariant& value : {QVariant(sheet.uuid), QVariant(sheet.serverChild),
                     QVariant(sheet.finishedAt.toString(Qt::ISODate)),
                     QVariant(sheet.finishedAt.offsetFromUtc() / 60), QVariant(sheet.kind),
                     QVariant(sheet.seconds), QVariant(sheet.wrongDigits), QVariant(sheet.record),
                     QVariant(sheet.rows), QVariant(sheet.columns), QVariant(sheet.cells)})
                insert.addBindValue(value);
            if (!insert.exec()) {
                if (!refusedForGood(insert.lastError())) {
                    failed(insert.lastError());
                    return Outcome::Lost;
                }
                // Kept here, told, and out of the way of the sheets after it.
                Q_EMIT sender.problem(ClassProblem::Failed, insert.lastError().text());
            }
            // The server has it (or never will): it waits no more. Should
            // this fail, the sheet is sent again and the server keeps it once.
            store->markSent(sheet.id);
        }
        return Outcome::Sent;
    }

    void send()
    {
        if (stopping || !openStore())
            return;
        // A connection kept from an earlier try may have been dropped by the
        // server meanwhile: then one new connection is tried at once.
        bool fresh = false;
        while (!stopping) {
            if (!server().isOpen()) {
                if (!connect())
                    break;
                fresh = true;
            }
            const auto waiting = store->waitingSheets(Batch);
            if (!waiting || waiting->isEmpty())
                break;
            const Outcome outcome = sendBatch(*waiting);
            if (outcome == Outcome::Lost)
                disconnect();
            if (outcome == Outcome::Stopped || (outcome == Outcome::Lost && fresh))
                break;
        }
        if (const auto count = store->waitingCount())
            Q_EMIT sender.sheetsWaiting(*count);
    }

    void roster()
    {
        if (stopping || !connect())
            return;
        if (!readRoster())
            disconnect();
    }

    bool readRoster()
    {
        QSqlQuery query(server());
        query.setForwardOnly(true);
        query.prepare(u"SELECT c.id, c.name FROM varolin.children c "
                      u"JOIN varolin.classes k ON k.id = c.class_id WHERE k.name = ? "
                      u"ORDER BY c.id"_s);
        query.addBindValue(config.className);
        if (!query.exec()) {
            failed(query.lastError());
            return false;
        }
        QList<RosterChild> children;
        while (query.next())
            children.append({query.value(0).toLongLong(), query.value(1).toString()});
        if (query.lastError().isValid()) {
            failed(query.lastError());
            return false;
        }
        Q_EMIT sender.rosterRead(children);
        return true;
    }

    void finish()
    {
        if (timer)
            timer->stop();
        store.reset();
        if (QSqlDatabase::contains(connectionName)) {
            server().close();
            QSqlDatabase::removeDatabase(connectionName);
        }
    }
};

ClassSender::ClassSender(ClassConfig config, QString records, QObject* parent)
    : QObject(parent)
    , thread(new QThread)
    , context(new QObject)
    , worker(new Worker{*this, std::move(config), std::move(records), {}, {}, {}})
{
    static std::atomic<int> senders = 0;
    worker->connectionName = u"varolin-class-sender-%1"_s.arg(++senders);
    thread->setObjectName(u"class sender"_s);
    context->moveToThread(thread);
}

ClassSender::~ClassSender()
{
    if (thread->isRunning()) {
        worker->stopping = true;
        post([this] {
            worker->finish();
            QThread::currentThread()->quit();
        });
        thread->wait();
    }
    // The thread has ended: its objects may go from here.
    delete context;
    delete thread;
}

template <typename Work> void ClassSender::post(Work work)
{
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
}

void ClassSender::start()
{
    if (thread->isRunning())
        return;
    thread->start();
    post([this] {
        worker->timer = new QTimer(context);
        worker->timer->setInterval(RetryEvery);
        QObject::connect(worker->timer, &QTimer::timeout, context, [this] {
            worker->roster();
            worker->send();
        });
        worker->roster();
        worker->send();
        worker->timer->start();
    });
}

void ClassSender::sendWaiting()
{
    post([this] { worker->send(); });
}

void ClassSender::readRoster()
{
    post([this] { worker->roster(); });
}
