// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_sender.h"

#include "records/outbox.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
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

std::optional<QList<RosterChild>> readClassRoster(QSqlDatabase& server, const QString& className,
    int layout, ClassProblem* problem, QString* detail)
{
    QSqlQuery query(server);
    query.setForwardOnly(true);
    QList<RosterChild> children;
    const QString number = layout >= 3 ? u"c.number"_s : u"row_number() OVER (ORDER BY c.id)"_s;
    if (query.prepare(u"SELECT c.id, c.name, "_s + number
            + u" AS n FROM varolin.children c JOIN varolin.classes k ON k.id = c.class_id "
              u"WHERE k.name = ? ORDER BY n, c.id"_s)) {
        query.addBindValue(className);
        query.exec();
        while (query.isActive() && query.next())
            children.append(
                {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toInt()});
    }
    if (!query.lastError().isValid())
        return children;
    if (problem)
        *problem = classProblemOf(query.lastError(), server);
    if (detail)
        *detail = query.lastError().text();
    return {};
}

SendRound sendOutbox(QSqlDatabase& server, Outbox& outbox, const QString& className,
    const std::atomic<bool>& stopping, int layout)
{
    SendRound round;
    // What a failed statement means; false when the server is gone.
    auto failed = [&round, &server](const QSqlError& error) {
        const ClassProblem problem = classProblemOf(error, server);
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
                roster = readClassRoster(server, className, layout, &why);
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
    std::unique_ptr<Outbox> outbox;
    QTimer* timer = nullptr;
    std::atomic<bool> stopping = false;
    bool outboxTold = false;

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

    // True once connected. A server that is away is only waited out; any
    // other reason is told. Every try is a new one: the sender keeps its
    // own timing.
    bool connect(ClassConnection::Link& link)
    {
        QString detail;
        const ClassProblem problem = link.connect(&detail, true);
        if (problem != ClassProblem::None && problem != ClassProblem::Unreachable)
            Q_EMIT sender.problem(problem, detail);
        return problem == ClassProblem::None;
    }

    void send(ClassConnection::Link& link)
    {
        if (stopping || !openOutbox())
            return;
        // A connection kept from an earlier try may have been dropped by the
        // server meanwhile: then one new connection is tried at once.
        bool fresh = false;
        while (!stopping) {
            if (!link.database().isOpen()) {
                if (!connect(link))
                    break;
                fresh = true;
            }
            QSqlDatabase connection = link.database();
            const SendRound round
                = sendOutbox(connection, *outbox, config.className, stopping, link.layout());
            if (round.problem != ClassProblem::None)
                Q_EMIT sender.problem(round.problem, round.detail);
            if (round.refused > 0)
                Q_EMIT sender.sheetsRefused(round.refused);
            // Let go once its queries are done with. A refused session is
            // let go as well: the next try opens one with the login's
            // settings as they are then.
            if (round.lost || round.problem != ClassProblem::None)
                link.disconnect();
            if (!round.lost || fresh)
                break;
        }
        if (const auto count = outbox->count())
            Q_EMIT sender.sheetsWaiting(*count);
    }

    void roster(ClassConnection::Link& link)
    {
        if (stopping || !connect(link))
            return;
        QSqlDatabase connection = link.database();
        ClassProblem problem = ClassProblem::None;
        QString detail;
        const auto children
            = readClassRoster(connection, config.className, link.layout(), &problem, &detail);
        if (!children) {
            if (problem != ClassProblem::Unreachable)
                Q_EMIT sender.problem(problem, detail);
            link.disconnect();
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

    // On the connection's thread, as it ends: the timer and the outbox's
    // connection belong to it.
    void finish()
    {
        delete std::exchange(timer, nullptr);
        outbox.reset();
    }
};

ClassSender::ClassSender(ClassConfig config, QString records, QObject* parent)
    : QObject(parent)
    , worker(new Worker{*this, config, std::move(records), {}, {}, {}})
    , connection(std::make_unique<ClassConnection>(std::move(config)))
{
    connection->atEnd([this] { worker->finish(); });
}

ClassSender::~ClassSender()
{
    // A pass under way stops at its next sheet; the connection's thread
    // ends once it has.
    worker->stopping = true;
    connection.reset();
}

template <typename Work> void ClassSender::post(Work work)
{
    connection->ask([this, work = std::move(work)](ClassConnection::Link& link) mutable {
        if (!worker->stopping)
            work(link);
        return true;
    });
}

void ClassSender::start()
{
    if (std::exchange(started, true))
        return;
    post([this](ClassConnection::Link& link) {
        worker->timer = new QTimer;
        worker->timer->setInterval(RetryEvery);
        QObject::connect(worker->timer, &QTimer::timeout, link.context(), [this, &link] {
            worker->roster(link);
            worker->send(link);
        });
        worker->roster(link);
        worker->send(link);
        worker->timer->start();
    });
}

void ClassSender::sendWaiting()
{
    post([this](ClassConnection::Link& link) { worker->send(link); });
}
