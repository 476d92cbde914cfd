// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: damaged values are repaired on loading and reach the
// file at the next save, a missing or negative LimTM or W_MinTM at once, as
// 600; a save is one file replacement that keeps every
// line it does not set; a file beside the program that is a link, pipe,
// device, folder, too big or unreadable is left untouched and the user's own
// file is used instead, or the defaults when neither can be used.
#include "ordinary_user.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

char* toString(const Settings& s)
{
    const QPoint at = s.windowTwips.value_or(QPoint(-7, -7));
    const auto best = [&s](Kind kind) {
        const std::optional<int> seconds = s.bestTimes.of(kind);
        return seconds ? QString::number(*seconds) : u"none"_s;
    };
    return QTest::toString(u"best %1/%2/%3/%4 kind %5 limit %6 at %7,%8"_s
                               .arg(best(Kind::Addition), best(Kind::Subtraction),
                                   best(Kind::Multiplication), best(Kind::Division))
                               .arg(kindNumber(s.kind))
                               .arg(s.timeLimit)
                               .arg(at.x())
                               .arg(at.y()));
}

class SettingsFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadRepairsAndSaveCorrects_data();
    void loadRepairsAndSaveCorrects();
    void newFileHoldsTheTenLines();
    void oneSaveIsOneReplacement_data();
    void oneSaveIsOneReplacement();
    void refusedFileBesideTheProgram_data();
    void refusedFileBesideTheProgram();
    void unreadableFileInReadOnlyFolder();
};

namespace {

const QPoint start(4500, 2250); // where the window opened, twips
const QByteArray general = "[General]\r\nWin_Top=300\r\nWin_Lft=1500\r\n";

// A best time the file keeps as 600.
constexpr std::nullopt_t none = std::nullopt;

Settings values(std::array<std::optional<int>, 4> best, Kind kind, int limit,
    std::optional<QPoint> at = QPoint(1500, 300))
{
    Settings settings;
    settings.bestTimes = BestTimes(best);
    settings.kind = kind;
    settings.timeLimit = limit;
    settings.windowTwips = at;
    return settings;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

} // namespace

void SettingsFileTest::loadRepairsAndSaveCorrects_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Settings>("loaded");
    QTest::addColumn<QByteArray>("atStart"); // the file once loaded
    QTest::addColumn<QByteArray>("saved"); // after saving what was loaded

    const QByteArray kept = general
        + "[Parameter]\r\nT_MinTM = 437\r\n  H_MinTM=\"70\"\r\nK_MonTM=45\r\nCalc_Md=2\r\n"
          "LimTM=0\r\nW_MinTM=80\r\n";
    QTest::newRow("valid values stay, a time limit of 0 too")
        << kept << values({437, 70, 45, 80}, Kind::Multiplication, 0) << kept << kept;
    // LimTM and W_MinTM alone are written at start-up, when missing or negative.
    const QByteArray lateKeysAdded = general
        + "[Parameter]\r\nT_MinTM=65\r\nH_MinTM=70\r\nK_MonTM=45\r\nCalc_Md=1\r\n"
          "LimTM=600\r\nW_MinTM=600\r\n\r\n";
    QTest::newRow("LimTM and W_MinTM missing: added at start")
        << general + "[Parameter]\r\nT_MinTM=65\r\nH_MinTM=70\r\nK_MonTM=45\r\nCalc_Md=1\r\n\r\n"
        << values({65, 70, 45, none}, Kind::Subtraction, 600) << lateKeysAdded << lateKeysAdded;
    const QByteArray lateKeysDamaged
        = general + "[Parameter]\r\nT_MinTM=-3\r\nLimTM=\r\nW_MinTM=-30\r\nCalc_Md=1\r\n";
    QTest::newRow("LimTM empty, W_MinTM negative: both 600 at start, T_MinTM at the save")
        << lateKeysDamaged << values({none, none, none, none}, Kind::Subtraction, 600)
        << general + "[Parameter]\r\nT_MinTM=-3\r\nLimTM=600\r\nW_MinTM=600\r\nCalc_Md=1\r\n"
        << general
            + "[Parameter]\r\nT_MinTM=600\r\nLimTM=600\r\nW_MinTM=600\r\nCalc_Md=1\r\n"
              "H_MinTM=600\r\nK_MonTM=600\r\n";
    QTest::newRow("zero, negative and too large times, kind beyond division")
        << general
            + "[Parameter]\r\nT_MinTM=0\r\nH_MinTM=-5\r\nK_MonTM=32768\r\nCalc_Md=7\r\n"
              "LimTM=-1\r\nW_MinTM=99999999999\r\n"
        << values({none, none, none, none}, Kind::Addition, 600)
        << general
            + "[Parameter]\r\nT_MinTM=0\r\nH_MinTM=-5\r\nK_MonTM=32768\r\nCalc_Md=7\r\n"
              "LimTM=600\r\nW_MinTM=99999999999\r\n"
        << general
            + "[Parameter]\r\nT_MinTM=600\r\nH_MinTM=600\r\nK_MonTM=600\r\nCalc_Md=0\r\n"
              "LimTM=600\r\nW_MinTM=600\r\n";
    QTest::newRow("empty, junk, quoted and hexadecimal values, negative kind")
        << general
            + "[Parameter]\r\nT_MinTM=\r\nH_MinTM=abc\r\nK_MonTM='45'\r\nCalc_Md=-1\r\n"
              "LimTM=0x12C\r\nW_MinTM=32767 s\r\n"
        << values({none, none, 45, 32767}, Kind::Addition, 300)
        << general
            + "[Parameter]\r\nT_MinTM=\r\nH_MinTM=abc\r\nK_MonTM='45'\r\nCalc_Md=-1\r\n"
              "LimTM=0x12C\r\nW_MinTM=32767 s\r\n"
        << general
            + "[Parameter]\r\nT_MinTM=600\r\nH_MinTM=600\r\nK_MonTM='45'\r\nCalc_Md=0\r\n"
              "LimTM=300\r\nW_MinTM=32767\r\n";
    QTest::newRow("no keys: defaults, the position left out")
        << QByteArray("; nothing\r\n") << values({none, none, none, none}, Kind::Addition, 600, {})
        << QByteArray("; nothing\r\n[Parameter]\r\nLimTM=600\r\nW_MinTM=600\r\n")
        << QByteArray("; nothing\r\n[Parameter]\r\nLimTM=600\r\nW_MinTM=600\r\nT_MinTM=600\r\n"
                      "H_MinTM=600\r\nK_MonTM=600\r\nCalc_Md=0\r\n");
    const QByteArray leftOnly = "[General]\r\nWin_Lft=-15\r\n[Parameter]\r\nT_MinTM=1\r\n"
                                "H_MinTM=2\r\nK_MonTM=3\r\nCalc_Md=3\r\nLimTM=4\r\nW_MinTM=5\r\n";
    QTest::newRow("top missing: the window's own")
        << leftOnly << values({1, 2, 3, 5}, Kind::Division, 4, QPoint(-15, start.y())) << leftOnly
        << QByteArray(leftOnly).replace("Win_Lft=-15\r\n", "Win_Lft=-15\r\nWin_Top=2250\r\n");
    // A file kept on Windows: comments, its own spacing and case, Shift-JIS,
    // keys and sections the program does not know.
    const QByteArray windows
        = "; Varolin\r\n[general]\r\n  Win_Top = 300\r\nWin_Lft=1500\r\n\r\n"
          "; \x82\xb9\x82\xc1\r\n[Parameter]\r\nT_MinTM = 65\r\nH_MinTM\t=\t0\r\n"
          "K_MonTM = 45\r\nCalc_Md=2\r\nLimTM=600\r\nW_MinTM=\"100\"\r\n"
          "Memo=\x83\x81\x83\x82\r\n\r\n[Other]\r\nT_MinTM=1\r\n";
    QTest::newRow("Windows file changes only where a value was repaired")
        << windows << values({65, none, 45, 100}, Kind::Multiplication, 600) << windows
        << QByteArray(windows).replace("H_MinTM\t=\t0", "H_MinTM=600");
}

void SettingsFileTest::loadRepairsAndSaveCorrects()
{
    QFETCH(QByteArray, text);
    QFETCH(Settings, loaded);
    QFETCH(QByteArray, atStart);
    QFETCH(QByteArray, saved);

    QTemporaryDir dir;
    const SettingsFile file(SettingsLocation{dir.filePath(u"Varolin.ini"_s)});
    QVERIFY(Profile::writeFile(file.path(), text));

    const Outcome<SettingsFile::Loaded> first = file.load(start);
    QVERIFY(first);
    QCOMPARE(first->status, SettingsFile::Status::Loaded);
    QCOMPARE(first->settings, loaded);
    QCOMPARE(contents(file.path()), atStart);
    QVERIFY(!file.save(first->settings)); // no failure
    QCOMPARE(contents(file.path()), saved);
    QCOMPARE(file.load(start)->settings, loaded);
}

void SettingsFileTest::newFileHoldsTheTenLines()
{
    QTemporaryDir dir;
    const SettingsFile file(SettingsLocation{dir.filePath(u"Varolin.ini"_s)});
    const Outcome<SettingsFile::Loaded> loaded = file.load(start);
    QVERIFY(loaded);
    QCOMPARE(loaded->status, SettingsFile::Status::Created);
    QCOMPARE(loaded->settings, values({none, none, none, none}, Kind::Addition, 600, start));
    QCOMPARE(contents(file.path()),
        QByteArray("[General]\r\nWin_Top=2250\r\nWin_Lft=4500\r\n[Parameter]\r\nT_MinTM=600\r\n"
                   "H_MinTM=600\r\nK_MonTM=600\r\nCalc_Md=0\r\nLimTM=600\r\nW_MinTM=600\r\n"));
}

void SettingsFileTest::oneSaveIsOneReplacement_data()
{
    QTest::addColumn<QByteArray>("existing"); // empty: no file
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<int>("replacements");

    const QByteArray ours = settingsText("", Settings()).value();
    const Settings changed = values({1, 2, 3, 4}, Kind::Division, 5);
    QTest::newRow("new file") << QByteArray() << changed << 1;
    QTest::newRow("every key changes") << ours << changed << 1;
    QTest::newRow("nothing changes") << ours << Settings() << 0;
    // No key can be written into it: a failure, not a silent success.
    QTest::newRow("UTF-16 file") << QByteArray("\xFF\xFE[\0P\0]\0", 8) << changed << 0;
}

// Counted by the kernel: files renamed into the folder, files made in it.
void SettingsFileTest::oneSaveIsOneReplacement()
{
    QFETCH(QByteArray, existing);
    QFETCH(Settings, settings);
    QFETCH(int, replacements);

    QTemporaryDir dir;
    const SettingsFile file(SettingsLocation{dir.filePath(u"Varolin.ini"_s)});
    if (!existing.isEmpty())
        QVERIFY(Profile::writeFile(file.path(), existing));
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(inotify_add_watch(watch, QFile::encodeName(dir.path()), IN_MOVED_TO | IN_CREATE) >= 0);
    const bool changes = existing.isEmpty() || existing.startsWith("[");
    const Done failed = file.save(settings);
    QCOMPARE(!failed, changes);
    if (failed)
        QCOMPARE(failed->what, Failed::SettingsNotSaved);

    alignas(inotify_event) char events[4096];
    const ssize_t size = ::read(watch, events, sizeof events);
    ::close(watch);
    int renamed = 0;
    int created = 0;
    for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        renamed += (event->mask & IN_MOVED_TO) && qstrcmp(event->name, "Varolin.ini") == 0;
        created += (event->mask & IN_CREATE) != 0;
        at += ssize_t(sizeof(inotify_event) + event->len);
    }
    QCOMPARE(renamed, replacements);
    QCOMPARE(created, replacements);
    QCOMPARE(contents(file.path()), changes ? settingsText(existing, settings).value() : existing);
}

void SettingsFileTest::refusedFileBesideTheProgram_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("link to a file elsewhere") << u"link"_s;
    QTest::newRow("link to nowhere") << u"dangling"_s;
    QTest::newRow("link to /dev/zero") << u"zero"_s;
    QTest::newRow("named pipe") << u"fifo"_s;
    QTest::newRow("folder") << u"folder"_s;
    QTest::newRow("64 KiB and one byte") << u"big"_s;
}

void SettingsFileTest::refusedFileBesideTheProgram()
{
    QFETCH(QString, what);

    QTemporaryDir scratch;
    const QString program = scratch.filePath(u"program"_s);
    const QString beside = program + u"/Varolin.ini"_s;
    const QString elsewhere = scratch.filePath(u"someone's .profile"_s);
    const QByteArray theirs = "export PATH=/bin\n";
    QVERIFY(QDir().mkdir(program));
    QVERIFY(Profile::writeFile(elsewhere, theirs));
    const QByteArray big(Profile::MaxFileSize + 1, '\0');
    const QByteArray target = QFile::encodeName(beside);
    if (what == u"link"_s)
        QVERIFY(QFile::link(elsewhere, beside));
    else if (what == u"dangling"_s)
        QVERIFY(QFile::link(scratch.filePath(u"gone"_s), beside));
    else if (what == u"zero"_s)
        QVERIFY(QFile::link(u"/dev/zero"_s, beside));
    else if (what == u"fifo"_s)
        QCOMPARE(::mkfifo(target.constData(), 0600), 0);
    else if (what == u"folder"_s)
        QVERIFY(QDir().mkdir(beside));
    else
        QVERIFY(QFile(beside).open(QIODevice::WriteOnly) && QFile::resize(beside, big.size()));
    const auto status = [&target] {
        struct stat info = {};
        ::lstat(target.constData(), &info);
        return QList<qint64>{qint64(info.st_ino), info.st_mode, info.st_size, info.st_ctim.tv_sec,
            info.st_ctim.tv_nsec};
    };
    const QList<qint64> before = status();

    // A pipe or device that is opened waits or runs on: the test ends, failed.
    ::alarm(10);
    QElapsedTimer clock;
    clock.start();
    // The file itself, beside the program or the user's: refused.
    const SettingsFile refused(SettingsLocation{beside});
    QCOMPARE(refused.load(start).failure(), (Failure{Failed::SettingsUnusable, beside}));
    QVERIFY(refused.save(values({1, 2, 3, 4}, Kind::Division, 5)).has_value());
    // Nor is it written past the save's own look: never through a link.
    QVERIFY(!Profile::writeFile(beside, theirs));
    // Chosen for the program: the user's file instead.
    const QString user = scratch.filePath(u"user"_s);
    const SettingsLocation location = locateSettingsFile(program, user);
    QCOMPARE(location.path, user + u"/Varolin.ini"_s);
    QVERIFY(location.usable);
    QCOMPARE(SettingsFile(location).load(start)->status, SettingsFile::Status::Created);
    QVERIFY(!SettingsFile(location).save(values({1, 2, 3, 4}, Kind::Division, 5)));
    // With the user's file refused as well: the defaults, and that is said.
    QVERIFY(QFile::rename(location.path, location.path + u".old"_s));
    QVERIFY(QFile::link(beside, location.path));
    const SettingsLocation none = locateSettingsFile(program, user);
    QCOMPARE(none.path, location.path);
    QVERIFY(!none.usable);
    QVERIFY(!SettingsFile(none).load(start));
    QVERIFY(clock.elapsed() < 1000);
    ::alarm(0);

    QCOMPARE(status(), before);
    QCOMPARE(contents(elsewhere), theirs);
    if (what == u"big"_s)
        QCOMPARE(contents(beside), big);
    QVERIFY(!QFileInfo::exists(scratch.filePath(u"gone"_s)));
}

// A file its user cannot read, in a folder they cannot write: it is left as
// it is and the user's own file keeps the records. Root reads everything, so
// as root the choice is made by a child dropped to the user nobody.
void SettingsFileTest::unreadableFileInReadOnlyFolder()
{
    QTemporaryDir scratch;
    const QString program = scratch.filePath(u"program"_s);
    const QString user = scratch.filePath(u"user"_s);
    const QByteArray records = "[Parameter]\r\nT_MinTM=65\r\n";
    QVERIFY(QDir().mkdir(program) && QDir().mkdir(user));
    QVERIFY(Profile::writeFile(program + u"/Varolin.ini"_s, records));
    QVERIFY(QFile::setPermissions(program + u"/Varolin.ini"_s, {}));
    QVERIFY(QFile::setPermissions(
        program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    if (OrdinaryUser::isRoot()) {
        QCOMPARE(::chmod(QFile::encodeName(scratch.path()).constData(), 0755), 0);
        QCOMPARE(::chown(QFile::encodeName(user).constData(), OrdinaryUser::Nobody,
                     OrdinaryUser::Nobody),
            0);
    }

    QProcess helper;
    OrdinaryUser::dropWhenRoot(helper);
    helper.start(QString::fromLocal8Bit(VAROLIN_SETTINGS_HELPER),
        {u"locate"_s, program, user + u"/config"_s});
    QVERIFY(helper.waitForFinished(5000));
    QCOMPARE(helper.exitCode(), 0);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(QString::fromLocal8Bit(helper.readAllStandardOutput()),
        user + u"/config/Varolin.ini\n1\n"_s);
    QFile::setPermissions(program + u"/Varolin.ini"_s, QFile::ReadOwner);
    QCOMPARE(contents(program + u"/Varolin.ini"_s), records);
}

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "tst_settings_file.moc"
