// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_sender.h"

#include "records/outbox.h"

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

Outcome<QList<RosterChild>> readClassRoster(ClassConnection::Link& link, const QString& className)
{
    const QString number
        = link.layout() >= 3 ? u"c.number"_s : u"row_number() OVER (ORDER BY c.id)"_s;
    Outcome<QSqlQuery> query = link.run(u"SELECT c.id, c.name, "_s + number
            + u" AS n FROM varolin.children c JOIN varolin.classes k ON k.id = c.class_id "
              u"WHERE k.name = ? ORDER BY n, c.id"_s,
        {className});
    if (!query)
        return query.failure();
    QList<RosterChild> children;
    while (query->next())
        children.append(
            {query->value(0).toLongLong(), query->value(1).toString(), query->value(2).toInt()});
    if (Done failed = link.rowsFailed(*query))
        return *std::move(failed);
    return children;
}

SendRound sendOutbox(ClassConnection::Link& link, Outbox& outbox, const QString& className,
    const std::atomic<bool>& stopping)
{
    SendRound round;
    // What a failed statement means; false when the server is gone.
    auto failed = [&round](const Failure& failure) {
        round.lost = failure.what == Failed::ServerAway;
        if (!round.lost)
            round.failure = failure;
        return !round.lost;
    };
    // Asked at the first refusal of a pass, and only then.
    std::optional<Outcome<QList<RosterChild>>> roster;
    qint64 after = 0;
    while (!stopping) {
        const auto batch = outbox.waiting(Batch, after);
        // The records could not be read: the sheets wait for the next try,
        // and a records file that stays unreadable is the window's to tell.
        if (!batch || batch->isEmpty())
            break;
        for (const WaitingSheet& sheet : *batch) {
            if (stopping)
                return round;
            after = sheet.id;
            // No conflict target: naming the uuid column would need the
            // SELECT privilege on it, which a pupil login does not have.
            const Outcome<QSqlQuery> inserted
                = link.run(u"INSERT INTO varolin.sheets (uuid, child_id, finished_at, "
                           u"utc_offset, kind, seconds, wrong_digits, record, row_operands, "
                           u"column_operands, cells) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                           u"ON CONFLICT DO NOTHING"_s,
                    {sheet.uuid, sheet.serverChild, sheet.finishedAt.toString(Qt::ISODate),
                        sheet.finishedAt.offsetFromUtc() / 60, sheet.kind, sheet.seconds,
                        sheet.wrongDigits, sheet.record, sheet.rows, sheet.columns, sheet.cells},
                    false);
            if (inserted) {
                // Should this fail, the sheet is sent again and the server
                // keeps it once: nothing is lost, so nothing is told.
                (void)outbox.take(sheet.id);
                ++round.sent;
                continue;
            }
            if (!failed(inserted.failure()))
                return round;
            // Whatever the server's reason, a sheet is refused for good only
            // when the roster, read now, has children and not this one: a
            // login refused every insert (its defaults changed, renamed)
            // would otherwise take every sheet off the queue.
            if (!roster) {
                roster = readClassRoster(link, className);
                if (!*roster && roster->failure().what == Failed::ServerAway) {
                    round.lost = true;
                    return round;
                }
            }
            const bool offRoster = *roster && !(*roster)->isEmpty()
                && std::none_of(
                    (*roster)->begin(), (*roster)->end(), [&sheet](const RosterChild& child) {
                        return child.serverId == sheet.serverChild;
                    });
            if (!offRoster) {
                // Only the count of tries: the sheet waits either way.
                (void)outbox.tried(sheet.id);
                continue;
            }
            const QString reason
                = u"child %1 is not on the roster of class %2; the server said: %3"_s
                      .arg(sheet.serverChild)
                      .arg(className, inserted.failure().detail);
            if (const Done failed = outbox.refuse(sheet.id, reason)) {
                // Still in the queue, so tried again next time; but a records
                // file that takes no mark is told, not only waited out.
                round.failure = Failure{
                    Failed::RecordsUnusable, outbox.path(), reason + u"; "_s + failed->detail};
            } else {
                ++round.refused;
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
        const Done unopened = outbox->open();
        if (!unopened)
            return true;
        // Told once: the sheets wait in the records, which the window
        // reports itself when it cannot use them.
        if (!std::exchange(outboxTold, true))
            Q_EMIT sender.problem(*unopened);
        return false;
    }

    // True once connected. A server that is away is only waited out; any
    // other reason is told. Every try is a new one: the sender keeps its
    // own timing.
    bool connect(ClassConnection::Link& link)
    {
        const Done unconnected = link.connect(true);
        if (unconnected && unconnected->what != Failed::ServerAway)
            Q_EMIT sender.problem(*unconnected);
        return !unconnected;
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
            const SendRound round = sendOutbox(link, *outbox, config.className, stopping);
            if (round.failure)
                Q_EMIT sender.problem(*round.failure);
            if (round.refused > 0)
                Q_EMIT sender.sheetsRefused(round.refused,
                    {Failed::SheetsRefused, config.server,
                        u"%1 sheets of children not on the roster of class %2 stay on this "
                        u"computer until the roster lists them again"_s.arg(round.refused)
                            .arg(config.className)});
            // Let go once its queries are done with. A refused session is
            // let go as well: the next try opens one with the login's
            // settings as they are then.
            if (round.lost || round.failure)
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
        const auto children = readClassRoster(link, config.className);
        if (!children) {
            if (children.failure().what != Failed::ServerAway)
                Q_EMIT sender.problem(children.failure());
            link.disconnect();
            return;
        }
        // The children it lists are back: their refused sheets wait again.
        if (openOutbox()) {
            QList<qint64> ids;
            for (const RosterChild& child : *children)
                ids << child.serverId;
            // Should this fail, they stay refused until the next roster
            // read, a few minutes on, tries again: nothing is lost.
            (void)outbox->requeue(ids);
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
