// SPDX-License-Identifier: GPL-3.0-or-later
// One copy per user: a later start asks the running copy to show itself and ends with status 0;
// nothing a killed copy leaves behind, nor a broken lock, keeps the program from starting; of
// copies started at the same moment exactly one runs.
#include "helper_copy.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

enum Leftover {
    KilledCopy,
    EmptyLock,
    FolderAsLock,
    ForeignLock,
};

QString lockPath(const QTemporaryDir& runtime)
{
    return runtime.filePath(u"varolin-%1.lock"_s.arg(::getuid()));
}

void killCopy(const QTemporaryDir& runtime)
{
    HelperCopy copy;
    copy.start(runtime.path());
    QVERIFY(copy.said("running"));
    copy.process.kill();
    // Reaped, so that its process id is really gone.
    QVERIFY(copy.process.waitForFinished(2000));
    QVERIFY(QFile::exists(lockPath(runtime)));
}

} // namespace

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void laterStartsHandOver();
    void leftoversDoNotBlock_data();
    void leftoversDoNotBlock();
    void simultaneousStarts_data();
    void simultaneousStarts();
};

void SingleInstanceTest::laterStartsHandOver()
{
    QTemporaryDir runtime;
    HelperCopy first;
    first.start(runtime.path());
    QVERIFY(first.said("running"));

    for (int start = 1; start <= 2; ++start) {
        HelperCopy later;
        QElapsedTimer clock;
        clock.start();
        later.start(runtime.path());
        QVERIFY(later.endedWell());
        // Well inside the time a later copy gives a silent running copy.
        QCOMPARE_LT(clock.elapsed(), 2000);
        QCOMPARE(later.output + later.process.readAllStandardOutput(), "handed over\n");
        QVERIFY(first.said("shown", start));
    }
    QCOMPARE(first.process.state(), QProcess::Running);
}

void SingleInstanceTest::leftoversDoNotBlock_data()
{
    QTest::addColumn<int>("leftover");
    QTest::addColumn<bool>("guarded");

    QTest::newRow("lock of a killed copy") << int(KilledCopy) << true;
    QTest::newRow("empty lock file") << int(EmptyLock) << true;
    // Nothing can lock there: each copy runs rather than none.
    QTest::newRow("folder in place of the lock") << int(FolderAsLock) << false;
    QTest::newRow("lock file of another user") << int(ForeignLock) << false;
}

void SingleInstanceTest::leftoversDoNotBlock()
{
    QFETCH(int, leftover);
    QFETCH(bool, guarded);

    QTemporaryDir runtime;
    switch (Leftover(leftover)) {
    case KilledCopy:
        killCopy(runtime);
        break;
    case EmptyLock: {
        QFile lock(lockPath(runtime));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        break;
    }
    case FolderAsLock:
        QVERIFY(QDir(runtime.path()).mkdir(QFileInfo(lockPath(runtime)).fileName()));
        break;
    case ForeignLock: {
        if (::getuid() != 0)
            QSKIP("only root can give a file to another user");
        // Names a process that runs, so that it does not look stale.
        QFile lock(lockPath(runtime));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(::getpid()) + "\ntest_instance_single_instance\n\n");
        QCOMPARE(::fchown(lock.handle(), 65534, 65534), 0);
        break;
    }
    }
    if (QTest::currentTestFailed())
        return;

    HelperCopy copy;
    copy.start(runtime.path());
    QVERIFY(copy.said("running"));

    HelperCopy later;
    later.start(runtime.path());
    if (guarded) {
        QVERIFY(later.endedWell());
        QVERIFY(copy.said("shown"));
    } else {
        QVERIFY(later.said("running"));
    }
}

void SingleInstanceTest::simultaneousStarts_data()
{
    QTest::addColumn<bool>("afterKilledCopy");

    QTest::newRow("clean folder") << false;
    QTest::newRow("after a killed copy") << true;
}

void SingleInstanceTest::simultaneousStarts()
{
    QFETCH(bool, afterKilledCopy);
    constexpr int copies = 4;

    QTemporaryDir runtime;
    if (afterKilledCopy) {
        killCopy(runtime);
        if (QTest::currentTestFailed())
            return;
    }
    std::vector<std::unique_ptr<HelperCopy>> started;
    for (int i = 0; i < copies; ++i) {
        started.push_back(std::make_unique<HelperCopy>());
        started.back()->start(runtime.path());
    }

    HelperCopy* running = nullptr;
    for (const auto& copy : started) {
        if (copy->said("running")) {
            QVERIFY2(!running, "two copies run");
            running = copy.get();
        } else {
            QVERIFY(copy->endedWell());
            QCOMPARE(copy->output, "handed over\n");
        }
    }
    QVERIFY2(running, "no copy runs");
    // Requests that arrive together may be answered by one raise.
    QVERIFY(running->said("shown"));
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_single_instance.moc"
