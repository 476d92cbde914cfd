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

ClassProblem ClassConnection::Link::connect(QString* detail, bool again)
{
    auto result = [detail](ClassProblem problem, const QString& why) {
        if (detail)
            *detail = why;
        return problem;
    };
    if (!QSqlDatabase::contains(name))
        QSqlDatabase::addDatabase(u"QPSQL"_s, name);
    QSqlDatabase db = database();
    if (db.isOpen())
        return ClassProblem::None;
    if (!db.isValid())
        return result(ClassProblem::Failed, u"Qt's QPSQL driver is missing"_s);
    const qint64 now = QDeadlineTimer::current().deadline();
    if (!again && failedAt >= 0 && now - failedAt < ReconnectAfterMilliseconds)
        return result(failedWith, failedDetail);
    QString why;
    // The session comes pinned, with a time limit on every statement.
    const ClassProblem opened = openClassConnection(db, owner.configuration, &why, &serverLayout);
    if (opened != ClassProblem::None) {
        failedAt = now;
        failedWith = opened;
        failedDetail = why;
        return result(opened, why);
    }
    failedAt = -1;
    return ClassProblem::None;
}

void ClassConnection::Link::disconnect()
{
    if (QSqlDatabase::contains(name))
        database().close();
}

std::optional<QSqlQuery> ClassConnection::Link::run(
    const QString& sql, const QVariantList& values, ClassFailure& failure, bool readsOnly)
{
    for (int attempt = 0;; ++attempt) {
        QString why;
        if (const ClassProblem problem = connect(&why); problem != ClassProblem::None) {
            failure.fail(problem, why);
            return {};
        }
        QSqlQuery query(database());
        query.setForwardOnly(true);
        bool done = query.prepare(sql);
        if (done) {
            for (const QVariant& value : values)
                query.addBindValue(value);
            done = query.exec();
        }
        if (done) {
            failure = {};
            return query;
        }
        const QSqlError error = query.lastError();
        const ClassProblem what = classProblemOf(error, database());
        failure.fail(what, error.text(), error.nativeErrorCode());
        if (what != ClassProblem::Unreachable || !readsOnly || attempt > 0 || stopping())
            return {};
        // The query goes before its connection does.
        query = QSqlQuery();
        disconnect();
    }
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
