// SPDX-License-Identifier: GPL-3.0-or-later
// A save killed at any moment leaves the settings file as it was before or
// as the save makes it, byte for byte: never empty, cut short or mixed. A
// power cut is the same as long as the new file is on disk before it takes
// the old one's name: the save's own calls of fsync and rename are watched
// (this test defines both, in front of the C library's, for the program's
// library to call).
#include "save_loop.h"
#include "settings/profile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <dlfcn.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class SaveFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedSaveLeavesOldOrNewFile();
    void flushedBeforeRenamed_data();
    void flushedBeforeRenamed();
};

namespace {

// "fsync PATH" and "rename FROM TO" of the program's own code, in order,
// while a test records them.
QStringList* calls = nullptr;

QString openedPath(int fd)
{
    return QFileInfo(u"/proc/self/fd/%1"_s.arg(fd)).symLinkTarget();
}

} // namespace

extern "C" {
int fsync(int fd)
{
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    if (calls)
        calls->append(u"fsync "_s + openedPath(fd));
    return real(fd);
}

int rename(const char* from, const char* to)
{
    static const auto real
        = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    if (calls)
        calls->append(u"rename %1 %2"_s.arg(QFile::decodeName(from), QFile::decodeName(to)));
    return real(from, to);
}
}

namespace {

// Starts the save loop on `path`; its pid, once it has begun saving, or -1.
pid_t startSaveLoop(const QByteArray& path)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    const char* helper = VAROLIN_SETTINGS_HELPER;
    char* const argv[] = {const_cast<char*>(helper), const_cast<char*>("save-loop"),
        const_cast<char*>(path.constData()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, helper, &actions, nullptr, argv, environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(ready[1]);
    pollfd waitFor{ready[0], POLLIN, 0};
    char byte = 0;
    // A helper that cannot start fails the test in seconds, not minutes.
    if (pid > 0 && (::poll(&waitFor, 1, 5000) != 1 || ::read(ready[0], &byte, 1) != 1)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ::close(ready[0]);
    return pid;
}

} // namespace

void SaveFaultsTest::killedSaveLeavesOldOrNewFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Varolin.ini"_s);
    // Lines the program does not write must come through every save too.
    const QByteArray foreign = "; kept by hand\r\n[Other]\r\nMemo=\x83\x81\x83\x82\r\n";
    const QByteArray first = settingsText(foreign, saveLoopSettings(false)).value();
    const QByteArray second = settingsText(first, saveLoopSettings(true)).value();
    QCOMPARE(settingsText(second, saveLoopSettings(false)).value(), first);
    QVERIFY(Profile::writeFile(path, first));

    int newSeen = 0;
    for (int round = 0; round < 200; ++round) {
        const pid_t pid = startSaveLoop(QFile::encodeName(path));
        QVERIFY(pid > 0);
        ::usleep(QRandomGenerator::global()->bounded(3000u));
        QCOMPARE(::kill(pid, SIGKILL), 0);
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        // Anything but our kill (a failed save) ends the loop early.
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL,
            qPrintable(u"round %1: the save loop ended by itself"_s.arg(round)));

        const std::optional<QByteArray> text = Profile::readFile(path);
        QVERIFY2(text && (*text == first || *text == second),
            qPrintable(u"round %1: %2"_s.arg(round).arg(
                text ? QString::fromLatin1(text->toPercentEncoding()) : u"unreadable"_s)));
        if (*text == second)
            ++newSeen;
    }
    // Kills that always came before the first save would prove nothing.
    QVERIFY(newSeen > 0);
}

void SaveFaultsTest::flushedBeforeRenamed_data()
{
    QTest::addColumn<bool>("existing");
    QTest::newRow("new file") << false;
    QTest::newRow("file replaced") << true;
}

// The new text is flushed from its temporary file before that file takes the
// settings file's name, and the rename is flushed with the folder after it.
void SaveFaultsTest::flushedBeforeRenamed()
{
    QFETCH(bool, existing);
    QTemporaryDir dir;
    const QString folder = QFileInfo(dir.path()).canonicalFilePath();
    const SettingsFile file(SettingsLocation{folder + u"/Varolin.ini"_s});
    if (existing)
        QVERIFY(Profile::writeFile(file.path(), "; kept\r\n"));

    QStringList seen;
    calls = &seen;
    const bool saved = !file.save(saveLoopSettings(true));
    calls = nullptr;
    QVERIFY(saved);

    const QString renamed = seen.filter(u"rename "_s).value(0);
    const QString temporary = renamed.section(u' ', 1, 1);
    QVERIFY2(temporary.startsWith(file.path() + u'.') && renamed.endsWith(u' ' + file.path()),
        qPrintable(seen.join(u"; "_s)));
    const QStringList expected{u"fsync "_s + temporary, renamed, u"fsync "_s + folder};
    QCOMPARE(seen, expected);
}

QTEST_GUILESS_MAIN(SaveFaultsTest)
#include "tst_save_faults.moc"
