// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

class QSqlDatabase;
class QSqlQuery;
class QThread;

// The one connection to the class server, on a thread of its own: every
// question is asked there, one after the other, and answered through a
// QFuture, so that a slow or silent server never holds up the thread that
// asked. A dropped connection is made again at the next question; a
// connection that could not be made is not tried again for a while.
class ClassConnection : public QObject
{
    Q_OBJECT

public:
    // A server that could not be reached is not tried again for every
    // question of one look at the class (each try waits up to the
    // connection's timeout), only once this long has passed.
    static constexpr int ReconnectAfterMilliseconds = 10000;

    explicit ClassConnection(ClassConfig config, QObject* parent = nullptr);
    // Ends the thread once the question under way is done (the questions
    // still waiting are dropped): a silent server holds it up for at most
    // the ten seconds or so after which the connection gives up on it.
    ~ClassConnection() override;
    ClassConnection(const ClassConnection&) = delete;
    ClassConnection& operator=(const ClassConnection&) = delete;

    const ClassConfig& config() const { return configuration; }

    // The connection as a question sees it, on the connection's thread.
    class Link
    {
    public:
        // Connects unless connected; a connect that failed less than
        // ReconnectAfterMilliseconds ago fails again at once, as it did,
        // unless `again` asks for a new try (a sender's own timing).
        [[nodiscard]] Done connect(bool again = false);
        // The connection (open once connect() succeeded).
        QSqlDatabase database() const;
        // The layout of the server connected to last.
        int layout() const { return serverLayout; }
        // Lets a connection go that the server dropped: the next question
        // connects again.
        void disconnect();
        // Runs `sql` with `values`: the query, or why it failed. A
        // connection lost since the last question (the server restarted,
        // the network came back) is made again once for a question that
        // only reads.
        [[nodiscard]] Outcome<QSqlQuery> run(
            const QString& sql, const QVariantList& values, bool readsOnly = true);
        // Why the rows of `query`, which run() answered, stopped coming:
        // nothing when they were all read.
        [[nodiscard]] Done rowsFailed(const QSqlQuery& query) const;
        // True once the connection is going: long work stops early.
        bool stopping() const { return owner.stopping; }
        // Lives on the connection's thread, for timers of its own.
        QObject* context() const { return owner.context; }

    private:
        friend class ClassConnection;
        explicit Link(ClassConnection& owner);
        void finish();

        ClassConnection& owner;
        QString name;
        qint64 failedAt = -1; // when a connect last failed, ms of a monotonic clock
        Done failedWith; // how it failed then
        int serverLayout = ClassServerLayout;
    };

    // Runs `work(Link&)` on the connection's thread after what was asked
    // before; its result is the future's. A question left waiting when the
    // connection goes ends with no result.
    template <typename Work> auto ask(Work work) -> QFuture<std::invoke_result_t<Work&, Link&>>
    {
        using Result = std::invoke_result_t<Work&, Link&>;
        auto promise = std::make_shared<QPromise<Result>>();
        QFuture<Result> future = promise->future();
        promise->start();
        post([this, promise, work = std::move(work)]() mutable {
            if (!stopping)
                promise->addResult(work(*link));
            promise->finish();
        });
        return future;
    }

    // Runs `work` on the connection's thread when it ends, after the last
    // question: what the questions made there (a timer, a database
    // connection of their own) goes on the thread it belongs to. Set before
    // the first question.
    void atEnd(std::function<void()> work) { ending = std::move(work); }

private:
    void post(std::function<void()> work);

    ClassConfig configuration;
    QThread* thread = nullptr;
    QObject* context = nullptr; // lives on the connection's thread
    std::unique_ptr<Link> link;
    std::atomic<bool> stopping = false;
    std::function<void()> ending;
};

// Calls `done` with the answer of `future` on `context`'s thread once it has
// come, unless `context` has gone by then or the question was dropped.
template <typename T, typename Done>
void whenAnswered(const QFuture<T>& future, QObject* context, Done done)
{
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
        [watcher, done = std::move(done)]() mutable {
            const QFuture<T> answered = watcher->future();
            watcher->deleteLater();
            if (answered.resultCount() > 0)
                done(answered.result());
        });
    watcher->setFuture(future);
}
