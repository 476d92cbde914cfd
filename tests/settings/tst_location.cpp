// SPDX-License-Identifier: GPL-3.0-or-later
// Where Varolin.ini lives: beside the program when the file there can be
// replaced, otherwise in the user's configuration folder, which starts from
// the records kept beside the program.
#include "settings/profile.h"
#include "settings/settings_path.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

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

// Needs a user for whom a read-only folder is read-only, so not root.
void LocationTest::readOnlyProgramFolder()
{
    QTemporaryDir scratch;
    const QString program = scratch.filePath(u"program"_s);
    QVERIFY(QDir().mkdir(program));
    const QByteArray records = "[Parameter]\r\nT_MinTM=65\r\n";
    QVERIFY(Profile::writeFile(program + u"/Varolin.ini"_s, records));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    const bool writable = QFileInfo(program).isWritable();
    if (writable) {
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("This user writes into read-only folders (root)");
    }
    const QString userFolder = scratch.filePath(u"config"_s);

    const QString path = locateSettingsFile(program, userFolder).path;
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(path, userFolder + u"/Varolin.ini"_s);
    // The records kept beside the program go on from there.
    QCOMPARE(Profile::readFile(path), std::optional<QByteArray>(records));

    // Once the user's file exists it is not replaced again.
    QVERIFY(Profile::writeFile(path, "[Parameter]\r\nT_MinTM=50\r\n"));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    QCOMPARE(locateSettingsFile(program, userFolder).path, path);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(Profile::readFile(path), std::optional<QByteArray>("[Parameter]\r\nT_MinTM=50\r\n"));

    // With no configuration folder to write either, the records beside the
    // program are still read.
    const QString lockedUser = scratch.filePath(u"locked"_s);
    QVERIFY(QDir().mkdir(lockedUser));
    QVERIFY(QFile::setPermissions(lockedUser, QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    const QString fallback = locateSettingsFile(program, lockedUser + u"/Varolin"_s).path;
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(lockedUser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(fallback, program + u"/Varolin.ini"_s);
}

void LocationTest::userFolderFromTheDesktop()
{
    QTemporaryDir scratch;
    const QString expected
        = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u"/Varolin.ini"_s;
    QCOMPARE(locateSettingsFile(scratch.filePath(u"missing"_s)).path, expected);
    QFile::remove(expected);
}

QTEST_GUILESS_MAIN(LocationTest)
#include "tst_location.moc"
