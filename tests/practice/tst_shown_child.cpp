// SPDX-License-Identifier: GPL-3.0-or-later
// Whose records a window shows: a child no longer there gives way to the
// child asked for instead, else to the first child; a child's records open
// on the kind asked for, or on their newest sheet's kind when they never
// did it, and stay on the kind asked for when nothing can be read.
#include "practice/shown_child.h"
#include "records/record_reader.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class ShownChildTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stillThere_data()
    {
        QTest::addColumn<QList<qint64>>("children");
        QTest::addColumn<qint64>("wanted");
        QTest::addColumn<qint64>("instead"); // 0: none
        QTest::addColumn<qint64>("shown"); // 0: none

        QTest::newRow("still there")
            << QList<qint64>{1, 2, 3} << qint64(2) << qint64(3) << qint64(2);
        QTest::newRow("removed: the child instead")
            << QList<qint64>{1, 3} << qint64(2) << qint64(3) << qint64(3);
        QTest::newRow("removed, and the child instead too: the first")
            << QList<qint64>{4, 1} << qint64(2) << qint64(3) << qint64(4);
        QTest::newRow("removed, none instead: the first")
            << QList<qint64>{5, 6} << qint64(2) << qint64(0) << qint64(5);
        QTest::newRow("no children") << QList<qint64>{} << qint64(2) << qint64(3) << qint64(0);
    }
    void stillThere()
    {
        QFETCH(QList<qint64>, children);
        QFETCH(qint64, wanted);
        QFETCH(qint64, instead);
        QFETCH(qint64, shown);
        QList<Child> all;
        for (const qint64 id : children)
            all.append(Child{.id = id, .name = u"child %1"_s.arg(id), .bestTimes = {}});
        QCOMPARE(childStillThere(all, wanted, instead ? std::optional(instead) : std::nullopt)
                     .value_or(0),
            shown);
    }

    void kindOpened_data()
    {
        QTest::addColumn<QList<Kind>>("sheets"); // oldest first
        QTest::addColumn<bool>("readable");
        QTest::addColumn<Kind>("wanted");
        QTest::addColumn<Kind>("opened");

        const QList<Kind> done = {Kind::Division, Kind::Addition, Kind::Subtraction};
        QTest::newRow("a kind done: as asked") << done << true << Kind::Division << Kind::Division;
        QTest::newRow("a kind never done: the newest sheet's")
            << done << true << Kind::Multiplication << Kind::Subtraction;
        QTest::newRow("no sheet yet: as asked")
            << QList<Kind>{} << true << Kind::Multiplication << Kind::Multiplication;
        QTest::newRow("unreadable: as asked")
            << done << false << Kind::Multiplication << Kind::Multiplication;
    }
    void kindOpened()
    {
        QFETCH(QList<Kind>, sheets);
        QFETCH(bool, readable);
        QFETCH(Kind, wanted);
        QFETCH(Kind, opened);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"records.sqlite"_s);
        {
            RecordStore written(path);
            QVERIFY(written.open());
            const QDateTime first(QDate(2026, 12, 1), QTime(16, 0));
            for (qsizetype n = 0; n < sheets.size(); ++n) {
                FinishedSheet sheet;
                sheet.sheet.kind = sheets[n];
                sheet.seconds = 90;
                sheet.finishedAt = first.addDays(n);
                QVERIFY(!written.add(sheet));
            }
        }
        RecordStore store(path);
        if (readable)
            QVERIFY(store.open());
        QCOMPARE(kindPractised(*localRecords(store), RecordStore::FirstChild, wanted), opened);
    }
};

QTEST_GUILESS_MAIN(ShownChildTest)
#include "tst_shown_child.moc"
