// SPDX-License-Identifier: GPL-3.0-or-later
// A classroom machine with the class.ini and password file that
// varolin-class-admin wrote (class_admin_test.sh runs it): it reads the
// roster over TLS with the drawn password and sends a sheet as the
// roster's child, with nothing refused.
#include "class/class_config.h"
#include "class/class_sender.h"
#include "records/record_store.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class ClassAdminMachine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sendsWithTheWrittenConfiguration()
    {
        const Outcome<ClassConfig> config
            = readClassConfig(qEnvironmentVariable("VAROLIN_TEST_CLASS_INI"));
        QVERIFY2(config, config ? "" : qPrintable(failureLog(config.failure())));
        QTemporaryDir home;
        const QString records = home.filePath(u"records.sqlite"_s);
        RecordStore store(records);
        QVERIFY(store.open());
        ClassSender sender(*config, records);
        QSignalSpy roster(&sender, &ClassSender::rosterRead);
        QSignalSpy problems(&sender, &ClassSender::problem);
        sender.start();
        QTRY_VERIFY_WITH_TIMEOUT(!roster.isEmpty() || !problems.isEmpty(), 10000);
        QVERIFY2(problems.isEmpty(),
            qPrintable(failureLog(problems.value(0).value(0).value<Failure>())));
        const auto children = roster.first().first().value<QList<RosterChild>>();
        const QString name = qEnvironmentVariable("VAROLIN_TEST_CHILD");
        const auto child = std::find_if(children.begin(), children.end(),
            [&](const RosterChild& each) { return each.name == name; });
        QVERIFY2(child != children.end(), qPrintable(name));

        FinishedSheet sheet;
        sheet.sheet.kind = Kind::Multiplication;
        sheet.seconds = 61;
        // A whole board: nine columns of nine rows.
        for (int cell = 0; cell < 90; ++cell) {
            if (cell % 10 != 9)
                sheet.cells.push_back({cell, 3, 4, 12, 700, 0});
        }
        sheet.finishedAt = QDateTime::currentDateTime();
        QVERIFY(!store.keepRoster(config->className, children));
        const QList<Child> kept = store.rosterChildren(config->className).value_or(QList<Child>());
        const auto pupil = std::find_if(
            kept.begin(), kept.end(), [&](const Child& each) { return each.name == name; });
        QVERIFY(pupil != kept.end());
        QVERIFY(!store.add(sheet, pupil->id, RecordStore::Send::ToClass));
        sender.sendWaiting();
        QTRY_COMPARE_WITH_TIMEOUT(store.waitingCount(), std::optional<int>(0), 10000);
        QVERIFY2(problems.isEmpty(),
            qPrintable(failureLog(problems.value(0).value(0).value<Failure>())));
    }
};

QTEST_GUILESS_MAIN(ClassAdminMachine)
#include "class_admin_machine.moc"
