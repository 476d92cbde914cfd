// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_sender.h"

#include "records/outbox.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Sheets read from the outbox at a time: a machine that waited a week sends
// in a few rounds.
constexpr int Batch = 50;

} // namespace

std::optional<QList<RosterChild>> readClassRoster(
    QSqlDatabase& server, const QString& className, ClassProblem* problem, QString* detail)
{
    QSqlQuery query(server);
    query.setForwardOnly(true);
    QList<RosterChild> children;
    if (query.prepare(u"SELECT c.id, c.name FROM varolin.children c "
                      u"JOIN varolin.classes k ON k.id = c.class_id WHERE k.name = ? "
                      u"ORDER BY c.id"_s)) {
        query.addBindValue(className);
        query.exec();
        while (query.isActive() && query.next())
            children.append({query.value(0).toLongLong(), query.value(1).toString()});
    }
    if (!query.lastError().isValid())
        return children;
    if (problem)
        *problem = classProblemOf(query.lastError());
    if (detail)
        *detail = query.lastError().text();
    return {};
}

SendRound sendOutbox(QSqlDatabase& server, Outbox& outbox, const QString& className,
    const std::atomic<bool>& stopping)
{
    SendRound round;
    // What a failed statement means; false when the server is gone.
    auto failed = [&round](const QSqlError& error) {
        const ClassProblem problem = classProblemOf(error);
        round.lost = problem == ClassProblem::Unreachable;
        if (!round.lost) {
            round.problem = problem;
            round.detail = error.text();
        }
        return !round.lost;
    };
    QSqlQuery insert(server);
    // No conflict target: naming the uuid column would need the SELECT
    // privilege on it, which a pupil login does not have.
    if (!insert.prepare(u"INSERT INTO varolin.sheets (uuid, child_id, finished_at, "
                        u"utc_offset, kind, seconds, wrong_digits, record, row_operands, "
                        u"column_operands, cells) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                        u"ON CONFLICT DO NOTHING"_s)) {
        failed(insert.lastError());
        return round;
    }
    // Asked at the first refusal of a pass, and only then.
    std::optional<QList<RosterChild>> roster;
    bool rosterAsked = false;
    qint64 after = 0;
    while (!stopping) {
        const auto batch = outbox.waiting(Batch, after);
        if (!batch || batch->isEmpty())
            break;
        for (const WaitingSheet& sheet : *batch) {
            if (stopping)
                return round;
            after = sheet.id;
            for (const QVariant& value : {QVariant(sheet.uuid), QVariant(sheet.serverChild),
                     QVariant(sheet.finishedAt.toString(Qt::ISODate)),
                     QVariant(sheet.finishedAt.offsetFromUtc() / 60), QVariant(sheet.kind),
                     QVariant(sheet.seconds), QVariant(sheet.wrongDigits), QVariant(sheet.record),
                     QVariant(sheet.rows), QVariant(sheet.columns), QVariant(sheet.cells)})
                insert.addBindValue(value);
            if (insert.exec()) {
                // Should this fail, the sheet is sent again and the server
                // keeps it once.
                outbox.take(sheet.id);
                ++round.sent;
                continue;
            }
            const QSqlError error = insert.lastError();
            if (!failed(error))
                return round;
            // Whatever the server's reason, a sheet is refused for good only
            // when the roster, read now, has children and not this one: a
            // login refused every insert (its defaults changed, renamed)
            // would otherwise take every sheet off the queue.
            if (!std::exchange(rosterAsked, true)) {
                ClassProblem why = ClassProblem::None;
                roster = readClassRoster(server, className, &why);
                if (!roster && why == ClassProblem::Unreachable) {
                    round.lost = true;
                    return round;
                }
            }
            const bool offRoster = roster && !roster->isEmpty()
                && std::none_of(roster->begin(), roster->end(), [&sheet](const RosterChild& child) {
                       return child.serverId == sheet.serverChild;
                   });
            if (offRoster) {
                outbox.refuse(sheet.id,
                    u"child %1 is not on the roster of class %2; the server said: %3"_s
                        .arg(sheet.serverChild)
                        .arg(className, error.text()));
                ++round.refused;
            } else {
                outbox.tried(sheet.id);
            }
        }
    }
    return round;
}

struct ClassSender::Worker
{
    ClassSender& sender;
    ClassConfig config;
    QString records;
    QString connectionName;
    std::unique_ptr<Outbox> outbox;
    QTimer* timer = nullptr;
    std::atomic<bool> stopping = false;
    bool outboxTold = false;

    QSqlDatabase server() const { return QSqlDatabase::database(connectionName, false); }

    bool openOutbox()
    {
        if (outbox && outbox->isOpen())
            return true;
        outbox = std::make_unique<Outbox>(records);
        if (outbox->open())
            return true;
        if (!std::exchange(outboxTold, true))
            Q_EMIT sender.problem(ClassProblem::Failed, outbox->problem());
        return false;
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

    void send()
    {
        if (stopping || !openOutbox())
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
            QSqlDatabase connection = server();
            const SendRound round = sendOutbox(connection, *outbox, config.className, stopping);
            if (round.problem != ClassProblem::None)
                Q_EMIT sender.problem(round.problem, round.detail);
            if (round.refused > 0)
                Q_EMIT sender.sheetsRefused(round.refused);
            // Let go once its queries are done with. A refused session is
            // let go as well: the next try opens one with the login's
            // settings as they are then.
            if (round.lost || round.problem != ClassProblem::None)
                disconnect();
            if (!round.lost || fresh)
                break;
        }
        if (const auto count = outbox->count())
            Q_EMIT sender.sheetsWaiting(*count);
    }

    void roster()
    {
        if (stopping || !connect())
            return;
        QSqlDatabase connection = server();
        ClassProblem problem = ClassProblem::None;
        QString detail;
        const auto children = readClassRoster(connection, config.className, &problem, &detail);
        if (!children) {
            if (problem != ClassProblem::Unreachable)
                Q_EMIT sender.problem(problem, detail);
            disconnect();
            return;
        }
        // The children it lists are back: their refused sheets wait again.
        if (openOutbox()) {
            QList<qint64> ids;
            for (const RosterChild& child : *children)
                ids << child.serverId;
            outbox->requeue(ids);
        }
        Q_EMIT sender.rosterRead(*children);
    }

    void finish()
    {
        if (timer)
            timer->stop();
        outbox.reset();
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
