// SPDX-License-Identifier: GPL-3.0-or-later
#include "class/class_connection.h"

#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

using namespace Qt::StringLiterals;

ClassConnection::Link::Link(ClassConnection& owner)
    : owner(owner)
{
    static std::atomic<int> made = 0;
    name = u"varolin-class-%1"_s.arg(++made);
}

QSqlDatabase ClassConnection::Link::database() const
{
    return QSqlDatabase::database(name, false);
}

Done ClassConnection::Link::connect(bool again)
{
    if (!QSqlDatabase::contains(name))
        QSqlDatabase::addDatabase(u"QPSQL"_s, name);
    QSqlDatabase db = database();
    if (db.isOpen())
        return {};
    if (!db.isValid())
        return Failure{
            Failed::ServerFailed, owner.configuration.server, u"Qt's QPSQL driver is missing"_s};
    const qint64 now = QDeadlineTimer::current().deadline();
    if (!again && failedAt >= 0 && now - failedAt < ReconnectAfterMilliseconds)
        return failedWith;
    // The session comes pinned, with a time limit on every statement.
    const Outcome<int> opened = openClassConnection(db, owner.configuration);
    if (!opened) {
        failedAt = now;
        failedWith = opened.failure();
        return failedWith;
    }
    serverLayout = *opened;
    failedAt = -1;
    return {};
}

void ClassConnection::Link::disconnect()
{
    if (QSqlDatabase::contains(name))
        database().close();
}

Outcome<QSqlQuery> ClassConnection::Link::run(
    const QString& sql, const QVariantList& values, bool readsOnly)
{
    for (int attempt = 0;; ++attempt) {
        if (Done unconnected = connect())
            return *std::move(unconnected);
        QSqlQuery query(database());
        query.setForwardOnly(true);
        bool done = query.prepare(sql);
        if (done) {
            for (const QVariant& value : values)
                query.addBindValue(value);
            done = query.exec();
        }
        if (done)
            return query;
        Failure failure = classFailureOf(query.lastError(), database());
        if (failure.what != Failed::ServerAway || !readsOnly || attempt > 0 || stopping())
            return failure;
        // The query goes before its connection does.
        query = QSqlQuery();
        disconnect();
    }
}

Done ClassConnection::Link::rowsFailed(const QSqlQuery& query) const
{
    if (!query.lastError().isValid())
        return {};
    return classFailureOf(query.lastError(), database());
}

void ClassConnection::Link::finish()
{
    if (QSqlDatabase::contains(name)) {
        database().close();
        QSqlDatabase::removeDatabase(name);
    }
}

ClassConnection::ClassConnection(ClassConfig config, QObject* parent)
    : QObject(parent)
    , configuration(std::move(config))
    , thread(new QThread)
    , context(new QObject)
{
    link.reset(new Link(*this));
    thread->setObjectName(u"class connection"_s);
    context->moveToThread(thread);
    thread->start();
}

ClassConnection::~ClassConnection()
{
    // The questions still waiting see this and end at once; the one under
    // way ends with its answer or its connection's timeout.
    stopping = true;
    post([this] {
        if (ending)
            ending();
        link->finish();
        QThread::currentThread()->quit();
    });
    thread->wait();
    // The thread has ended: its objects may go from here. Questions never
    // run are dropped with the events left for the context.
    delete context;
    delete thread;
}

void ClassConnection::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
}
