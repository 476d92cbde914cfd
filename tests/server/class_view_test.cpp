// SPDX-License-Identifier: GPL-3.0-or-later
// The teacher's class view against a real server (class_view_test.sh starts
// it): each child's practice days per week, latest and best time and trend;
// the class's weak facts over each child's last ten sheets; each child's
// count of facts known by heart and the class's map of them as a machine
// counts the same sheets; the class's monthly reports as one PDF; a child's
// records read from the server equal to the same sheets read from a
// machine's store; the roster's edits; a teacher sees their own classes
// only; varolin --class tells why it cannot open. The view never waits for
// the server: its event loop answers while the server is silent, each part
// says 「よみこみちゅう…」 until its answer, and the commands wait for it.
#include "../printing/pdf_tools.h"
#include "app/class_roster.h"
#include "app/class_start.h"
#include "app/class_view.h"
#include "app/records_window.h"
#include "class/class_records.h"
#include "drill/kind_text.h"
#include "fake_desktop.h"
#include "named_control.h"
#include "records/month_records.h"
#include "records/record_schema.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <signal.h>

using namespace Qt::StringLiterals;

namespace {

// "2026-12-06T23:30:00+09:00" with its offset.
QDateTime at(const QString& iso)
{
    return QDateTime::fromString(iso, Qt::ISODate);
}

// A sheet of `kind` whose answered cells are `cells` (left, top, milliseconds,
// wrong digits).
FinishedSheet sheetOf(const QString& iso, Kind kind, int seconds,
    const QList<std::array<int, 4>>& cells = {}, int wrongDigits = 0, bool record = false)
{
    FinishedSheet sheet;
    sheet.sheet.kind = kind;
    for (int row = 0; row < 10; ++row) {
        sheet.sheet.rows[row] = row + 1;
        for (int column = 0; column < 10; ++column)
            sheet.sheet.columns[row][column] = column + 10;
    }
    int cell = 0;
    for (const auto& [left, top, milliseconds, wrong] : cells)
        sheet.cells.push_back({cell++, left, top, left + top, milliseconds, wrong});
    sheet.finishedAt = at(iso);
    sheet.seconds = seconds;
    sheet.wrongDigits = wrongDigits;
    sheet.record = record;
    return sheet;
}

QSqlDatabase admin()
{
    return QSqlDatabase::database(u"admin"_s);
}

QVariant adminValue(const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(admin());
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec() || !query.next())
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    return query.value(0);
}

qint64 addChild(const QString& className, const QString& name)
{
    return adminValue(u"INSERT INTO varolin.children (class_id, name) SELECT id, ? FROM "
                      u"varolin.classes WHERE name = ? RETURNING id"_s,
        {name, className})
        .toLongLong();
}

// As a classroom machine sends it.
void send(qint64 child, const FinishedSheet& sheet)
{
    const std::optional<PackedSheet> packed = pack(sheet);
    QVERIFY(packed);
    adminValue(u"INSERT INTO varolin.sheets (uuid, child_id, finished_at, utc_offset, kind, "
               u"seconds, wrong_digits, record, row_operands, column_operands, cells) VALUES "
               u"(gen_random_uuid(), ?, ?::timestamptz, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING 1"_s,
        {child, sheet.finishedAt.toString(Qt::ISODateWithMs), sheet.finishedAt.offsetFromUtc() / 60,
            kindNumber(sheet.kind()), sheet.seconds, sheet.wrongDigits, sheet.record, packed->rows,
            packed->columns, packed->cells});
}

// The answer to `question`; a failure when it did not come (a silent server
// is given up within some fifteen seconds).
template <typename T> T answerOf(const QFuture<T>& question)
{
    if (!QTest::qWaitFor([&] { return question.isFinished(); }, 20000)
        || question.resultCount() == 0)
        return T(Failure{Failed::ServerAway, {}, u"no answer came"_s});
    return question.result();
}

QTableWidget* rosterOf(const QWidget& view)
{
    return named<QTableWidget>(view, u"roster"_s);
}

// The names on the roster, top down.
QStringList rosterNames(const QWidget& view)
{
    QStringList names;
    const QTableWidget* roster = rosterOf(view);
    for (int row = 0; row < roster->rowCount(); ++row)
        names << roster->item(row, ClassRoster::Name)->text();
    return names;
}

// Whether the view's questions were all answered: reading again waits for
// every question out.
bool settled(const ClassView& view)
{
    return QTest::qWaitFor([&] { return named(view, u"reload"_s)->isEnabled(); }, 20000);
}

// Server processes stopped (SIGSTOP) until this goes, and at most for
// three seconds: a window that waited for them fails, not hangs.
class Silence
{
public:
    explicit Silence(QList<qint64> pids)
        : pids(std::move(pids))
    {
        for (qint64 pid : this->pids)
            ::kill(pid_t(pid), SIGSTOP);
        watchdog = std::thread([this] {
            std::unique_lock lock(mutex);
            ended.wait_for(lock, std::chrono::seconds(3), [this] { return over; });
            for (qint64 pid : this->pids)
                ::kill(pid_t(pid), SIGCONT);
        });
    }
    ~Silence()
    {
        {
            std::lock_guard lock(mutex);
            over = true;
        }
        ended.notify_one();
        watchdog.join();
    }

private:
    QList<qint64> pids;
    std::mutex mutex;
    std::condition_variable ended;
    bool over = false;
    std::thread watchdog;
};

QStringList sheetLines(const Outcome<QList<StoredSheet>>& sheets)
{
    if (!sheets)
        return {u"unreadable"_s};
    QStringList lines;
    for (const StoredSheet& sheet : *sheets) {
        lines << u"%1 %2 %3 %4 %5"_s.arg(sheet.finishedAt.toString(Qt::ISODate))
                     .arg(kindNumber(sheet.kind))
                     .arg(sheet.seconds)
                     .arg(sheet.wrongDigits)
                     .arg(sheet.record);
    }
    return lines;
}

// The sheets of the kind a records window opens on.
int additions(const QList<FinishedSheet>& sheets)
{
    return int(std::count_if(sheets.begin(), sheets.end(),
        [](const FinishedSheet& sheet) { return sheet.kind() == Kind::Addition; }));
}

QStringList factLines(const std::optional<QList<FactStat>>& facts)
{
    if (!facts)
        return {u"unreadable"_s};
    QStringList lines;
    for (const FactStat& fact : *facts) {
        lines << u"%1 %2: %3 answers, %4 timed, %5 ms, %6 wrong"_s.arg(fact.left)
                     .arg(fact.top)
                     .arg(fact.answers)
                     .arg(fact.timedAnswers)
                     .arg(fact.medianMilliseconds, 0, 'f', 1)
                     .arg(fact.wrongDigits);
    }
    return lines;
}

QStringList factLines(const Outcome<QList<FactStat>>& facts)
{
    return factLines(facts ? std::optional(*facts) : std::nullopt);
}

} // namespace

class ClassViewTest : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QDate today{2026, 12, 9}; // a Wednesday
    QMap<QString, qint64> ids;
    QList<FinishedSheet> mikiSheets;
    QMap<QString, QList<FinishedSheet>> sent; // by child, of class 3-1

    void sendAs(const QString& child, const FinishedSheet& sheet)
    {
        send(ids[child], sheet);
        sent[child].append(sheet);
    }

    // The child's sheets of class 3-1 in a machine's store.
    std::unique_ptr<RecordStore> storeOf(const QString& child) const
    {
        auto local = std::make_unique<RecordStore>(folder.filePath(child + u".sqlite"_s));
        if (!local->open())
            return nullptr;
        if (local->count() == 0) {
            for (const FinishedSheet& sheet : sent.value(child)) {
                if (local->add(sheet))
                    return nullptr;
            }
        }
        return local;
    }

    ClassConfig config(const QString& login, const QString& className) const
    {
        ClassConfig made;
        made.server = qEnvironmentVariable("PGHOST");
        made.className = className;
        made.login = login;
        made.passwordFile = folder.filePath(u"password"_s);
        made.sslMode = u"disable"_s;
        return made;
    }

    struct Class
    {
        explicit Class(const ClassConfig& config)
            : connection(config)
        { }
        ClassConnection connection;
        ClassRecords records{connection};
    };

    std::unique_ptr<Class> openAs(const QString& login, const QString& className)
    {
        auto made = std::make_unique<Class>(config(login, className));
        return !answerOf(made->records.open()) ? std::move(made) : nullptr;
    }

    FakeDesktop desktopOn(const QDate& day) const
    {
        FakeDesktop desktop;
        desktop.clock = QDateTime(day, QTime(15, 0));
        return desktop;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(qEnvironmentVariableIsSet("PGHOST"));
        QFile password(folder.filePath(u"password"_s));
        QVERIFY(password.open(QIODevice::WriteOnly));
        password.write("secret\n");
        password.close();
        QVERIFY(password.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"admin"_s);
        db.setHostName(qEnvironmentVariable("PGHOST"));
        db.setDatabaseName(u"varolin"_s);
        db.setUserName(u"postgres"_s);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));

        for (const auto& [className, name] : {std::pair{u"3-1"_s, u"はなこ"_s},
                 {u"3-1"_s, u"たろう"_s}, {u"3-1"_s, u"みき"_s}, {u"3-2"_s, u"じろう"_s}})
            ids[name] = addChild(className, name);

        // はなこ's additions: the oldest is her best, the last ten follow;
        // the days fall in the weeks where they were done, not in UTC's.
        const QList<std::pair<QString, int>> additions = {
            {u"2026-11-15T10:00:00+09:00"_s, 30}, // before the four weeks
            {u"2026-11-16T00:10:00+09:00"_s, 200}, // a Monday in Tokyo, a Sunday in UTC
            {u"2026-11-30T16:00:00+09:00"_s, 100},
            {u"2026-12-01T16:00:00+09:00"_s, 98},
            {u"2026-12-02T16:00:00+09:00"_s, 96},
            {u"2026-12-03T16:00:00+09:00"_s, 94},
            {u"2026-12-06T23:30:00+09:00"_s, 92}, // Sunday: last week's fifth day
            {u"2026-12-07T08:00:00+09:00"_s, 80},
            {u"2026-12-07T16:00:00+09:00"_s, 78}, // the same day again
            {u"2026-12-08T16:00:00+09:00"_s, 76},
            {u"2026-12-09T08:00:00+09:00"_s, 74},
            {u"2026-12-09T16:00:00+09:00"_s, 72},
        };
        for (const auto& [when, seconds] : additions)
            sendAs(u"はなこ"_s, sheetOf(when, Kind::Addition, seconds));
        sendAs(u"はなこ"_s, sheetOf(u"2026-12-08T17:00:00+09:00"_s, Kind::Multiplication, 150));

        // Division, weeks earlier: each sheet opens with 1 ÷ 1 after a long
        // pause; 2 ÷ 6's answers over each child's last ten sheets, 3 ÷ 12
        // only on a sheet older than はなこ's ten, and another class's child
        // far slower.
        for (int day = 1; day <= 11; ++day) {
            const bool oldest = day == 1;
            QList<std::array<int, 4>> cells
                = {{1, 1, 30000, 0}, {2, 6, oldest ? 9000 : 1000, oldest ? 5 : 1}};
            if (oldest)
                cells.append({3, 12, 9000, 0});
            sendAs(u"はなこ"_s,
                sheetOf(u"2026-10-%1T16:00:00+09:00"_s.arg(day, 2, 10, QChar(u'0')), Kind::Division,
                    100, cells));
        }
        for (int day = 1; day <= 2; ++day) {
            sendAs(u"たろう"_s,
                sheetOf(u"2026-10-0%1T16:00:00+09:00"_s.arg(day), Kind::Division, 100,
                    {{1, 1, 30000, 0}, {2, 6, 4000, 0}}));
        }
        send(ids[u"じろう"_s],
            sheetOf(u"2026-10-01T16:00:00+09:00"_s, Kind::Division, 100, {{2, 6, 50000, 3}}));

        // たろう's additions this month, each sheet from another first fact
        // (untimed): all within three seconds, but a few just over in the
        // newest, one row wrong in the oldest.
        for (int n = 0; n < 3; ++n) {
            QList<std::array<int, 4>> cells;
            for (int i = 0; i < 100; ++i) {
                const int fact = (i + 37 * n) % 100;
                const int left = fact / 10;
                const int top = fact % 10;
                const bool slow = n == 2 && (2 * left + top) % 7 == 0;
                cells.append({left, top, slow ? 3001 : 3000 - 50 * (fact % 3),
                    n == 0 && left == 7 && top > 2 ? 1 : 0});
            }
            sendAs(u"たろう"_s,
                sheetOf(u"2026-12-0%1T15:00:00+09:00"_s.arg(2 + n), Kind::Addition, 120, cells));
        }

        // みき: sheets on machines in two time zones, for the records read
        // from the server and from a machine's store; no division, which
        // is the class's weak facts' kind.
        for (int i = 0; i < 23; ++i) {
            const Kind kind = kindFromNumber(i % 3);
            const QString zone = i % 3 == 0 ? u"-05:00"_s : u"+09:00"_s;
            const QString when = QDate(2026, 11, 1).addDays(i * 2 - (i % 5)).toString(Qt::ISODate)
                + u"T%1:15:00"_s.arg(8 + i % 12, 2, 10, QChar(u'0')) + zone;
            mikiSheets.append(sheetOf(when, kind, 60 + (i * 37) % 200,
                {{1 + i % 9, 10 + i % 7, 800 + 100 * i, i % 3}, {2, 11, 1200, 0}}, i % 4,
                i % 7 == 0));
            sendAs(u"みき"_s, mikiSheets.last());
        }
    }

    // The roster's numbers, as the view reads and shows them.
    void roster_data()
    {
        QTest::addColumn<QString>("child");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("weeks");
        QTest::addColumn<QString>("cellsShown"); // the four weeks as the table shows them
        QTest::addColumn<int>("latest"); // -1: none
        QTest::addColumn<int>("best");
        QTest::addColumn<double>("trend"); // NaN: none
        const double none = std::nan("");
        QTest::newRow("local days per week, a day counted once, best before the last ten")
            << u"はなこ"_s << Kind::Addition << u"3 5 0 1"_s << u"3日,5日 ◎,－,1日"_s << 72 << 30
            << -20.0;
        QTest::newRow("one sheet: a latest and a best, no trend; only this kind's days")
            << u"はなこ"_s << Kind::Multiplication << u"1 0 0 0"_s << u"1日,－,－,－"_s << 150
            << 150 << none;
        QTest::newRow("two sheets: the newer less the older")
            << u"たろう"_s << Kind::Division << u"0 0 0 0"_s << u"－,－,－,－"_s << 100 << 100
            << 0.0;
        QTest::newRow("a kind not practised: no day of another kind")
            << u"はなこ"_s << Kind::Subtraction << u"0 0 0 0"_s << u"－,－,－,－"_s << -1 << -1
            << none;
    }

    void roster()
    {
        QFETCH(QString, child);
        QFETCH(Kind, kind);
        QFETCH(QString, weeks);
        QFETCH(QString, cellsShown);
        QFETCH(int, latest);
        QFETCH(int, best);
        QFETCH(double, trend);
        const auto records = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(records);
        FakeDesktop desktop = desktopOn(today);
        ClassView view(records->records, desktop);
        QVERIFY(settled(view));
        QVERIFY(desktop.shown.isEmpty());
        view.setKind(kind);
        // In the order of their numbers, which the class gave them as they
        // were added; each row shows its child's.
        const QStringList names = rosterNames(view);
        QCOMPARE(names, (QStringList{u"はなこ"_s, u"たろう"_s, u"みき"_s}));
        for (int each = 0; each < names.size(); ++each)
            QCOMPARE(
                rosterOf(view)->item(each, ClassRoster::Number)->text(), QString::number(each + 1));
        const int row = int(names.indexOf(child));
        const auto roster = answerOf(records->records.roster(today));
        QVERIFY(roster);
        const ClassChild& shown = roster->at(row);
        const KindStanding& standing = shown.kinds[std::size_t(kindNumber(kind))];
        QStringList days;
        for (int each : standing.weekDays)
            days << QString::number(each);
        QCOMPARE(days.join(u' '), weeks);
        QCOMPARE(standing.latest().value_or(-1), latest);
        QCOMPARE(standing.best.value_or(-1), best);
        QCOMPARE(standing.trend().has_value(), !std::isnan(trend));
        if (standing.trend())
            QCOMPARE(*standing.trend(), trend);
        // The table shows the same; a week at the goal is marked, a week
        // without a day is a dash.
        const QTableWidget* table = rosterOf(view);
        QCOMPARE(table->item(row, ClassRoster::Name)->text(), child);
        QStringList cells;
        for (int week = 0; week < 4; ++week)
            cells << table->item(row, ClassRoster::ThisWeek + week)->text();
        QCOMPARE(cells, cellsShown.split(u','));
        if (child == u"はなこ"_s && kind == Kind::Addition)
            QCOMPARE(table->item(row, ClassRoster::Trend)->text(), u"20秒 速く"_s);
        // The hover text names every kind, and a kind with one sheet ends
        // with its best, not with an empty trend.
        const QString hover = table->item(row, ClassRoster::Name)->toolTip();
        QVERIFY2(!hover.contains(u"、－"_s) && !hover.contains(u"、ー"_s), qPrintable(hover));
        // The columns keep their widths whatever the kind.
        QList<int> widths;
        for (int column = 0; column < ClassRoster::Columns; ++column)
            widths << table->columnWidth(column);
        view.setKind(Kind::Addition);
        for (int column = 0; column < ClassRoster::Columns; ++column)
            QCOMPARE(table->columnWidth(column), widths[column]);
    }

    void weakFacts()
    {
        const auto records = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(records);
        // A sheet's first answer is not timed; a fact's time is the median
        // of each child's newest five timed answers.
        QCOMPARE(factLines(answerOf(records->records.facts(Kind::Division))),
            (QStringList{u"1 1: 12 answers, 0 timed, 0.0 ms, 0 wrong"_s,
                u"2 6: 12 answers, 7 timed, 1000.0 ms, 10 wrong"_s}));
        // Fewer sheets per child: the newest of each.
        QCOMPARE(factLines(answerOf(records->records.facts(Kind::Division, 1))),
            (QStringList{u"1 1: 2 answers, 0 timed, 0.0 ms, 0 wrong"_s,
                u"2 6: 2 answers, 2 timed, 2500.0 ms, 1 wrong"_s}));
    }

    // Each child's count of facts known by heart and the class's map of
    // them, as a machine's store counts the same sheets: a child who has not
    // answered a fact of the kind has no count.
    void knownByHeart_data()
    {
        QTest::addColumn<Kind>("kind");
        for (Kind kind : AllKinds)
            QTest::newRow(qPrintable(kindName(kind))) << kind;
    }

    void knownByHeart()
    {
        QFETCH(Kind, kind);
        const auto records = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(records);
        FakeDesktop desktop = desktopOn(today);
        ClassView view(records->records, desktop);
        view.setKind(kind);
        QVERIFY(settled(view));
        const FactGrid grid = factGrid(kind);
        std::array<int, 100> knownBy{};
        const QStringList names = rosterNames(view);
        for (int row = 0; row < names.size(); ++row) {
            const auto local = storeOf(names[row]);
            QVERIFY(local);
            const auto facts = local->knownFacts(RecordStore::FirstChild, kind);
            QVERIFY(facts);
            for (int place = 0; place < grid.count(); ++place)
                knownBy[place]
                    += facts->stateAt(place / grid.size, place % grid.size) == FactState::Known;
            QCOMPARE(rosterOf(view)->item(row, ClassRoster::Known)->text(),
                facts->anyMet() ? u"%1/%2"_s.arg(facts->known()).arg(grid.count()) : u"－"_s);
        }
        for (int place = 0; place < grid.count(); ++place) {
            const auto* square = named<QLabel>(
                view, u"known-%1-%2"_s.arg(place / grid.size).arg(place % grid.size));
            if (square->isVisibleTo(&view))
                QCOMPARE(square->text(), QString::number(knownBy[place]));
        }
        QVERIFY(desktop.shown.isEmpty());
    }

    // The class's reports of this month: one job to the PDF chosen, a page
    // per child in the class's order, each naming the child with the count
    // their records give for the month.
    void monthReports()
    {
        const auto records = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(records);
        FakeDesktop desktop = desktopOn(today);
        desktop.itemAnswers = {0};
        desktop.chosenPdfPath = folder.filePath(u"reports.pdf"_s);
        ClassView view(records->records, desktop);
        QVERIFY(settled(view));
        named<QPushButton>(view, u"printReports"_s)->click();
        QVERIFY(settled(view));
        QVERIFY2(desktop.shown.isEmpty(), qPrintable(desktop.shown.value(0).message.prompt));
        const QString pdf = desktop.chosenPdfPath;
        const QStringList names = rosterNames(view);
        QCOMPARE(Pdf::pages(pdf), names.size());
        for (int page = 0; page < names.size(); ++page) {
            const auto local = storeOf(names[page]);
            QVERIFY(local);
            const auto month = monthRecords(*localRecords(*local), RecordStore::FirstChild, today);
            QVERIFY(month);
            const QString count
                = u"覚えた問題： %1/%2"_s.arg(month->facts.known()).arg(month->facts.outOf());
            const QString number = QString::number(page + 1);
            const QString text = QString::fromUtf8(
                Pdf::run(u"pdftotext"_s, {u"-f"_s, number, u"-l"_s, number, pdf, u"-"_s}));
            for (const QString& told : {names[page], u"2026年12月"_s, count})
                QVERIFY2(text.contains(told), qPrintable(told + u'\n' + text));
        }
    }

    void childRecordsEqualLocal_data()
    {
        QTest::addColumn<Kind>("kind");
        for (Kind kind : AllKinds)
            QTest::newRow(qPrintable(kindName(kind))) << kind;
    }

    void childRecordsEqualLocal()
    {
        QFETCH(Kind, kind);
        RecordStore local(folder.filePath(u"miki.sqlite"_s));
        QVERIFY(local.open());
        if (local.count() == 0) {
            for (const FinishedSheet& sheet : mikiSheets)
                QVERIFY(!local.add(sheet));
        }
        const qint64 mine = RecordStore::FirstChild;
        const auto records = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(records);
        // The sheets as the records window reads them: copied from the server.
        const auto copied = answerOf(records->records.childSheets(ids[u"みき"_s], u"みき"_s));
        QVERIFY2(copied, copied ? "" : qPrintable(failureLog(copied.failure())));
        const auto server = copied->reader();
        QVERIFY(server);
        const qint64 theirs = ids[u"みき"_s];

        QCOMPARE(sheetLines(server->sheets(SheetRange().ofChild(theirs))),
            sheetLines(local.sheets(SheetRange().ofChild(mine))));
        QCOMPARE(sheetLines(server->sheets(SheetRange().ofChild(theirs).ofKind(kind))),
            sheetLines(local.sheets(SheetRange().ofChild(mine).ofKind(kind))));
        const QDateTime since = at(u"2026-11-20T12:00:00+09:00"_s);
        QCOMPARE(sheetLines(server->sheets(SheetRange().ofChild(theirs).from(since))),
            sheetLines(local.sheets(SheetRange().ofChild(mine).from(since))));
        // Read in batches, as the records window's table reads them.
        QStringList paged;
        std::optional<StoredSheet> last;
        while (paged.size() <= mikiSheets.size()) {
            SheetRange range = SheetRange().ofChild(theirs).atMost(4);
            if (last)
                range.following(*last);
            const auto batch = server->sheets(range);
            QVERIFY(batch);
            if (batch->isEmpty())
                break;
            paged << sheetLines(batch);
            last = batch->last();
        }
        QCOMPARE(paged, sheetLines(local.sheets(SheetRange().ofChild(mine))));

        const auto lines = [](const Outcome<QList<DayBest>>& bests) {
            QStringList found;
            for (const DayBest& best : bests.value_or(QList<DayBest>()))
                found << best.day.toString(Qt::ISODate) + u' ' + QString::number(best.seconds);
            return found;
        };
        QCOMPARE(lines(server->dailyBest(theirs, kind)), lines(local.dailyBest(mine, kind)));
        QCOMPARE(lines(server->dailyBest(theirs, kind, QDate(2026, 11, 20))),
            lines(local.dailyBest(mine, kind, QDate(2026, 11, 20))));
        QCOMPARE(server->practiceDays(theirs, QDate(2026, 11, 5), QDate(2026, 11, 30)),
            local.practiceDays(mine, QDate(2026, 11, 5), QDate(2026, 11, 30)));
        QCOMPARE(
            factLines(server->facts(theirs, kind, 10)), factLines(local.facts(mine, kind, 10)));
        QCOMPARE(factLines(server->facts(theirs, kind, 2)), factLines(local.facts(mine, kind, 2)));
        QCOMPARE(server->countsByKind(theirs), local.countsByKind(mine));
    }

    // The same records window as on a machine, on the chosen child.
    void childRecordsWindow()
    {
        const auto records = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(records);
        FakeDesktop desktop = desktopOn(QDate(2026, 12, 1));
        ClassView view(records->records, desktop);
        QVERIFY(settled(view));
        rosterOf(view)->selectRow(2);
        view.openRecords();
        QVERIFY(settled(view));
        auto* window = view.findChild<RecordsWindow*>();
        QVERIFY(window);
        QVERIFY(window->windowTitle().contains(u"みき"_s));
        QCOMPARE(window->findChild<QTableView*>(u"sheets"_s)->model()->rowCount(),
            additions(mikiSheets));
        // The class keeps the roster: no switch and no children's commands.
        QVERIFY(!window->findChild<QComboBox*>(u"childSwitch"_s)->isVisible());
        QVERIFY(!window->findChild<QPushButton*>(u"addChild"_s)->isVisible());
        QVERIFY(desktop.shown.isEmpty());
    }

    void rosterEdits_data()
    {
        QTest::addColumn<bool>("rename"); // いち's name, or a new child
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("names");
        QTest::newRow("added, cleaned as on a machine")
            << false << u"  さぶろう\t "_s << QString() << u"あき いち さぶろう"_s;
        // Where children are told apart by their numbers, a second child
        // of the name; on a server before numbers, refused.
        QTest::newRow("a name in the class")
            << false << u"あき"_s << u"その なまえは もう つかわれて います。"_s << u"あき いち"_s;
        QTest::newRow("21 characters refused")
            << false << u"あ"_s.repeated(21) << u"なまえは 20もじ までです。"_s << u"あき いち"_s;
        QTest::newRow("20 characters with a combining mark taken")
            << false << (u"か\u3099"_s + u"あ"_s.repeated(19)) << QString()
            << (u"あき いち "_s + u"が"_s + u"あ"_s.repeated(19));
        QTest::newRow("renamed") << true << u"いちろう"_s << QString() << u"あき いちろう"_s;
    }

    void rosterEdits()
    {
        QFETCH(bool, rename);
        QFETCH(QString, typed);
        QFETCH(QString, told);
        QFETCH(QString, names);
        adminValue(u"WITH gone AS (DELETE FROM varolin.children WHERE class_id = "
                   u"(SELECT id FROM varolin.classes WHERE name = '3-3') RETURNING 1) "
                   u"SELECT count(*) FROM gone"_s);
        addChild(u"3-3"_s, u"あき"_s);
        addChild(u"3-3"_s, u"いち"_s);
        const auto records = openAs(u"teacher_a"_s, u"3-3"_s);
        QVERIFY(records);
        FakeDesktop desktop = desktopOn(today);
        ClassView view(records->records, desktop);
        QVERIFY(settled(view));
        if (QTest::currentDataTag() == u"a name in the class"_s && records->records.namesShared()) {
            told.clear();
            names = u"あき いち あき"_s;
        }
        desktop.textAnswers = {typed}; // then cancelled when asked again
        if (rename) {
            rosterOf(view)->selectRow(1);
            view.renameChild();
        } else {
            view.addChild();
        }
        QVERIFY(settled(view));
        QStringList shown;
        for (const auto& each : desktop.shown)
            shown << each.message.prompt;
        QCOMPARE(shown, told.isEmpty() ? QStringList() : QStringList{told});
        QCOMPARE(rosterNames(view).join(u' '), names);
    }

    // A child's number, set by the teacher: the roster follows it, a number
    // another child has is told and changes nothing, and so does one a
    // class does not give. A server before numbers tells the command failed.
    void numbers_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("roster");
        const QString unchanged = u"1 あき 2 いち 3 うみ"_s;
        QTest::newRow("a free number: listed by it")
            << 0 << u"７"_s << QString() << u"2 いち 3 うみ 7 あき"_s;
        QTest::newRow("another child's: told, nothing changes")
            << 1 << u"3"_s << u"その番号は、ほかの児童が使っています。"_s << unchanged;
        QTest::newRow("beyond 999: told before the server is asked")
            << 0 << u"1000"_s << u"番号は 1 から 999 までの数字で入力してください。"_s << unchanged;
    }

    void numbers()
    {
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, told);
        QFETCH(QString, roster);
        adminValue(u"WITH gone AS (DELETE FROM varolin.children WHERE class_id = "
                   u"(SELECT id FROM varolin.classes WHERE name = '3-3') RETURNING 1) "
                   u"SELECT count(*) FROM gone"_s);
        for (const QString& name : {u"あき"_s, u"いち"_s, u"うみ"_s})
            addChild(u"3-3"_s, name);
        const auto records = openAs(u"teacher_a"_s, u"3-3"_s);
        QVERIFY(records);
        const bool numbered = records->records.namesShared();
        if (!numbered && !told.startsWith(u"番号は"_s))
            told = (row == 0 ? u"あき"_s : u"いち"_s) + u"さんの番号を変更できませんでした。"_s;
        if (!numbered)
            roster = u"1 あき 2 いち 3 うみ"_s;
        FakeDesktop desktop = desktopOn(today);
        ClassView view(records->records, desktop);
        QVERIFY(settled(view));
        rosterOf(view)->selectRow(row);
        desktop.textAnswers = {typed}; // then cancelled when asked again
        view.setNumber();
        QVERIFY(settled(view));
        QStringList shown;
        for (const auto& each : desktop.shown)
            shown << each.message.prompt;
        QCOMPARE(shown.size(), told.isEmpty() ? 0 : 1);
        if (!told.isEmpty())
            QVERIFY2(shown.first().startsWith(told), qPrintable(shown.first()));
        QStringList rows;
        for (int each = 0; each < rosterOf(view)->rowCount(); ++each)
            rows << rosterOf(view)->item(each, ClassRoster::Number)->text() + u' '
                    + rosterOf(view)->item(each, ClassRoster::Name)->text();
        QCOMPARE(rows.join(u' '), roster);
    }

    // The class's CSV lists the children by number, each row with the
    // child's name and number: two children of one name are told apart.
    void csvByNumber()
    {
        adminValue(u"WITH gone AS (DELETE FROM varolin.children WHERE class_id = "
                   u"(SELECT id FROM varolin.classes WHERE name = '3-3') RETURNING 1) "
                   u"SELECT count(*) FROM gone"_s);
        const qint64 first = addChild(u"3-3"_s, u"あき"_s);
        const qint64 second = addChild(u"3-3"_s, u"いち"_s);
        const auto records = openAs(u"teacher_a"_s, u"3-3"_s);
        QVERIFY(records);
        // The first child's sheet is the newer: the order is the numbers'.
        send(first, sheetOf(u"2026-12-02T16:00:00+09:00"_s, Kind::Addition, 90));
        send(second, sheetOf(u"2026-12-01T16:00:00+09:00"_s, Kind::Addition, 91));
        QStringList expected{u"あき 1"_s, u"いち 2"_s};
        if (records->records.namesShared()) {
            const qint64 third = addChild(u"3-3"_s, u"あき"_s);
            send(third, sheetOf(u"2026-11-30T16:00:00+09:00"_s, Kind::Addition, 92));
            expected << u"あき 3"_s;
        }
        const auto csv = answerOf(records->records.csv());
        QVERIFY2(csv, csv ? "" : qPrintable(failureLog(csv.failure())));
        QStringList lines = QString::fromUtf8(*csv).split(u"\r\n"_s, Qt::SkipEmptyParts);
        QVERIFY(lines.takeFirst().endsWith(u",なまえ,ばんごう"_s));
        QStringList children;
        for (const QString& line : lines)
            children << line.section(u',', -2).remove(u'"').replace(u',', u' ');
        QCOMPARE(children, expected);
    }

    void remove_data()
    {
        QTest::addColumn<QList<Desktop::Answer>>("answers");
        QTest::addColumn<bool>("removed");
        QTest::newRow("yes twice: the child and their sheets go")
            << QList<Desktop::Answer>{Desktop::Answer::Yes, Desktop::Answer::Yes} << true;
        QTest::newRow("no at the second question")
            << QList<Desktop::Answer>{Desktop::Answer::Yes, Desktop::Answer::No} << false;
        QTest::newRow("no at once") << QList<Desktop::Answer>{Desktop::Answer::No} << false;
    }

    void remove()
    {
        QFETCH(QList<Desktop::Answer>, answers);
        QFETCH(bool, removed);
        const qint64 child = addChild(u"3-3"_s, u"んー"_s);
        send(child, sheetOf(u"2026-12-01T16:00:00+09:00"_s, Kind::Addition, 90));
        send(child, sheetOf(u"2026-12-02T16:00:00+09:00"_s, Kind::Division, 90));
        const auto records = openAs(u"teacher_a"_s, u"3-3"_s);
        QVERIFY(records);
        FakeDesktop desktop = desktopOn(today);
        ClassView view(records->records, desktop);
        QVERIFY(settled(view));
        rosterOf(view)->selectRow(rosterOf(view)->rowCount() - 1);
        QCOMPARE(rosterNames(view).last(), u"んー"_s);
        desktop.answers = answers;
        view.removeChild();
        QVERIFY(settled(view));
        QVERIFY(desktop.shown.first().message.prompt.contains(u"んー"_s));
        QVERIFY(desktop.shown.first().message.prompt.contains(u"たしざん"_s));
        QCOMPARE(desktop.shown.size(), answers.size());
        for (const FakeDesktop::Shown& asked : desktop.shown)
            QCOMPARE(asked.message.buttons, Desktop::Buttons::YesNoDefaultNo);
        QCOMPARE(rosterNames(view).last() == u"んー"_s, !removed);
        QCOMPARE(adminValue(u"SELECT count(*) FROM varolin.sheets WHERE child_id = ?"_s, {child})
                     .toInt(),
            removed ? 0 : 2);
        adminValue(u"WITH gone AS (DELETE FROM varolin.children WHERE id = ? RETURNING 1) "
                   u"SELECT count(*) FROM gone"_s,
            {child});
    }

    // 「きろくを けす」 in a child's records window erases their sheets on the
    // server, then from the window's copy, once the server has answered.
    void eraseChildsSheets()
    {
        const qint64 child = addChild(u"3-3"_s, u"ゆき"_s);
        send(child, sheetOf(u"2026-12-01T16:00:00+09:00"_s, Kind::Addition, 90));
        const auto records = openAs(u"teacher_a"_s, u"3-3"_s);
        QVERIFY(records);
        FakeDesktop desktop = desktopOn(today);
        ClassView view(records->records, desktop);
        QVERIFY(settled(view));
        rosterOf(view)->selectRow(rosterOf(view)->rowCount() - 1);
        view.openRecords();
        QVERIFY(settled(view));
        auto* window = view.findChild<RecordsWindow*>();
        QVERIFY(window);
        QCOMPARE(window->findChild<QTableView*>(u"sheets"_s)->model()->rowCount(), 1);
        desktop.answers = {Desktop::Answer::Yes, Desktop::Answer::Yes};
        window->clearRecords();
        QVERIFY(!window->findChild<QPushButton*>(u"clearRecords"_s)->isEnabled());
        QTRY_COMPARE(window->findChild<QTableView*>(u"sheets"_s)->model()->rowCount(), 0);
        QCOMPARE(adminValue(u"SELECT count(*) FROM varolin.sheets WHERE child_id = ?"_s, {child})
                     .toInt(),
            0);
        QCOMPARE(desktop.shown.size(), 2);
    }

    // Another class is neither listed nor reachable.
    void otherClasses()
    {
        const auto b = openAs(u"teacher_b"_s, u"3-2"_s);
        QVERIFY(b);
        FakeDesktop desktop = desktopOn(today);
        ClassView view(b->records, desktop);
        QVERIFY(settled(view));
        QCOMPARE(rosterNames(view), QStringList{u"じろう"_s});

        const auto a = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(a);
        QVERIFY(answerOf(a->records.removeChild(ids[u"じろう"_s])));
        QVERIFY(!answerOf(a->records.renameChild(ids[u"じろう"_s], u"x"_s)));
        const auto counts = answerOf(a->records.countsByKind(ids[u"じろう"_s]));
        QVERIFY(counts);
        QCOMPARE(*counts, (std::array<int, 4>{}));
        (void)answerOf(a->records.clearSheets(ids[u"じろう"_s]));
        QCOMPARE(adminValue(u"SELECT count(*) FROM varolin.sheets WHERE child_id = ?"_s,
                     {ids[u"じろう"_s]})
                     .toInt(),
            1);
        QCOMPARE(adminValue(u"SELECT name FROM varolin.children WHERE id = ?"_s, {ids[u"じろう"_s]})
                     .toString(),
            u"じろう"_s);
    }

    // What the server refuses is told and shown in its place, never as an
    // empty roster or empty records.
    void refusedTold_data()
    {
        QTest::addColumn<QString>("command"); // the command whose reading is refused
        QTest::newRow("the class view") << u"reload"_s;
        QTest::newRow("a child's records window") << u"openRecords"_s;
        QTest::newRow("the class's reports") << u"printReports"_s;
    }

    void refusedTold()
    {
        QFETCH(QString, command);
        const auto a = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(a);
        FakeDesktop desktop = desktopOn(today);
        desktop.itemAnswers = {0};
        desktop.chosenPdfPath = folder.filePath(u"refused.pdf"_s);
        ClassView view(a->records, desktop);
        QVERIFY(settled(view));
        rosterOf(view)->selectRow(1);
        QVERIFY(QSqlQuery(admin()).exec(u"REVOKE SELECT ON varolin.sheets FROM varolin_teacher"_s));
        named<QPushButton>(view, command)->click();
        const bool answered = settled(view);
        QVERIFY(QSqlQuery(admin()).exec(u"GRANT SELECT ON varolin.sheets TO varolin_teacher"_s));
        QVERIFY(answered);
        QCOMPARE(desktop.shown.size(), 1);
        const Desktop::Message& told = desktop.shown[0].message;
        QVERIFY2(told.prompt.contains(failureText({Failed::PrivilegeRefused}, Reader::Adult).text),
            qPrintable(told.prompt));
        // The server's own words behind the details button, not in the
        // sentence.
        QVERIFY(!told.details.isEmpty());
        QVERIFY2(!told.prompt.contains(told.details.trimmed()), qPrintable(told.prompt));
        if (command == u"openRecords"_s) {
            QVERIFY(!view.findChild<RecordsWindow*>());
        } else if (command == u"reload"_s) {
            QVERIFY(named<QLabel>(view, u"rosterMessage"_s)->isVisibleTo(&view));
            QVERIFY(!rosterOf(view)->isVisibleTo(&view));
            QVERIFY(!named(view, u"openRecords"_s)->isEnabled());
            // The facts known by heart told in their place, no second box.
            QVERIFY(named<QLabel>(view, u"knownMessage"_s)
                        ->accessibleName()
                        .startsWith(u"覚えた問題を読めませんでした。"_s));
        } else {
            // Not a class's reports with pages missing.
            QVERIFY(!QFile::exists(desktop.chosenPdfPath));
        }
    }

    // The server dropped the connection (restarted, or the network went):
    // the next question connects again.
    void reconnects()
    {
        const auto records = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(records);
        QCOMPARE(adminValue(u"SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                            u"WHERE usename = 'teacher_a'"_s)
                     .toInt(),
            1);
        const auto roster = answerOf(records->records.roster(today));
        QVERIFY2(roster, roster ? "" : qPrintable(failureLog(roster.failure())));
        QCOMPARE(roster->size(), 3);
    }

    // A question to a server gone silent (switched off, a cable pulled) is
    // under way: the window's event loop answers all the while, the part
    // asked for says so in its place and the commands wait; once the server
    // answers, the part is filled and the commands come back.
    void silentServer_data()
    {
        QTest::addColumn<bool>("records"); // a child's records, or the class read again
        QTest::newRow("読み直す") << false;
        QTest::newRow("記録を見る") << true;
    }

    void silentServer()
    {
        QFETCH(bool, records);
        const auto a = openAs(u"teacher_a"_s, u"3-1"_s);
        QVERIFY(a);
        FakeDesktop desktop = desktopOn(today);
        ClassView view(a->records, desktop);
        // Made without waiting: its parts wait for their answers.
        QCOMPARE(named<QLabel>(view, u"rosterMessage"_s)->text(), u"読み込み中…"_s);
        QVERIFY(!named(view, u"openRecords"_s)->isEnabled());
        QVERIFY(settled(view));
        rosterOf(view)->selectRow(2);

        // The server and the process serving this class's connection.
        QList<qint64> server{qEnvironmentVariableIntValue("VAROLIN_SERVER_PID")};
        QSqlQuery serving(admin());
        QVERIFY(serving.exec(u"SELECT pid FROM pg_stat_activity WHERE usename = 'teacher_a'"_s));
        while (serving.next())
            server << serving.value(0).toLongLong();
        QCOMPARE(server.size(), 2);
        QVERIFY(server.first() > 0);
        QElapsedTimer clock;
        qint64 worst = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(10);
        connect(&tick, &QTimer::timeout, this, [&] { worst = std::max(worst, clock.restart()); });
        {
            const Silence silence(server);
            clock.start();
            tick.start();
            (records ? named<QPushButton>(view, u"openRecords"_s)
                     : named<QPushButton>(view, u"reload"_s))
                ->click();
            QTest::qWait(1500);
            tick.stop();
            // The figure the note gives.
            qInfo("a 10 ms timer's longest wait while the server was silent: %lld ms", worst);
            QVERIFY2(worst <= 10 + 50, qPrintable(u"the timer waited %1 ms"_s.arg(worst)));
            QVERIFY(!named(view, u"reload"_s)->isEnabled());
            QVERIFY(!named(view, u"openRecords"_s)->isEnabled());
            QCOMPARE(named<QLabel>(view, u"rosterMessage"_s)->isVisibleTo(&view), !records);
            QCOMPARE(named<QLabel>(view, u"rosterMessage"_s)->text(), u"読み込み中…"_s);
        }
        QVERIFY(settled(view));
        QVERIFY(named(view, u"openRecords"_s)->isEnabled());
        QVERIFY(desktop.shown.isEmpty());
        if (records) {
            auto* window = view.findChild<RecordsWindow*>();
            QVERIFY(window);
            QCOMPARE(window->findChild<QTableView*>(u"sheets"_s)->model()->rowCount(),
                additions(mikiSheets));
        } else {
            QVERIFY(rosterOf(view)->isVisibleTo(&view));
            QCOMPARE(rosterOf(view)->rowCount(), 3);
        }
    }

    // varolin --class ends after a box that says why.
    void startRefused_data()
    {
        QTest::addColumn<QString>("ini"); // empty: no class.ini
        QTest::addColumn<QString>("told");
        const QString server = u"server=%1\npassword_file=%2\nsslmode=disable\n"_s.arg(
            qEnvironmentVariable("PGHOST"), folder.filePath(u"password"_s));
        QTest::newRow("no class.ini") << QString() << u"クラスの設定（class.ini）がありません"_s;
        QTest::newRow("a pupil's login")
            << server + u"class=3-1\nrole=pupil_a\n"_s << u"このロール名（role）では"_s;
        QTest::newRow("another teacher's class")
            << server + u"class=3-2\nrole=teacher_a\n"_s << u"このロール名（role）では"_s;
        QTest::newRow("a newer server") << server + u"class=3-1\nrole=teacher_a\nnewer\n"_s
                                        << u"サーバーがこの Varolin より新しく"_s;
    }

    void startRefused()
    {
        QFETCH(QString, ini);
        QFETCH(QString, told);
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.filePath(u"config"_s).toUtf8());
        qputenv("XDG_CONFIG_DIRS", home.filePath(u"xdg"_s).toUtf8());
        qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
        const bool newer = ini.endsWith(u"newer\n"_s);
        if (!ini.isEmpty()) {
            QVERIFY(QDir().mkpath(home.filePath(u"config/Varolin"_s)));
            QFile file(home.filePath(u"config/Varolin/class.ini"_s));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(ini.toUtf8());
        }
        const int layout = adminValue(u"SELECT version FROM varolin.schema_version"_s).toInt();
        if (newer)
            adminValue(u"UPDATE varolin.schema_version SET version = ? RETURNING 1"_s,
                {ClassServerLayout + 1});
        FakeDesktop desktop;
        const int status = runClassView(desktop, QCoreApplication::applicationDirPath());
        if (newer)
            adminValue(u"UPDATE varolin.schema_version SET version = ? RETURNING 1"_s, {layout});
        QCOMPARE(status, 1);
        QCOMPARE(desktop.shown.size(), 1);
        QVERIFY2(desktop.shown[0].message.prompt.startsWith(told),
            qPrintable(desktop.shown[0].message.prompt));
    }

    // varolin --class while the server is away opens the view, which says
    // so, and reading again reaches the server once it is back.
    void startServerAway()
    {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.filePath(u"config"_s).toUtf8());
        qputenv("XDG_CONFIG_DIRS", home.filePath(u"xdg"_s).toUtf8());
        qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
        // The server's socket, reached later through a folder of its own.
        const QStringList sockets = QDir(qEnvironmentVariable("PGHOST"))
                                        .entryList({u".s.PGSQL.*"_s}, QDir::System | QDir::Hidden);
        QVERIFY(!sockets.isEmpty());
        const QString socket = sockets.first();
        const QString away = home.filePath(u"away"_s);
        QVERIFY(QDir().mkpath(away));
        QVERIFY(QDir().mkpath(home.filePath(u"config/Varolin"_s)));
        QFile file(home.filePath(u"config/Varolin/class.ini"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(u"server=%1\nport=%2\npassword_file=%3\nsslmode=disable\nclass=3-1\n"
                   u"role=teacher_a\n"_s
                       .arg(away, socket.section(u'.', -1), folder.filePath(u"password"_s))
                       .toUtf8());
        file.close();

        FakeDesktop desktop;
        desktop.clock = QDateTime(today, QTime(15, 0));
        QStringList seen;
        QTimer look;
        look.setInterval(50);
        connect(&look, &QTimer::timeout, this, [&] {
            QWidget* view = nullptr;
            for (QWidget* each : QApplication::topLevelWidgets()) {
                if (each->isVisible() && each->findChild<QTableWidget*>(u"roster"_s))
                    view = each;
            }
            if (!view || !named(*view, u"reload"_s)->isEnabled())
                return;
            look.stop();
            seen << (named<QLabel>(*view, u"rosterMessage"_s)->isVisible() ? u"message"_s
                                                                           : u"roster"_s);
            // The server comes back. (Checked after the view has closed: a
            // failure here would leave it open.)
            if (!QFile::link(
                    QDir(qEnvironmentVariable("PGHOST")).filePath(socket), away + u'/' + socket))
                seen << u"not linked"_s;
            named<QPushButton>(*view, u"reload"_s)->click();
            if (!settled(*static_cast<ClassView*>(view)))
                seen << u"not settled"_s;
            seen << QString::number(rosterOf(*view)->rowCount());
            view->close();
        });
        look.start();
        // The program's folder, where the records module is.
        const int status = runClassView(desktop, QCoreApplication::applicationDirPath() + u"/.."_s);
        QCOMPARE(status, 0);
        QCOMPARE(seen, (QStringList{u"message"_s, u"3"_s}));
        QCOMPARE(desktop.shown.size(), 1);
        const Desktop::Message& told = desktop.shown[0].message;
        QVERIFY2(told.prompt.contains(failureText({Failed::ServerAway}, Reader::Adult).text),
            qPrintable(told.prompt));
        QVERIFY(!told.details.isEmpty());
        QVERIFY(!told.prompt.contains(told.details.trimmed()));
    }
};

QTEST_MAIN(ClassViewTest)
#include "class_view_test.moc"
