// CIniFiles reads and writes one key at a time straight to the file: -1 and
// empty text for what is missing, the "fuzakeruna" marker, the 1024-character
// buffer, new files and keys on writing, no access runs the event loop, and a
// file it cannot read is never overwritten.
#include "settings/cinifiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

class CIniFilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void getValues_data();
    void getValues();
    void getString_data();
    void getString();
    void setValues_data();
    void setValues();
    void setStringCreatesFileSectionAndKey();
    void keysAreTakenFromTheCurrentSection();
    void noAccessRunsTheEventLoop_data();
    void noAccessRunsTheEventLoop();
    void unreadableFileIsNeverReplaced();

private:
    QString put(const QByteArray& text);
    QByteArray contents() const;
    QString path() const { return dir->filePath(u"Varolin.ini"_s); }

    std::unique_ptr<QTemporaryDir> dir;
};

QString CIniFilesTest::put(const QByteArray& text)
{
    QFile file(path());
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path();
}

QByteArray CIniFilesTest::contents() const
{
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void CIniFilesTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void CIniFilesTest::getValues_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("no file") << false << QByteArray() << -1;
    QTest::newRow("no section") << true << QByteArray("[General]\r\nLimTM=2\r\n") << -1;
    QTest::newRow("no key") << true << QByteArray("[Parameter]\r\nT_MinTM=2\r\n") << -1;
    QTest::newRow("stored 2") << true << QByteArray("[Parameter]\r\nLimTM=2\r\n") << 2;
    QTest::newRow("stored -1") << true << QByteArray("[Parameter]\r\nLimTM=-1\r\n") << -1;
    QTest::newRow("empty value") << true << QByteArray("[Parameter]\r\nLimTM=\r\n") << -1;
    QTest::newRow("junk value") << true << QByteArray("[Parameter]\r\nLimTM=abc\r\n") << 0;
    QTest::newRow("32 bits") << true << QByteArray("[Parameter]\r\nLimTM=2000000000\r\n")
                             << 2000000000;
}

void CIniFilesTest::getValues()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, text);
    QFETCH(int, value);

    CIniFiles ini;
    ini.FileName(fileExists ? put(text) : path());
    ini.Section(u"Parameter"_s);
    QCOMPARE(ini.GetValues(u"LimTM"_s), value);
}

void CIniFilesTest::getString_data()
{
    QTest::addColumn<QByteArray>("stored"); // the line of the key, or nothing
    QTest::addColumn<QString>("value");

    QTest::newRow("missing key") << QByteArray() << QString();
    QTest::newRow("empty value") << QByteArray("Name=") << QString();
    QTest::newRow("the default marker") << QByteArray("Name=fuzakeruna") << QString();
    QTest::newRow("the marker in other case") << QByteArray("Name=FUZAKERUNA") << u"FUZAKERUNA"_s;
    QTest::newRow("text") << QByteArray("Name= hello world ") << u"hello world"_s;
    QTest::newRow("UTF-8") << QByteArray("Name=たしざん") << u"たしざん"_s;
    QTest::newRow("1023 characters fit")
        << QByteArray("Name=" + QByteArray(1023, 'a')) << QString(1023, u'a');
    QTest::newRow("the buffer cuts longer values")
        << QByteArray("Name=" + QByteArray(3000, 'a')) << QString(1023, u'a');
    // U+1F600 takes two UTF-16 units; the pair at 1022..1023 does not fit.
    QTest::newRow("no half character at the cut")
        << QByteArray("Name=" + QByteArray(1022, 'a') + "\xF0\x9F\x98\x80") << QString(1022, u'a');
}

void CIniFilesTest::getString()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, value);

    CIniFiles ini;
    ini.FileName(put("[Parameter]\r\n" + stored + "\r\n"));
    ini.Section(u"Parameter"_s);
    QCOMPARE(ini.GetString(u"Name"_s), value);
}

void CIniFilesTest::setValues_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("600") << 600 << QByteArray("600");
    QTest::newRow("-1") << -1 << QByteArray("-1");
    QTest::newRow("0") << 0 << QByteArray("0");
    QTest::newRow("beyond 16 bits") << 40000 << QByteArray("40000");
    QTest::newRow("smallest") << int(-2147483647 - 1) << QByteArray("-2147483648");
}

void CIniFilesTest::setValues()
{
    QFETCH(int, value);
    QFETCH(QByteArray, text);

    CIniFiles ini;
    ini.FileName(put("[Parameter]\r\nLimTM=5\r\nW_MinTM=7\r\n"));
    ini.Section(u"Parameter"_s);
    ini.SetValues(u"LimTM"_s, value);
    QCOMPARE(contents(), "[Parameter]\r\nLimTM=" + text + "\r\nW_MinTM=7\r\n");
    QCOMPARE(ini.GetValues(u"LimTM"_s), value);
}

void CIniFilesTest::setStringCreatesFileSectionAndKey()
{
    CIniFiles ini;
    ini.FileName(path());
    ini.Section(u"General"_s);
    ini.SetString(u"Win_Top"_s, u"15"_s);
    QCOMPARE(contents(), QByteArray("[General]\r\nWin_Top=15\r\n"));
    ini.Section(u"Parameter"_s);
    ini.SetString(u"Name"_s, u"かけざん"_s);
    ini.Section(u"General"_s);
    ini.SetString(u"Win_Lft"_s, u"30"_s);
    QCOMPARE(contents(),
        QByteArray("[General]\r\nWin_Top=15\r\nWin_Lft=30\r\n[Parameter]\r\nName=かけざん\r\n"));
    ini.Section(u"Parameter"_s);
    QCOMPARE(ini.GetString(u"Name"_s), u"かけざん"_s);
}

void CIniFilesTest::keysAreTakenFromTheCurrentSection()
{
    CIniFiles ini;
    ini.FileName(put("[General]\r\nKey=1\r\n[Parameter]\r\nKey=2\r\n"));
    ini.Section(u"General"_s);
    QCOMPARE(ini.GetValues(u"Key"_s), 1);
    ini.Section(u"Parameter"_s);
    QCOMPARE(ini.GetValues(u"Key"_s), 2);
    ini.SetValues(u"Key"_s, 3);
    ini.Section(u"General"_s);
    QCOMPARE(ini.GetValues(u"Key"_s), 1);
}

void CIniFilesTest::noAccessRunsTheEventLoop_data()
{
    QTest::addColumn<int>("access");
    QTest::newRow("GetValues") << 0;
    QTest::newRow("GetString") << 1;
    QTest::newRow("SetValues") << 2;
    QTest::newRow("SetString") << 3;
}

// Handlers of the window run only between its own steps, never inside a
// read or write of the file.
void CIniFilesTest::noAccessRunsTheEventLoop()
{
    QFETCH(int, access);

    CIniFiles ini;
    ini.FileName(path());
    ini.Section(u"Parameter"_s);
    bool ran = false;
    // Owned here, so it cannot fire once the test is over.
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [&ran] { ran = true; });
    timer.start(0);
    switch (access) {
    case 0:
        ini.GetValues(u"LimTM"_s);
        break;
    case 1:
        ini.GetString(u"LimTM"_s);
        break;
    case 2:
        ini.SetValues(u"LimTM"_s, 1);
        break;
    default:
        ini.SetString(u"LimTM"_s, u"1"_s);
        break;
    }
    QVERIFY(!ran);
}

// A folder in place of the file can be neither read nor written, for any
// user: nothing is written, nothing crashes, every key reads as missing.
void CIniFilesTest::unreadableFileIsNeverReplaced()
{
    QVERIFY(QDir(dir->path()).mkdir(u"Varolin.ini"_s));
    CIniFiles ini;
    ini.FileName(path());
    ini.Section(u"Parameter"_s);
    ini.SetValues(u"LimTM"_s, 600);
    QVERIFY(QFileInfo(path()).isDir());
    QCOMPARE(ini.GetValues(u"LimTM"_s), -1);
    QCOMPARE(ini.GetString(u"LimTM"_s), QString());
}

QTEST_GUILESS_MAIN(CIniFilesTest)
#include "tst_cinifiles.moc"
