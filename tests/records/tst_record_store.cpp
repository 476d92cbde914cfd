// Every finished sheet is kept and read back as it was stored.
#include "records/record_store.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class RecordStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void smoke()
    {
        QTemporaryDir dir;
        RecordStore store(dir.filePath(u"a/b/records.sqlite"_s));
        QVERIFY(store.open());
        FinishedSheet s;
        s.sheet.kind = Kind::Multiplication;
        s.seconds = 77;
        s.finishedAt = QDateTime::fromString(u"2026-12-07T19:30:05+09:00"_s, Qt::ISODate);
        s.cells.push_back({3, 7, 8, 56, 1234, 1});
        s.cells.push_back({4, 7, 8, 56, 70000, 0});
        QVERIFY(store.add(s));
        QCOMPARE(store.count(), 1);
        auto list = store.sheets();
        QCOMPARE(list.size(), 1);
        qDebug() << list[0].finishedAt << store.csv();
        auto f = store.facts(Kind::Multiplication);
        QCOMPARE(f.size(), 1);
        QCOMPARE(f[0].answers, 2);
        QCOMPARE(f[0].averageMilliseconds, 35617.0);
        QCOMPARE(f[0].wrongDigits, 1);
        auto back = store.sheet(list[0].id);
        QVERIFY(back);
        QCOMPARE(back->cells, s.cells);
        QCOMPARE(store.dailyBest(Kind::Multiplication).size(), 1);
        QCOMPARE(store.practiceDays(QDate(2026, 12, 1), QDate(2026, 12, 31)).size(), 1);
        QVERIFY(store.clear());
        QCOMPARE(store.count(), 0);
    }
};

QTEST_GUILESS_MAIN(RecordStoreTest)
#include "tst_record_store.moc"
