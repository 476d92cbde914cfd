// SPDX-License-Identifier: GPL-3.0-or-later
// Where Varolin.ini lives: beside the program when the file there can be
// replaced, otherwise in the user's configuration folder, which starts from
// the records kept beside the program and is never replaced by them.
#include "ordinary_user.h"
#include "settings/profile.h"
#include "settings/settings_path.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class LocationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void besideTheProgram_data();
    void besideTheProgram();
    void programFolderThatCannotTakeTheFile_data();
    void programFolderThatCannotTakeTheFile();
    void readOnlyProgramFolder();
    void userFolderFromTheDesktop();
    void copyNeverReplacesAnotherCopysFile();
};

void LocationTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void LocationTest::besideTheProgram_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("trailingSeparator");

    QTest::newRow("no file yet") << false << false;
    QTest::newRow("existing file") << true << false;
    // The separator is added all the same, as after a root folder.
    QTest::newRow("folder ending in a separator") << false << true;
}

void LocationTest::besideTheProgram()
{
    QFETCH(bool, existing);
    QFETCH(bool, trailingSeparator);

    QTemporaryDir program;
    QTemporaryDir user;
    if (existing)
        QVERIFY(Profile::writeFile(program.filePath(u"Varolin.ini"_s), "[P]\r\n"));
    const QString folder = program.path() + (trailingSeparator ? u"/"_s : QString());
    const QString userFolder = user.filePath(u"config"_s);

    QCOMPARE(locateSettingsFile(folder, userFolder).path, folder + u"/Varolin.ini"_s);
    QVERIFY(!QFileInfo::exists(userFolder));
}

void LocationTest::programFolderThatCannotTakeTheFile_data()
{
    QTest::addColumn<QString>("place");
    QTest::newRow("missing program folder") << u"missing"_s;
    QTest::newRow("program folder that is a file") << u"file"_s;
}

void LocationTest::programFolderThatCannotTakeTheFile()
{
    QFETCH(QString, place);

    QTemporaryDir scratch;
    const QString program = scratch.filePath(u"program"_s);
    if (place == u"file"_s)
        QVERIFY(Profile::writeFile(program, "not a folder"));
    const QString userFolder = scratch.filePath(u"home/.config/Varolin"_s);

    const QString path = locateSettingsFile(program, userFolder).path;
    QCOMPARE(path, userFolder + u"/Varolin.ini"_s);
    QVERIFY(QFileInfo(userFolder).isDir());
    QVERIFY(!QFileInfo::exists(path));
}

namespace {

// The file chosen for `program` by an ordinary user (see OrdinaryUser).
QString locateAsOrdinaryUser(const QString& program, const QString& userFolder)
{
    QProcess helper;
    OrdinaryUser::dropWhenRoot(helper);
    helper.start(
        QString::fromLocal8Bit(VAROLIN_SETTINGS_HELPER), {u"locate"_s, program, userFolder});
    if (!helper.waitForFinished(5000) || helper.exitStatus() != QProcess::NormalExit
        || helper.exitCode() != 0)
        return u"(the helper failed)"_s;
    return QString::fromLocal8Bit(helper.readAllStandardOutput()).section(u'\n', 0, 0);
}

bool setMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

bool giveToChild(const QString& path)
{
    const uid_t uid = OrdinaryUser::childUid();
    return ::chown(QFile::encodeName(path).constData(), uid, gid_t(uid)) == 0
        || !OrdinaryUser::isRoot();
}

} // namespace

// A read-only program folder: the records beside the program are copied
// into the user's folder once; the user's own file is never replaced by
// them afterwards.
void LocationTest::readOnlyProgramFolder()
{
    QTemporaryDir scratch;
    QVERIFY(setMode(scratch.path(), 0755));
    const QString program = scratch.filePath(u"program"_s);
    const QString home = scratch.filePath(u"home"_s);
    QVERIFY(QDir().mkdir(program) && QDir().mkdir(home) && giveToChild(home));
    const QByteArray records = "[Parameter]\r\nT_MinTM=65\r\n";
    QVERIFY(Profile::writeFile(program + u"/Varolin.ini"_s, records));
    QVERIFY(setMode(program + u"/Varolin.ini"_s, 0644) && setMode(program, 0555));
    const QString userFolder = home + u"/config"_s;
    const QString own = userFolder + u"/Varolin.ini"_s;

    QCOMPARE(locateAsOrdinaryUser(program, userFolder), own);
    // The records kept beside the program go on from there.
    QCOMPARE(Profile::readFile(own), std::optional<QByteArray>(records));

    // Once the user's file exists it is not replaced again.
    const QByteArray later = "[Parameter]\r\nT_MinTM=50\r\n";
    QVERIFY(Profile::writeFile(own, later) && giveToChild(own));
    QCOMPARE(locateAsOrdinaryUser(program, userFolder), own);
    QCOMPARE(Profile::readFile(own), std::optional<QByteArray>(later));
    // Nor by the copy itself, made where a file already stands.
    QVERIFY(!Profile::createFile(own, records));
    QCOMPARE(Profile::readFile(own), std::optional<QByteArray>(later));

    // With no configuration folder to write either, the records beside the
    // program are still read.
    const QString lockedUser = scratch.filePath(u"locked"_s);
    QVERIFY(QDir().mkdir(lockedUser) && setMode(lockedUser, 0555));
    QCOMPARE(
        locateAsOrdinaryUser(program, lockedUser + u"/Varolin"_s), program + u"/Varolin.ini"_s);

    QVERIFY(setMode(program, 0755) && setMode(lockedUser, 0755));
}

void LocationTest::userFolderFromTheDesktop()
{
    QTemporaryDir scratch;
    const QString expected
        = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u"/Varolin.ini"_s;
    QCOMPARE(locateSettingsFile(scratch.filePath(u"missing"_s)).path, expected);
    QFile::remove(expected);
}

// Another copy of the program may make the user's file between this copy's
// look and its copy of the file beside the program: that file stays.
void LocationTest::copyNeverReplacesAnotherCopysFile()
{
    QTemporaryDir scratch;
    const QString beside = scratch.filePath(u"beside.ini"_s);
    const QString own = scratch.filePath(u"Varolin.ini"_s);
    const QByteArray besideText = "[Parameter]\r\nT_MinTM=111\r\n";
    const QByteArray othersText = "[Parameter]\r\nT_MinTM=99\r\n";
    QVERIFY(Profile::writeFile(beside, besideText));

    QVERIFY(!adoptFileBeside(beside, own)); // no failure
    QCOMPARE(Profile::readFile(own), std::optional<QByteArray>(besideText));
    QVERIFY(Profile::writeFile(own, othersText));
    QCOMPARE(adoptFileBeside(beside, own), (Failure{Failed::FileNotWritten, own}));
    QCOMPARE(Profile::readFile(own), std::optional<QByteArray>(othersText));
}

QTEST_GUILESS_MAIN(LocationTest)
#include "tst_location.moc"
