// SPDX-License-Identifier: GPL-3.0-or-later
// What a finished sheet means, with no window: the verdict against the best
// time of its kind, a record saved the moment it is made, every sheet stored
// before the child is told, clearing and ending that keep what they must, and
// each problem with the files told once a run while the drill goes on.
#include "drill_player.h"
#include "fake_class_link.h"
#include "practice/machine_practice.h"
#include "practice/practice.h"
#include "records/record_store.h"
#include "scores/time_text.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <string>

using namespace Qt::StringLiterals;
Q_DECLARE_METATYPE(Failed)
Q_DECLARE_METATYPE(ChildName::Problem)

namespace {

const QStringList bestKeys{u"T_MinTM"_s, u"H_MinTM"_s, u"K_MonTM"_s, u"W_MinTM"_s};
const QStringList kindNames{u"たしざん"_s, u"ひきざん"_s, u"かけざん"_s, u"わりざん"_s};

// A file of an earlier run: best times that differ from each other and from
// anything the program writes by itself.
QByteArray settingsFile(int kind, std::array<int, 4> best = {111, 222, 333, 444})
{
    return u"[General]\r\nWin_Top=300\r\nWin_Lft=1350\r\n[Parameter]\r\n"
           "T_MinTM=%1\r\nH_MinTM=%2\r\nK_MonTM=%3\r\nCalc_Md=%5\r\nLimTM=300\r\nW_MinTM=%4\r\n"_s
               .arg(best[0])
               .arg(best[1])
               .arg(best[2])
               .arg(best[3])
               .arg(kind)
               .toLatin1();
}

// A file the program reads but never writes into.
QByteArray utf16File()
{
    QByteArray utf16("\xff\xfe");
    for (const char c : QByteArray("[Parameter]\r\nT_MinTM=900\r\n"))
        utf16 += QByteArray(1, c) + '\0';
    return utf16;
}

int iniValue(const QByteArray& file, const QString& key)
{
    const QRegularExpressionMatch match = QRegularExpression(u"\\b"_s + key + u"=(-?\\d+)\\r\\n"_s)
                                              .match(QString::fromLatin1(file));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// A practice on files of a temporary folder, a clock the test moves, and
// everything it reports collected.
struct Fixture
{
    QTemporaryDir folder;
    ManualClock clock;
    QDateTime now{QDate(2025, 2, 10), QTime(9, 30)};
    QPoint windowTwips{2250, 600};
    QString recordsName = u"records.sqlite"_s;
    std::unique_ptr<MachinePractice> machine;
    Practice* practice = nullptr;
    FakeClassLink* link = nullptr;
    QList<Failure> told;
    QList<Practice::SheetResult> results;
    std::optional<ClassConfig> classroom;

    QString path(const QString& name) const { return folder.filePath(name); }
    void write(const QString& name, const QByteArray& contents) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
    }
    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    Practice& make()
    {
        told.clear();
        results.clear();
        machine.reset();
        link = nullptr;
        machine = std::make_unique<MachinePractice>(PracticeSetup{
            .settings = {path(u"Varolin.ini"_s), true},
            .records = path(recordsName),
            .seed = 20250210,
            .monotonic = clock.function(),
            .now = [this] { return now; },
            .unsavedNote = path(u"settings-not-saved"_s),
            .classroom = classroom,
            .startTwips = QPoint(1350, 300),
            .makeLink =
                [this](const ClassConfig&, const QString&) {
                    auto fake = std::make_unique<FakeClassLink>();
                    link = fake.get();
                    return std::unique_ptr<ClassLink>(std::move(fake));
                },
        });
        practice = &machine->practice();
        practice->setWindowPlace([this] { return windowTwips; });
        QObject::connect(
            practice, &Practice::failed, [this](const Failure& failure) { told.append(failure); });
        QObject::connect(
            practice, &Practice::sheetFiled, [this](const Practice::SheetResult& result) {
                results.append(result);
                told.append(result.failures);
                // As the window does once the verdict was read.
                practice->verdictRead();
            });
        return *practice;
    }

    // Plays one sheet of the kind on the board; its cells answered in
    // `perAnswer` milliseconds each.
    bool play(int perAnswer = 100)
    {
        const qsizetype before = results.size();
        playSheet(practice->drill(), &clock, perAnswer);
        return results.size() == before + 1;
    }

    QList<Failed> problems() const
    {
        QList<Failed> found;
        for (const Failure& failure : told)
            found.append(failure.what);
        return found;
    }
};

int storedSheets(const QString& path)
{
    RecordStore store(path);
    return store.open() ? store.count().value_or(-1) : -1;
}

} // namespace

class PracticeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void finishedSheet_data();
    void finishedSheet();
    void clearBestTimes();
    void longSession();
    void problemsToldOnce_data();
    void problemsToldOnce();
    void endWithoutQuestion_data();
    void endWithoutQuestion();
    void childrenKeptApart();
    void whoPractises();
    void names_data();
    void names();
};

void PracticeTest::finishedSheet_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("best"); // of the kind played
    QTest::addColumn<int>("perAnswer"); // milliseconds for each answer
    QTest::addColumn<int>("seconds"); // the sheet's time
    QTest::addColumn<QString>("title");

    // 100 cells at 100 ms are 10 s; 81 cells at 100 ms are 8 s.
    QTest::newRow("addition record") << 0 << 600 << 100 << 10 << u"きろくこうしん！！"_s;
    QTest::newRow("subtraction record") << 1 << 11 << 100 << 10 << u"きろくこうしん！！"_s;
    QTest::newRow("multiplication record") << 2 << 598 << 100 << 8 << u"きろくこうしん！！"_s;
    QTest::newRow("division record") << 3 << 9 << 100 << 8 << u"きろくこうしん！！"_s;
    QTest::newRow("addition, the best time itself") << 0 << 10 << 100 << 10 << u"おしい！"_s;
    // 81 cells at 123 ms are 9 s.
    QTest::newRow("division, eight seconds slower") << 3 << 1 << 123 << 9 << u"おしい！"_s;
    // 100 cells at 150 ms are 15 s.
    QTest::newRow("subtraction, ten seconds slower") << 1 << 5 << 150 << 15 << u"ざんねん"_s;
    // The file keeps none yet as 600: a sheet must be faster than ten
    // minutes to set the first best time, and the file keeps 600 until then.
    QTest::newRow("addition, ten minutes with none yet")
        << 0 << 600 << 6000 << 600 << u"おしい！"_s;
    QTest::newRow("division, ten minutes and ten seconds with none yet")
        << 3 << 600 << 7531 << 610 << u"ざんねん"_s;
}

void PracticeTest::finishedSheet()
{
    QFETCH(int, kind);
    QFETCH(int, best);
    QFETCH(int, perAnswer);
    QFETCH(int, seconds);
    QFETCH(QString, title);

    Fixture fixture;
    std::array<int, 4> kept{111, 222, 333, 444};
    kept[kind] = best;
    const QByteArray file = settingsFile(kind, kept);
    fixture.write(u"Varolin.ini"_s, file);
    Practice& practice = fixture.make();
    QCOMPARE(practice.bestTime(), best);

    // What is kept by the time the child is told.
    QByteArray fileWhenTold;
    QList<StoredSheet> storedWhenTold;
    QObject::connect(&practice, &Practice::sheetFiled, [&] {
        fileWhenTold = fixture.read(u"Varolin.ini"_s);
        RecordStore store(fixture.path(u"records.sqlite"_s));
        QVERIFY(store.open());
        storedWhenTold = store.sheets().value_or(QList<StoredSheet>{});
    });
    QVERIFY(fixture.play(perAnswer));

    const Practice::SheetResult& result = fixture.results.first();
    const bool record = seconds < best;
    const QString time = shortText(seconds);
    QCOMPARE(result.message.title, title);
    QCOMPARE(result.message.clipboard, u"[%1]%2"_s.arg(kindNames[kind], time));
    QVERIFY(result.message.prompt.startsWith(time + u"でした。"_s));
    QCOMPARE(result.bestSeconds, record ? seconds : best);
    QCOMPARE(practice.bestTime(), result.bestSeconds);
    QVERIFY(result.failures.isEmpty());

    QCOMPARE(storedWhenTold.size(), 1);
    QCOMPARE(storedWhenTold[0].seconds, seconds);
    QCOMPARE(storedWhenTold[0].record, record);
    QCOMPARE(storedWhenTold[0].finishedAt, fixture.now);
    if (record) {
        for (int other = 0; other < 4; ++other)
            QCOMPARE(
                iniValue(fileWhenTold, bestKeys[other]), other == kind ? seconds : kept[other]);
        QCOMPARE(iniValue(fileWhenTold, u"Calc_Md"_s), kind);
        QCOMPARE(iniValue(fileWhenTold, u"LimTM"_s), 300);
    } else {
        QCOMPARE(fileWhenTold, file);
    }
}

void PracticeTest::clearBestTimes()
{
    Fixture fixture;
    fixture.write(u"Varolin.ini"_s, settingsFile(2));
    Practice& practice = fixture.make();
    QSignalSpy changed(&practice, &Practice::bestTimesChanged);
    // The window has moved since start-up; the file learns where it is now.
    fixture.windowTwips = QPoint(2250, 600);

    practice.clearBestTimes();

    QCOMPARE(changed.size(), 1);
    QCOMPARE(fixture.read(u"Varolin.ini"_s),
        QByteArray("[General]\r\nWin_Top=600\r\nWin_Lft=2250\r\n[Parameter]\r\n"
                   "T_MinTM=600\r\nH_MinTM=600\r\nK_MonTM=600\r\nCalc_Md=2\r\n"
                   "LimTM=600\r\nW_MinTM=600\r\n"));
    QCOMPARE(practice.settings().bestTimes, BestTimes());
    // The next sheet of any kind is a record again.
    QVERIFY(fixture.play());
    QCOMPARE(fixture.results[0].message.verdict, Verdict::Record);
}

// A long session: a hundred sheets of all four kinds, back to back. Every
// sheet ends after its cells and is stored, the best times come out as the
// fastest sheets, and what the end saves reads back in a new run. (Whether
// memory creeps over such a session is bench/bench_long_session's figure.)
void PracticeTest::longSession()
{
    constexpr int Sheets = 100;
    Fixture fixture;
    fixture.write(u"Varolin.ini"_s, settingsFile(0));
    Practice& practice = fixture.make();

    std::array<int, 4> fastest = {111, 222, 333, 444};
    for (int sheet = 0; sheet < Sheets; ++sheet) {
        const int kind = sheet % 4;
        QCOMPARE(kindNumber(practice.drill().kind()), kind);
        const QList<int> answered
            = playSheet(practice.drill(), &fixture.clock, 60 + sheet * 37 % 90);
        QCOMPARE(answered.size(), kind < 2 ? 100 : 81);
        QCOMPARE(fixture.results.size(), sheet + 1);
        fastest[kind] = std::min(fastest[kind], practice.drill().elapsedSeconds());
        practice.switchKind();
    }
    QVERIFY(fixture.told.isEmpty());
    QCOMPARE(storedSheets(fixture.path(u"records.sqlite"_s)), Sheets);

    practice.switchKind();
    QVERIFY(practice.end());

    // A new run shows the best times and the kind the end saved.
    fixture.make();
    QCOMPARE(fixture.practice->drill().kind(), Kind::Subtraction);
    for (const Kind kind : AllKinds)
        QCOMPARE(fixture.practice->settings().bestTimes.of(kind), fastest[kindNumber(kind)]);
}

void PracticeTest::problemsToldOnce_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QByteArray>("records"); // what stands where the records go
    QTest::addColumn<QList<Failed>>("problems");
    QTest::addColumn<int>("kept"); // sheets stored of the three played

    const QByteArray usual = settingsFile(0, {600, 600, 600, 600});
    // Every sheet is a record, and every save fails.
    QTest::newRow("settings file in UTF-16")
        << utf16File() << QByteArray() << QList<Failed>{Failed::SettingsNotSaved} << 3;
    QTest::newRow("damaged records file")
        << usual << QByteArray(4096, 'x') << QList<Failed>{Failed::RecordsMovedAside} << 3;
    // A file where the records' folder should be, taken away after two
    // sheets: the store is tried again and the third sheet is kept.
    QTest::newRow("records folder blocked, then free")
        << usual << QByteArray("blocker") << QList<Failed>{Failed::SheetNotKept} << 1;
}

void PracticeTest::problemsToldOnce()
{
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, records);
    QFETCH(QList<Failed>, problems);
    QFETCH(int, kept);

    Fixture fixture;
    fixture.write(u"Varolin.ini"_s, settings);
    const bool blocked = records == "blocker";
    if (blocked) {
        fixture.write(u"folder"_s, records);
        fixture.recordsName = u"folder/records.sqlite"_s;
    } else if (!records.isEmpty()) {
        fixture.write(u"records.sqlite"_s, records);
    }
    Practice& practice = fixture.make();

    QVERIFY(fixture.play(100));
    QVERIFY(fixture.play(50));
    if (blocked)
        QVERIFY(QFile::remove(fixture.path(u"folder"_s)));
    QVERIFY(fixture.play(20));

    QCOMPARE(fixture.problems(), problems);
    // The file concerned is named.
    const QString named = fixture.told[0].path;
    QVERIFY2(named.startsWith(fixture.folder.path()), qPrintable(named));
    QCOMPARE(practice.sheetsNotKept(), 3 - kept);
    QCOMPARE(storedSheets(fixture.path(fixture.recordsName)), kept);
    if (settings == utf16File())
        QCOMPARE(fixture.read(u"Varolin.ini"_s), settings);
}

void PracticeTest::endWithoutQuestion_data()
{
    QTest::addColumn<bool>("ending"); // or a logout that may still be cancelled
    QTest::newRow("the session quits") << true;
    QTest::newRow("a logout asks to keep the data") << false;
}

void PracticeTest::endWithoutQuestion()
{
    QFETCH(bool, ending);
    Fixture fixture;
    fixture.write(u"Varolin.ini"_s, utf16File());
    Practice& practice = fixture.make();
    practice.drill().start();
    practice.drill().typeText(QString::number(shownAnswer(practice.drill())));

    if (ending)
        practice.endWithoutQuestion();
    else
        practice.keepWithoutQuestion();

    // Given up like a stop when ending; a logout the user may yet cancel
    // leaves the sheet under way. The failed save is not told now, with
    // nobody to answer a box.
    QCOMPARE(practice.drill().phase(), ending ? Drill::Phase::Idle : Drill::Phase::Running);
    QCOMPARE(practice.drill().openCell(), ending ? Drill::NoCell : 1);
    QVERIFY(fixture.told.isEmpty());
    QCOMPARE(storedSheets(fixture.path(u"records.sqlite"_s)), 0);

    // The next start tells it, once.
    fixture.make().startUp();
    QCOMPARE(fixture.problems(), QList<Failed>{Failed::SettingsNotSavedLastTime});
    QCOMPARE(fixture.told[0].path, fixture.path(u"Varolin.ini"_s));
    fixture.make().startUp();
    QVERIFY(fixture.told.isEmpty());
}

// Two children on one computer: each sheet is the child's at the board and is
// judged against that child's best times; the first child's stay in the
// settings file, byte for byte as one child leaves it, the others' in the
// records, and a new run finds them all and the child of last time.
void PracticeTest::childrenKeptApart()
{
    Fixture fixture;
    const QByteArray file = settingsFile(0);
    fixture.write(u"Varolin.ini"_s, file);
    Practice& practice = fixture.make();
    QVERIFY(practice.openRecords());
    QVERIFY(!practice.hasSeveralChildren());
    QCOMPARE(practice.addChild(u"さくら"_s).value(), ChildName::Problem::None);
    QVERIFY(practice.hasSeveralChildren());
    const qint64 sakura = practice.children().at(1).id;

    QVERIFY(practice.chooseChild(sakura));
    QCOMPARE(practice.bestTime(), 600);
    practice.switchKind();
    // Subtraction, 300 s: her first record, though slower than the first
    // child's 222.
    QVERIFY(fixture.play(3000));
    QCOMPARE(fixture.results[0].message.verdict, Verdict::Record);
    QCOMPARE(fixture.results[0].bestSeconds, 300);
    QCOMPARE(fixture.read(u"Varolin.ini"_s), file);

    QVERIFY(practice.chooseChild(RecordStore::FirstChild));
    QCOMPARE(practice.drill().kind(), Kind::Addition);
    QCOMPARE(practice.bestTime(), 111);
    QVERIFY(fixture.play(150)); // addition, 15 s against 111
    QCOMPARE(fixture.results[1].bestSeconds, 15);
    QCOMPARE(iniValue(fixture.read(u"Varolin.ini"_s), u"T_MinTM"_s), 15);
    QVERIFY(practice.chooseChild(sakura));
    QVERIFY(practice.end());

    QCOMPARE(practice.sheetCount(RecordStore::FirstChild), 1);
    QCOMPARE(practice.sheetCount(sakura), 1);
    // The file keeps the first child's kind, whoever practised last.
    QCOMPARE(iniValue(fixture.read(u"Varolin.ini"_s), u"Calc_Md"_s), 0);

    Practice& next = fixture.make();
    QVERIFY(next.openRecords());
    QCOMPARE(next.lastChild(), sakura);
    QCOMPARE(next.child().id, RecordStore::FirstChild);
    QCOMPARE(next.bestTime(), 15);
    QVERIFY(next.chooseChild(sakura));
    QCOMPARE(next.drill().kind(), Kind::Subtraction);
    QCOMPARE(next.bestTimes(), BestTimes({std::nullopt, 300, std::nullopt, std::nullopt}));
    // Clearing is hers alone.
    next.clearBestTimes();
    QCOMPARE(next.bestTimes(), BestTimes());
    QVERIFY(next.chooseChild(RecordStore::FirstChild));
    QCOMPARE(next.bestTime(), 15);

    // In a class whose roster lists the first child second (its server is
    // away), a record of the first child is the first child's alone.
    {
        RecordStore store(fixture.path(fixture.recordsName));
        QVERIFY(store.open());
        QVERIFY(!store.keepRoster(u"3-1"_s, {{10, u"さくら"_s}, {11, u"ひとりめ"_s}}));
    }
    fixture.classroom = ClassConfig();
    fixture.classroom->server = fixture.path(u"no-server"_s);
    fixture.classroom->className = u"3-1"_s;
    fixture.classroom->passwordFile = fixture.path(u"Varolin.ini"_s);
    Practice& inClass = fixture.make();
    QVERIFY(inClass.openRecords());
    QCOMPARE(inClass.children().at(1).id, RecordStore::FirstChild);
    QVERIFY(inClass.chooseChild(RecordStore::FirstChild));
    QVERIFY(fixture.play(100)); // addition, 10 s against 15
    QCOMPARE(fixture.results[0].bestSeconds, 10);
    QVERIFY(inClass.chooseChild(sakura));
    QCOMPARE(inClass.bestTimes(), BestTimes());
    // The sheet waits for the class, the first child's roster child, and
    // stays when her records are cleared; the sheet of before goes.
    QCOMPARE(inClass.sheetsWaiting(), std::optional<int>(1));
    QCOMPARE(inClass.clearRecords(RecordStore::FirstChild), std::optional<int>(1));
    QCOMPARE(inClass.sheetsWaiting(), std::optional<int>(1));
    // The roster is the teacher's, and so is clearing; a classmate's
    // records are not shown.
    QVERIFY(!inClass.recordsClearable());
    QCOMPARE(inClass.childrenWithRecordsShown(), QList<Child>{inClass.child()});
    QVERIFY(!inClass.canRemove(sakura));
    // The class's roster is the teacher's: a name is not stored here.
    QVERIFY(!inClass.addChild(u"たろう"_s));
}

// Who practises is asked between sheets only: at the first sheet when the
// records bring children this run did not know of (instead of starting), at
// start-up once several are known, and when asked for. Neither the first
// child nor the child at the board can be removed.
void PracticeTest::whoPractises()
{
    Fixture fixture;
    {
        RecordStore store(fixture.path(fixture.recordsName));
        QVERIFY(store.open());
        QVERIFY(store.addChild(u"さくら"_s));
    }
    Practice& practice = fixture.make();
    QSignalSpy wanted(&practice, &Practice::chooserWanted);
    practice.startUp();
    QCOMPARE(wanted.size(), 0);
    QCOMPARE(practice.startSheet(), Practice::Start::ChooseChild);
    QCOMPARE(wanted.size(), 1);
    QCOMPARE(practice.drill().phase(), Drill::Phase::Idle);

    const qint64 sakura = practice.children().at(1).id;
    QCOMPARE(practice.removableChildren(), QList<Child>{practice.children().at(1)});
    QVERIFY(practice.chooseChild(sakura));
    QVERIFY(!practice.canRemove(sakura));
    QVERIFY(!practice.canRemove(RecordStore::FirstChild));
    QVERIFY(!practice.removeChild(sakura));
    QCOMPARE(practice.startSheet(), Practice::Start::Started);
    QCOMPARE(practice.drill().phase(), Drill::Phase::Running);
    practice.askForChooser();
    QCOMPARE(wanted.size(), 1);

    Practice& next = fixture.make();
    QSignalSpy atStart(&next, &Practice::chooserWanted);
    next.startUp();
    QCOMPARE(atStart.size(), 1);
    // The board shows the child the chooser offers while it is open.
    QCOMPARE(next.child().id, sakura);
}

void PracticeTest::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<ChildName::Problem>("problem");
    QTest::addColumn<QString>("kept");

    using P = ChildName::Problem;
    QTest::newRow("empty") << QString() << P::Empty << QString();
    QTest::newRow("spaces only, full-width too") << u" \u3000\t "_s << P::Empty << QString();
    QTest::newRow("spaces trimmed") << u"  たろう "_s << P::None << u"たろう"_s;
    QTest::newRow("a line break in the middle") << u"た\nろう"_s << P::None << u"た ろう"_s;
    QTest::newRow("taken") << u"さくら"_s << P::Taken << QString();
    QTest::newRow("taken, with spaces") << u" さくら　"_s << P::Taken << QString();
    QTest::newRow("twenty characters") << u"あいうえおかきくけこさしすせそたちつてと"_s << P::None
                                       << u"あいうえおかきくけこさしすせそたちつてと"_s;
    QTest::newRow("twenty-one characters")
        << u"あいうえおかきくけこさしすせそたちつてとな"_s << P::TooLong << QString();
    // Each flag is two code points, one character to a reader.
    QTest::newRow("twenty flags") << QString(u"🇯🇵"_s).repeated(20) << P::None
                                  << QString(u"🇯🇵"_s).repeated(20);
    QTest::newRow("Chinese and Latin") << u"李 Anna"_s << P::None << u"李 Anna"_s;
}

void PracticeTest::names()
{
    QFETCH(QString, name);
    QFETCH(ChildName::Problem, problem);
    QFETCH(QString, kept);

    Fixture fixture;
    Practice& practice = fixture.make();
    QVERIFY(practice.openRecords());
    QCOMPARE(practice.addChild(u"さくら"_s).value(), ChildName::Problem::None);
    QCOMPARE(practice.addChild(name).value(), problem);
    if (problem != ChildName::Problem::None) {
        QCOMPARE(practice.children().size(), 2);
        return;
    }
    QCOMPARE(practice.children().last().name, kept);
    // Renaming takes the same rule, and a child may keep their own name.
    const qint64 added = practice.children().last().id;
    QCOMPARE(practice.renameChild(added, kept).value(), ChildName::Problem::None);
    QCOMPARE(practice.renameChild(added, u"さくら"_s).value(), ChildName::Problem::Taken);
}

QTEST_GUILESS_MAIN(PracticeTest)
#include "tst_practice.moc"
