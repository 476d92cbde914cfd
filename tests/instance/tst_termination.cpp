// SPDX-License-Identifier: GPL-3.0-or-later
// A request to end from outside the window (SIGTERM, SIGHUP, SIGINT, the desktop session's
// quit) reaches the program once: it keeps what it must and ends with status 0, leaving no lock
// behind. A logout's request to keep the data ends nothing. A hang-up ignored from the start
// (nohup) stays ignored.
#include "app/termination.h"
#include "helper_copy.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstddef>

using namespace Qt::StringLiterals;

class TerminationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signalsEndCleanly_data();
    void signalsEndCleanly();
    void hangUpIgnoredUnderNohup();
    void sessionEndRequestsOnce();
};

void TerminationTest::signalsEndCleanly_data()
{
    QTest::addColumn<int>("signal");

    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGINT") << SIGINT;
}

void TerminationTest::signalsEndCleanly()
{
    QFETCH(int, signal);

    QTemporaryDir runtime;
    const QString marker = runtime.filePath(u"marker"_s);
    HelperCopy copy;
    copy.start(runtime.path(), marker);
    QVERIFY(copy.said("running"));

    QCOMPARE(::kill(pid_t(copy.process.processId()), signal), 0);
    QVERIFY(copy.endedWell());
    QFile saved(marker);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), "saved\n");
    QCOMPARE(QDir(runtime.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
        QStringList{u"marker"_s});
}

void TerminationTest::hangUpIgnoredUnderNohup()
{
    QTemporaryDir runtime;
    const QString marker = runtime.filePath(u"marker"_s);
    HelperCopy copy;
    copy.process.setChildProcessModifier([] { ::signal(SIGHUP, SIG_IGN); });
    copy.start(runtime.path(), marker);
    QVERIFY(copy.said("running"));

    QCOMPARE(::kill(pid_t(copy.process.processId()), SIGHUP), 0);
    QVERIFY(!copy.process.waitForFinished(300));
    QVERIFY(!QFile::exists(marker));
    QCOMPARE(::kill(pid_t(copy.process.processId()), SIGTERM), 0);
    QVERIFY(copy.endedWell());
    QVERIFY(QFile::exists(marker));
}

void TerminationTest::sessionEndRequestsOnce()
{
    Termination termination;
    QSignalSpy requested(&termination, &Termination::requested);
    QSignalSpy keep(&termination, &Termination::keepRequested);

    // Only the session manager makes a QSessionManager; the request never looks into it.
    alignas(QSessionManager) std::byte storage[sizeof(QSessionManager)] = {};
    auto& manager = *reinterpret_cast<QSessionManager*>(storage);
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    QVERIFY(application);
    // A logout asks to keep the data; it may still be cancelled, so nothing ends.
    Q_EMIT application->commitDataRequest(manager);
    QCOMPARE(keep.count(), 1);
    QCOMPARE(requested.count(), 0);

    // The session's quit ends the program, once.
    for (int twice = 0; twice < 2; ++twice) {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(application, &quit);
    }
    QCOMPARE(requested.count(), 1);
}

QTEST_MAIN(TerminationTest)
#include "tst_termination.moc"
