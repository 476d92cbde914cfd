// SPDX-License-Identifier: GPL-3.0-or-later
// What a finished sheet leaves behind before the child reads the verdict:
// the sheet in the record store and a new best time in the settings file.
// A store or a settings file that cannot be used never stops the drill; the
// user is told once a run, naming the file.
#include "records/record_store.h"
#include "sheet_player.h"
#include "window_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

using namespace Qt::StringLiterals;

class FilingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sheetStoredBeforeTheVerdict();
    void damagedStoreIsMovedAside();
    void failedSaveToldOnce();
};

void FilingTest::sheetStoredBeforeTheVerdict()
{
    WindowFixture fixture;
    fixture.writeFile(u"Varolin.ini"_s, "[Parameter]\r\nT_MinTM=300\r\n");
    fixture.make();
    int storedWhileShown = -1;
    FinishedSheet stored;
    fixture.desktop.onMessage = [&](const Desktop::Message&) {
        RecordStore store(RecordStore::defaultPath());
        QVERIFY(store.open());
        storedWhileShown = store.count().value_or(-1);
        const QList<StoredSheet> sheets = store.sheets().value_or(QList<StoredSheet>{});
        QCOMPARE(sheets.size(), 1);
        stored = store.sheet(sheets[0].id).value_or(std::nullopt).value_or(FinishedSheet{});
    };
    QVERIFY(SheetPlayer::playSheet(fixture, nullptr, 120));
    QCOMPARE(storedWhileShown, 1);
    QCOMPARE(stored.kind(), Kind::Addition);
    QCOMPARE(stored.seconds, 12);
    QVERIFY(stored.record);
    QCOMPARE(stored.finishedAt, fixture.desktop.clock);
    QCOMPARE(int(stored.cells.size()), 100);
    QCOMPARE(stored.cells[5].milliseconds, 120);
}

void FilingTest::damagedStoreIsMovedAside()
{
    WindowFixture fixture;
    const QString path = RecordStore::defaultPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();

    fixture.make();
    QVERIFY(SheetPlayer::playSheet(fixture));
    QVERIFY(SheetPlayer::playSheet(fixture));
    // One warning for the damaged file, then the two verdicts.
    QCOMPARE(fixture.desktop.shown.size(), 3);
    const Desktop::Message& warning = fixture.desktop.shown[0].message;
    QCOMPARE(warning.icon, Desktop::Icon::Warning);
    QVERIFY(warning.prompt.contains(u".damaged-"_s));
    RecordStore store(path);
    QVERIFY(store.open());
    QCOMPARE(store.count(), 2);
    const QStringList aside = QFileInfo(path).dir().entryList({u"*.damaged-*"_s});
    QCOMPARE(aside.size(), 1);
}

void FilingTest::failedSaveToldOnce()
{
    // A file in UTF-16 is one the program reads but never writes into.
    WindowFixture fixture;
    QByteArray utf16("\xff\xfe");
    for (const char c : QByteArray("[Parameter]\r\nT_MinTM=900\r\n"))
        utf16 += QByteArray(1, c) + '\0';
    fixture.writeFile(u"Varolin.ini"_s, utf16);
    fixture.make();
    QVERIFY(SheetPlayer::playSheet(fixture, nullptr, 100));
    QVERIFY(SheetPlayer::playSheet(fixture, nullptr, 50));

    QList<Desktop::Message> warnings;
    for (const FakeDesktop::Shown& shown : fixture.desktop.shown) {
        if (shown.message.icon == Desktop::Icon::Warning)
            warnings.append(shown.message);
    }
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings[0].prompt.contains(fixture.path(u"Varolin.ini"_s)));
    QCOMPARE(warnings[0].buttons, Desktop::Buttons::Ok);
    // Two records, one box each, and the file as it was.
    QCOMPARE(fixture.desktop.shown.size(), 3);
    QCOMPARE(fixture.readFile(u"Varolin.ini"_s), utf16);
}

QTEST_MAIN(FilingTest)
#include "tst_filing.moc"
