// SPDX-License-Identifier: GPL-3.0-or-later
// The practice's parts with a fake class link, no thread and no server:
// each failure told once a run, and the class server's only between sheets;
// a class roster taken between sheets only, an empty one told; and every
// command that changes the board, the child or the best times refused while
// a sheet is under way or its verdict unread.
#include "drill_player.h"
#include "fake_class_link.h"
#include "practice/classroom.h"
#include "practice/machine_practice.h"
#include "practice/practice.h"
#include "practice/records_access.h"
#include "practice/telling.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Failed)
Q_DECLARE_METATYPE(Drill::Phase)

namespace {

const QList<RosterChild> roster{{10, u"はなこ"_s, 1}, {11, u"たろう"_s, 2}};

QList<Failed> codes(const QSignalSpy& spy)
{
    QList<Failed> found;
    for (const QList<QVariant>& signal : spy)
        found.append(signal.first().value<Failure>().what);
    return found;
}

ClassConfig classThreeOne()
{
    ClassConfig config;
    config.server = u"server.school"_s;
    config.className = u"3-1"_s;
    config.login = u"room3_1"_s;
    return config;
}

// A machine's practice in `folder`, on `clock`, on a Monday morning.
PracticeSetup machineSetup(const QTemporaryDir& folder, ManualClock& clock)
{
    return {
        .settings = {folder.filePath(u"Varolin.ini"_s), true},
        .records = folder.filePath(u"records.sqlite"_s),
        .seed = 7,
        .monotonic = clock.function(),
        .now = [] { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)); },
    };
}

} // namespace

class PartsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toldOnce_data();
    void toldOnce();
    void rosterBetweenSheets_data();
    void rosterBetweenSheets();
    void classRosterDuringASheet();
    void betweenSheetsOnly_data();
    void betweenSheetsOnly();
};

void PartsTest::toldOnce_data()
{
    QTest::addColumn<QList<Failed>>("failures");
    QTest::addColumn<bool>("atRest");
    QTest::addColumn<QList<Failed>>("toldAtOnce");
    QTest::addColumn<QList<Failed>>("toldOnRelease");

    using F = QList<Failed>;
    QTest::newRow("twice: once") << F{Failed::SheetNotKept, Failed::SheetNotKept} << true
                                 << F{Failed::SheetNotKept} << F{};
    QTest::newRow("a file unusable, then not saved: one problem")
        << F{Failed::SettingsUnusable, Failed::SettingsNotSaved} << true
        << F{Failed::SettingsUnusable} << F{};
    QTest::newRow("the server refusing two ways: one")
        << F{Failed::LoginRefused, Failed::ServerAway, Failed::ClassUnknown} << true
        << F{Failed::LoginRefused, Failed::ClassUnknown} << F{};
    QTest::newRow("a damaged records file, each time")
        << F{Failed::RecordsMovedAside, Failed::RecordsMovedAside} << true
        << F{Failed::RecordsMovedAside, Failed::RecordsMovedAside} << F{};
    QTest::newRow("during a sheet: after it, in order, once")
        << F{Failed::ServerAway, Failed::SheetsRefused, Failed::NewerServer} << false << F{}
        << F{Failed::ServerAway, Failed::SheetsRefused};
}

void PartsTest::toldOnce()
{
    QFETCH(QList<Failed>, failures);
    QFETCH(bool, atRest);
    QFETCH(QList<Failed>, toldAtOnce);
    QFETCH(QList<Failed>, toldOnRelease);

    Telling telling;
    QSignalSpy told(&telling, &Telling::told);
    for (const Failed what : failures)
        telling.tell(Failure{what, u"/a/path"_s}, atRest);
    QCOMPARE(codes(told), toldAtOnce);
    told.clear();
    telling.release();
    QCOMPARE(codes(told), toldOnRelease);
    telling.release();
    QCOMPARE(codes(told), toldOnRelease);
}

void PartsTest::rosterBetweenSheets_data()
{
    QTest::addColumn<bool>("atRest");
    QTest::addColumn<QList<RosterChild>>("sent"); // the roster the server gives
    QTest::addColumn<int>("times"); // read this many times
    QTest::addColumn<int>("keptAtOnce");
    QTest::addColumn<int>("keptAfter"); // once the board is at rest
    QTest::addColumn<QList<Failed>>("failed");

    QTest::newRow("between sheets: kept") << true << roster << 1 << 1 << 1 << QList<Failed>{};
    QTest::newRow("during a sheet: kept after it")
        << false << roster << 1 << 0 << 1 << QList<Failed>{};
    QTest::newRow("read again unchanged: kept once")
        << true << roster << 3 << 1 << 1 << QList<Failed>{};
    QTest::newRow("none: the class is unknown, told")
        << true << QList<RosterChild>{} << 1 << 0 << 0 << QList<Failed>{Failed::ClassUnknown};
}

void PartsTest::rosterBetweenSheets()
{
    QFETCH(bool, atRest);
    QFETCH(QList<RosterChild>, sent);
    QFETCH(int, times);
    QFETCH(int, keptAtOnce);
    QFETCH(int, keptAfter);
    QFETCH(QList<Failed>, failed);

    QTemporaryDir folder;
    RecordsAccess records(folder.filePath(u"records.sqlite"_s));
    FakeClassLink link;
    Classroom classroom(classThreeOne(), link, records, [] { return QDateTime(); });
    QSignalSpy kept(&classroom, &Classroom::rosterKept);
    QSignalSpy told(&classroom, &Classroom::failed);
    QList<Failure> opening;
    QVERIFY(records.open(opening));
    classroom.storeOpened();
    classroom.storeOpened();
    QCOMPARE(link.starts, 1);
    classroom.setAtRest(atRest);

    for (int read = 0; read < times; ++read)
        Q_EMIT link.rosterRead(sent);
    QCOMPARE(kept.size(), keptAtOnce);
    classroom.setAtRest(true);
    QCOMPARE(kept.size(), keptAfter);
    QCOMPARE(codes(told), failed);
    if (keptAfter == 0)
        return;
    QCOMPARE(records.store()->rosterChildren(u"3-1"_s)->size(), sent.size());
    // Children linked just now may have sheets waiting: sent at once.
    QCOMPARE(link.sends, 1);
}

// A classroom machine whose roster comes while the first child is in a
// sheet: that sheet ends as theirs, and the roster's children come once its
// verdict was read, with the chooser once.
void PartsTest::classRosterDuringASheet()
{
    QTemporaryDir folder;
    ManualClock clock;
    FakeClassLink* link = nullptr;
    PracticeSetup setup = machineSetup(folder, clock);
    setup.classroom = classThreeOne();
    setup.makeLink = [&link](const ClassConfig&, const QString&) {
        auto fake = std::make_unique<FakeClassLink>();
        link = fake.get();
        return std::unique_ptr<ClassLink>(std::move(fake));
    };
    MachinePractice machine(std::move(setup));
    Practice& practice = machine.practice();
    QSignalSpy wanted(&practice, &Practice::chooserWanted);
    QCOMPARE(practice.startSheet(), Practice::Start::Started);
    QVERIFY(link);
    QCOMPARE(link->starts, 1);

    Q_EMIT link->rosterRead(roster);
    playSheet(practice.drill(), &clock);
    QCOMPARE(practice.drill().phase(), Drill::Phase::Finished);
    QCoreApplication::processEvents();
    QCOMPARE(practice.children().size(), 1);
    QCOMPARE(practice.sheetsWaiting(), std::optional<int>(1));
    QCOMPARE(link->sends, 1); // the sheet, while the verdict is read

    practice.verdictRead();
    QCOMPARE(practice.children().size(), 1); // not inside the drill's step
    QCoreApplication::processEvents();
    QCOMPARE(practice.children().size(), 2);
    QCOMPARE(wanted.size(), 1);
    QCOMPARE(practice.sheetCount(RecordStore::FirstChild), 1);
}

void PartsTest::betweenSheetsOnly_data()
{
    QTest::addColumn<Drill::Phase>("phase");
    QTest::newRow("a sheet under way") << Drill::Phase::Running;
    QTest::newRow("the stop question open") << Drill::Phase::Paused;
    QTest::newRow("the verdict unread") << Drill::Phase::Finished;
}

void PartsTest::betweenSheetsOnly()
{
    QFETCH(Drill::Phase, phase);

    QTemporaryDir folder;
    ManualClock clock;
    MachinePractice machine(machineSetup(folder, clock));
    Practice& practice = machine.practice();
    QVERIFY(practice.openRecords());
    QCOMPARE(practice.addChild(u"さくら"_s).value(), ChildName::Problem::None);
    const qint64 sakura = practice.children().last().id;
    QVERIFY(practice.chooseChild(sakura));
    // A best time to keep.
    playSheet(practice.drill(), &clock, 100);
    practice.verdictRead();
    const BestTimes kept = practice.bestTimes();
    QVERIFY(kept != BestTimes());

    QCOMPARE(practice.startSheet(), Practice::Start::Started);
    if (phase == Drill::Phase::Paused)
        QVERIFY(practice.askStop());
    if (phase == Drill::Phase::Finished)
        playSheet(practice.drill(), &clock, 100);
    QCOMPARE(practice.drill().phase(), phase);
    const Sheet sheet = practice.drill().sheet();
    QSignalSpy wanted(&practice, &Practice::chooserWanted);

    QVERIFY(!practice.betweenSheets());
    QVERIFY(!practice.clearBestTimes());
    QVERIFY(!practice.chooseChild(RecordStore::FirstChild));
    QCOMPARE(practice.startSheet(), Practice::Start::NotNow);
    practice.switchKind();
    practice.newNumbers();
    practice.askForChooser();
    QCOMPARE(practice.bestTimes(), kept);
    QCOMPARE(practice.child().id, sakura);
    QCOMPARE(practice.drill().sheet(), sheet);
    QCOMPARE(practice.drill().phase(), phase);
    QCOMPARE(wanted.size(), 0);

    // Once the sheet is over, each may happen.
    if (practice.askStop())
        practice.answerStop(true);
    practice.verdictRead();
    QVERIFY(practice.betweenSheets());
    QVERIFY(practice.chooseChild(RecordStore::FirstChild));
}

QTEST_GUILESS_MAIN(PartsTest)
#include "tst_parts.moc"
