// SPDX-License-Identifier: GPL-3.0-or-later
// The INI profile functions read what people and Windows programs write, and
// a write changes the one line it is asked to change: every other byte of
// the file survives, and a file that cannot be written stays as it was.
#include "ordinary_user.h"
#include "settings/profile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

class ProfileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void read_data();
    void read();
    void leadingNumber_data();
    void leadingNumber();
    void write_data();
    void write();
    void refusedWrites_data();
    void refusedWrites();
    void windowsFileKeepsEveryUntouchedByte();
    void files_data();
    void files();
    void failedWriteLeavesTheOldFile_data();
    void failedWriteLeavesTheOldFile();
    void replacedFileKeepsItsPermissions();
};

namespace {

const QByteArray windowsFile = "; Varolin\r\n"
                               "[General]\r\n"
                               "Win_Top=2310\r\n"
                               "Win_Lft=4515\r\n"
                               "\r\n"
                               "[Parameter]\r\n"
                               "T_MinTM=65\r\n"
                               "H_MinTM=600\r\n"
                               "K_MonTM=45\r\n"
                               "Calc_Md=2\r\n"
                               "LimTM=600\r\n"
                               "W_MinTM=600\r\n";

// "; せってい" and a key of Japanese text in Shift-JIS, as a Japanese Windows
// program writes them: not UTF-8.
const QByteArray shiftJisComment = "; \x82\xb9\x82\xc1\x82\xc4\x82\xa2";
const QByteArray shiftJisKey = "\x83\x81\x83\x82=\x82\xa9\x82\xaf";

} // namespace

void ProfileTest::read_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("number"); // readInt with the fallback -1

    QTest::newRow("Windows CRLF file") << windowsFile << QByteArray("Parameter")
                                       << QByteArray("K_MonTM") << true << QByteArray("45") << 45;
    QTest::newRow("LF file") << QByteArray("[Parameter]\nT_MinTM=65\nH_MinTM=70\n")
                             << QByteArray("Parameter") << QByteArray("H_MinTM") << true
                             << QByteArray("70") << 70;
    QTest::newRow("CR file") << QByteArray("[Parameter]\rT_MinTM=65\rH_MinTM=70\r")
                             << QByteArray("Parameter") << QByteArray("H_MinTM") << true
                             << QByteArray("70") << 70;
    QTest::newRow("last line without line end")
        << QByteArray("[Parameter]\r\nT_MinTM=65") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("names in any case")
        << QByteArray("[PARAMETER]\r\nt_mintm=65\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("spaces and tabs around everything")
        << QByteArray(" \t[ Parameter\t]\t\r\n \tT_MinTM \t=\t 65 \t\r\n")
        << QByteArray("Parameter") << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("text after the section bracket")
        << QByteArray("[Parameter] old\r\nT_MinTM=65\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("double quotes")
        << QByteArray("[Parameter]\r\nT_MinTM=\"65\"\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("single quotes with blanks inside")
        << QByteArray("[Parameter]\r\nT_MinTM=' 65 '\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray(" 65 ") << 65;
    QTest::newRow("quotes that do not match")
        << QByteArray("[Parameter]\r\nT_MinTM=\"65'\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("\"65'") << 0;
    QTest::newRow("only one pair of quotes goes")
        << QByteArray("[Parameter]\r\nT_MinTM=\"\"65\"\"\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("\"65\"") << 0;
    QTest::newRow("commented key")
        << QByteArray("[Parameter]\r\n  ;T_MinTM=65\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << false << QByteArray() << -1;
    QTest::newRow("semicolon after a value is part of it")
        << QByteArray("[Parameter]\r\nT_MinTM=65 ; best\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("65 ; best") << 65;
    QTest::newRow("first of duplicate keys")
        << QByteArray("[Parameter]\r\nT_MinTM=65\r\nt_mintm=70\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("first of duplicate sections")
        << QByteArray("[Parameter]\r\nT_MinTM=65\r\n[Parameter]\r\nT_MinTM=70\r\n")
        << QByteArray("Parameter") << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("key only in the second duplicate section")
        << QByteArray("[Parameter]\r\nH_MinTM=65\r\n[Parameter]\r\nT_MinTM=70\r\n")
        << QByteArray("Parameter") << QByteArray("T_MinTM") << false << QByteArray() << -1;
    QTest::newRow("key before the first section")
        << QByteArray("T_MinTM=65\r\n[Parameter]\r\nH_MinTM=70\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << false << QByteArray() << -1;
    QTest::newRow("key of another section")
        << QByteArray("[General]\r\nT_MinTM=65\r\n[Parameter]\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << false << QByteArray() << -1;
    QTest::newRow("junk lines around the key")
        << QByteArray("garbage\r\n[unclosed\r\n[Parameter]\r\nnonsense\r\n=no name\r\nT_MinTM=65"
                      "\r\n\x01\x02\r\n")
        << QByteArray("Parameter") << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("key without equals sign")
        << QByteArray("[Parameter]\r\nT_MinTM\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << false << QByteArray() << -1;
    QTest::newRow("junk value") << QByteArray("[Parameter]\r\nT_MinTM=abc\r\n")
                                << QByteArray("Parameter") << QByteArray("T_MinTM") << true
                                << QByteArray("abc") << 0;
    QTest::newRow("huge value wraps")
        << QByteArray("[Parameter]\r\nT_MinTM=99999999999\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("99999999999") << 1215752191;
    QTest::newRow("empty value") << QByteArray("[Parameter]\r\nT_MinTM=\r\n")
                                 << QByteArray("Parameter") << QByteArray("T_MinTM") << true
                                 << QByteArray() << -1;
    QTest::newRow("empty quoted value")
        << QByteArray("[Parameter]\r\nT_MinTM=\"\"\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray() << -1;
    QTest::newRow("missing section")
        << QByteArray("[General]\r\nWin_Top=0\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << false << QByteArray() << -1;
    QTest::newRow("empty text") << QByteArray() << QByteArray("Parameter") << QByteArray("T_MinTM")
                                << false << QByteArray() << -1;
    QTest::newRow("UTF-8 byte order mark")
        << QByteArray("\xEF\xBB\xBF[Parameter]\r\nT_MinTM=65\r\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("UTF-16 file is not read byte by byte")
        << QByteArray("\xFF\xFE[\0P\0]\0\r\0\n\0", 12) << QByteArray("P") << QByteArray("k")
        << false << QByteArray() << -1;
    QTest::newRow("Shift-JIS lines around the key")
        << QByteArray(shiftJisComment + "\r\n[Parameter]\r\n" + shiftJisKey + "\r\nT_MinTM=65\r\n")
        << QByteArray("Parameter") << QByteArray("T_MinTM") << true << QByteArray("65") << 65;
    QTest::newRow("UTF-8 value") << QByteArray("[Parameter]\r\nName=たしざん\r\n")
                                 << QByteArray("parameter") << QByteArray("name") << true
                                 << QByteArray("たしざん") << 0;
}

void ProfileTest::read()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(bool, found);
    QFETCH(QByteArray, value);
    QFETCH(int, number);

    const std::optional<QByteArray> read = Profile::readValue(text, section, key);
    QCOMPARE(read.has_value(), found);
    if (found)
        QCOMPARE(*read, value);
    QCOMPARE(Profile::readInt(text, section, key, -1), number);
}

void ProfileTest::leadingNumber_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("number");

    QTest::newRow("plain") << QByteArray("600") << 600;
    QTest::newRow("trailing junk") << QByteArray("600abc") << 600;
    QTest::newRow("fraction") << QByteArray("6.5") << 6;
    QTest::newRow("leading zeros") << QByteArray("0012") << 12;
    QTest::newRow("minus") << QByteArray("-5") << -5;
    QTest::newRow("plus") << QByteArray("+7") << 7;
    QTest::newRow("blank before") << QByteArray(" 12") << 12;
    QTest::newRow("blank inside") << QByteArray("1 2") << 1;
    QTest::newRow("blank after sign") << QByteArray("- 5") << 0;
    QTest::newRow("sign alone") << QByteArray("-") << 0;
    QTest::newRow("no number") << QByteArray("abc") << 0;
    QTest::newRow("hexadecimal") << QByteArray("0x1F") << 31;
    QTest::newRow("hexadecimal, capital X") << QByteArray("0X1f") << 31;
    QTest::newRow("negative hexadecimal") << QByteArray("-0x10") << -16;
    QTest::newRow("hexadecimal with junk") << QByteArray("0x1Fz9") << 31;
    QTest::newRow("0x without digits") << QByteArray("0x") << 0;
    QTest::newRow("all bits hexadecimal") << QByteArray("0xFFFFFFFF") << -1;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("one past the largest") << QByteArray("2147483648") << int(-2147483647 - 1);
    QTest::newRow("2^32 - 1") << QByteArray("4294967295") << -1;
    QTest::newRow("2^32") << QByteArray("4294967296") << 0;
    QTest::newRow("huge") << QByteArray("99999999999") << 1215752191;
    QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("5000 digits") << QByteArray(5000, '9') << -1;
}

void ProfileTest::leadingNumber()
{
    QFETCH(QByteArray, value);
    QFETCH(int, number);
    QCOMPARE(Profile::leadingNumber(value), number);
}

void ProfileTest::write_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty text") << QByteArray() << QByteArray("Parameter") << QByteArray("T_MinTM")
                                << QByteArray("600")
                                << QByteArray("[Parameter]\r\nT_MinTM=600\r\n");
    QTest::newRow("replace in a Windows file")
        << windowsFile << QByteArray("Parameter") << QByteArray("K_MonTM") << QByteArray("40")
        << QByteArray(windowsFile).replace("K_MonTM=45", "K_MonTM=40");
    QTest::newRow("replace keeps the stored name and the LF")
        << QByteArray("[parameter]\n  t_mintm = 65 \nH_MinTM = 70\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << QByteArray("55")
        << QByteArray("[parameter]\nt_mintm=55\nH_MinTM = 70\n");
    QTest::newRow("replace in a CR file")
        << QByteArray("[P]\rk=1\rj=2\r") << QByteArray("P") << QByteArray("k") << QByteArray("3")
        << QByteArray("[P]\rk=3\rj=2\r");
    QTest::newRow("replace the last line without line end")
        << QByteArray("[P]\r\nk=1") << QByteArray("P") << QByteArray("k") << QByteArray("3")
        << QByteArray("[P]\r\nk=3");
    QTest::newRow("replace a quoted value")
        << QByteArray("[P]\r\nk=\"1\"\r\n") << QByteArray("P") << QByteArray("k") << QByteArray("3")
        << QByteArray("[P]\r\nk=3\r\n");
    QTest::newRow("same value keeps the line as it is")
        << QByteArray("[P]\r\n  k = \"3\" \r\n") << QByteArray("P") << QByteArray("k")
        << QByteArray("3") << QByteArray("[P]\r\n  k = \"3\" \r\n");
    QTest::newRow("a quoted blank is not an empty value")
        << QByteArray("[P]\r\nk=' '\r\n") << QByteArray("P") << QByteArray("k") << QByteArray(" ")
        << QByteArray("[P]\r\nk= \r\n");
    QTest::newRow("first of duplicate keys")
        << QByteArray("[P]\r\nk=1\r\nk=2\r\n") << QByteArray("P") << QByteArray("K")
        << QByteArray("3") << QByteArray("[P]\r\nk=3\r\nk=2\r\n");
    QTest::newRow("first of duplicate sections")
        << QByteArray("[P]\r\na=1\r\n[P]\r\nk=2\r\n") << QByteArray("P") << QByteArray("k")
        << QByteArray("3") << QByteArray("[P]\r\na=1\r\nk=3\r\n[P]\r\nk=2\r\n");
    QTest::newRow("new key after the last key, before blank lines and comments")
        << QByteArray("[P]\r\na=1\r\njunk\r\n\r\n; next\r\n[Q]\r\nk=9\r\n") << QByteArray("P")
        << QByteArray("k") << QByteArray("3")
        << QByteArray("[P]\r\na=1\r\nk=3\r\njunk\r\n\r\n; next\r\n[Q]\r\nk=9\r\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[P]\r\n; nothing yet\r\n[Q]\r\n") << QByteArray("P") << QByteArray("k")
        << QByteArray("3") << QByteArray("[P]\r\nk=3\r\n; nothing yet\r\n[Q]\r\n");
    QTest::newRow("new key after a last line without line end")
        << QByteArray("[P]\r\na=1") << QByteArray("P") << QByteArray("k") << QByteArray("3")
        << QByteArray("[P]\r\na=1\r\nk=3\r\n");
    QTest::newRow("new key in an LF file")
        << QByteArray("[P]\na=1\n") << QByteArray("P") << QByteArray("k") << QByteArray("3")
        << QByteArray("[P]\na=1\nk=3\r\n");
    QTest::newRow("new key in a CR file")
        << QByteArray("[P]\ra=1\r") << QByteArray("P") << QByteArray("k") << QByteArray("3")
        << QByteArray("[P]\ra=1\rk=3\r\n");
    QTest::newRow("new section at the end")
        << QByteArray("[General]\nWin_Top=1\n\n") << QByteArray("Parameter")
        << QByteArray("T_MinTM") << QByteArray("600")
        << QByteArray("[General]\nWin_Top=1\n\n[Parameter]\r\nT_MinTM=600\r\n");
    QTest::newRow("new section after text without line end")
        << QByteArray("; x") << QByteArray("P") << QByteArray("k") << QByteArray("3")
        << QByteArray("; x\r\n[P]\r\nk=3\r\n");
    QTest::newRow("commented key does not count")
        << QByteArray("[P]\r\n;k=1\r\n") << QByteArray("P") << QByteArray("k") << QByteArray("3")
        << QByteArray("[P]\r\nk=3\r\n;k=1\r\n");
    QTest::newRow("Shift-JIS lines survive")
        << QByteArray(shiftJisComment + "\r\n[P]\r\n" + shiftJisKey + "\r\nk=1\r\n")
        << QByteArray("P") << QByteArray("k") << QByteArray("3")
        << QByteArray(shiftJisComment + "\r\n[P]\r\n" + shiftJisKey + "\r\nk=3\r\n");
    QTest::newRow("byte order mark survives")
        << QByteArray("\xEF\xBB\xBF[P]\r\nk=1\r\n") << QByteArray("P") << QByteArray("k")
        << QByteArray("3") << QByteArray("\xEF\xBB\xBF[P]\r\nk=3\r\n");
    QTest::newRow("NUL bytes survive")
        << QByteArray("[P]\r\nx=\0\0\r\nk=1\r\n", 17) << QByteArray("P") << QByteArray("k")
        << QByteArray("3") << QByteArray("[P]\r\nx=\0\0\r\nk=3\r\n", 17);
}

void ProfileTest::write()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, expected);

    const std::optional<QByteArray> written = Profile::writeValue(text, section, key, value);
    QVERIFY(written);
    QCOMPARE(*written, expected);
    QCOMPARE(
        Profile::readValue(*written, section, key), std::optional<QByteArray>(value.trimmed()));
}

void ProfileTest::refusedWrites_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    const QByteArray text = "[P]\r\nk=1\r\n";
    QTest::newRow("empty section") << text << QByteArray() << QByteArray("k") << QByteArray("1");
    QTest::newRow("section with blanks")
        << text << QByteArray(" P") << QByteArray("k") << QByteArray("1");
    QTest::newRow("section with line break")
        << text << QByteArray("P]\r\n[Q") << QByteArray("k") << QByteArray("1");
    QTest::newRow("empty key") << text << QByteArray("P") << QByteArray() << QByteArray("1");
    QTest::newRow("key with blanks")
        << text << QByteArray("P") << QByteArray("k\t") << QByteArray("1");
    QTest::newRow("key with equals sign")
        << text << QByteArray("P") << QByteArray("k=2") << QByteArray("1");
    QTest::newRow("key looking like a comment")
        << text << QByteArray("P") << QByteArray(";k") << QByteArray("1");
    QTest::newRow("key looking like a section")
        << text << QByteArray("P") << QByteArray("[k") << QByteArray("1");
    QTest::newRow("key with line break")
        << text << QByteArray("P") << QByteArray("k\nj") << QByteArray("1");
    QTest::newRow("value with line break")
        << text << QByteArray("P") << QByteArray("k") << QByteArray("1\r\n[Q]");
    QTest::newRow("UTF-16 file") << QByteArray("\xFF\xFE[\0P\0]\0", 8) << QByteArray("P")
                                 << QByteArray("k") << QByteArray("1");
}

void ProfileTest::refusedWrites()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QVERIFY(!Profile::writeValue(text, section, key, value));
}

// The settings of a whole save, one key after the other, into a file a
// person has kept: only the values that differ change.
void ProfileTest::windowsFileKeepsEveryUntouchedByte()
{
    const QByteArray kept = "; Varolin settings, kept by hand\r\n"
                            "[General]\r\n"
                            "  Win_Top = 2310\r\n"
                            "Win_Lft=\"4515\"\r\n"
                            "Other=keep me\r\n"
                            "\r\n"
        + shiftJisComment
        + "\r\n"
          "[PARAMETER]\r\n"
          "t_mintm=65\r\n"
          "H_MinTM\t=\t600\r\n"
          "K_MonTM=45\r\n"
          "Calc_Md=2\r\n"
          "LimTM=600\r\n"
          "W_MinTM=600\r\n"
          "\r\n"
          "[Unknown]\r\n"
          "T_MinTM=1\r\n";
    const QList<std::array<QByteArray, 3>> writes
        = {{"General", "Win_Top", "2310"}, {"General", "Win_Lft", "4515"},
            {"Parameter", "T_MinTM", "50"}, {"Parameter", "H_MinTM", "600"},
            {"Parameter", "K_MonTM", "45"}, {"Parameter", "Calc_Md", "3"},
            {"Parameter", "LimTM", "600"}, {"Parameter", "W_MinTM", "600"}};
    QByteArray text = kept;
    for (const auto& [section, key, value] : writes) {
        const std::optional<QByteArray> written = Profile::writeValue(text, section, key, value);
        QVERIFY(written);
        text = *written;
    }
    QByteArray expected = kept;
    expected.replace("t_mintm=65", "t_mintm=50").replace("Calc_Md=2", "Calc_Md=3");
    QCOMPARE(text, expected);
}

void ProfileTest::files_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("writable");

    QTest::newRow("existing file") << u"file"_s << true << true;
    QTest::newRow("missing file") << u"missing"_s << false << true;
    QTest::newRow("missing folder") << u"missing folder"_s << false << false;
    QTest::newRow("folder that is a file") << u"folder is a file"_s << false << false;
    QTest::newRow("folder in place of the file") << u"folder as file"_s << false << false;
    QTest::newRow("read-only folder") << u"read-only folder"_s << true << false;
}

void ProfileTest::files()
{
    QFETCH(QString, place);
    QFETCH(bool, readable);
    QFETCH(bool, writable);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray old = "[P]\r\nk=1\r\n";
    const QByteArray text = "[P]\r\nk=2\r\n";
    QString path = dir.filePath(u"Varolin.ini"_s);
    const auto put = [](const QString& file, const QByteArray& bytes) {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
    };

    if (place == u"file"_s) {
        QVERIFY(put(path, old));
    } else if (place == u"missing folder"_s) {
        path = dir.filePath(u"gone/Varolin.ini"_s);
    } else if (place == u"folder is a file"_s) {
        QVERIFY(put(dir.filePath(u"plain"_s), old));
        path = dir.filePath(u"plain/Varolin.ini"_s);
    } else if (place == u"folder as file"_s) {
        QVERIFY(QDir(dir.path()).mkdir(u"Varolin.ini"_s));
    } else if (place == u"read-only folder"_s) {
        QVERIFY(put(path, old));
        QVERIFY(QFile::setPermissions(
            path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(
            dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    }

    const std::optional<QByteArray> read = Profile::readFile(path);
    QCOMPARE(read.has_value(), readable);
    if (readable)
        QCOMPARE(*read, old);

    if (place == u"read-only folder"_s) {
        // Root writes into read-only folders: the save is made by an
        // ordinary user.
        QProcess helper;
        OrdinaryUser::dropWhenRoot(helper);
        helper.start(QString::fromLocal8Bit(VAROLIN_SETTINGS_HELPER),
            {u"write"_s, path, QString::fromLatin1(text)});
        QVERIFY(helper.waitForFinished(5000) && helper.exitStatus() == QProcess::NormalExit);
        QCOMPARE(helper.exitCode(), writable ? 0 : 1);
    } else {
        QCOMPARE(Profile::writeFile(path, text), writable);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (writable)
        QCOMPARE(Profile::readFile(path), std::optional<QByteArray>(text));
    else if (readable)
        QCOMPARE(Profile::readFile(path), std::optional<QByteArray>(old));
    // No folder is made, and no temporary file is left behind.
    QVERIFY(!QFileInfo::exists(dir.filePath(u"gone"_s)));
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QVERIFY2(left.size() <= 2, qPrintable(left.join(u", "_s)));
}

void ProfileTest::failedWriteLeavesTheOldFile_data()
{
    QTest::addColumn<int>("size");
    // Both below and above the size that Qt would buffer.
    QTest::newRow("a little over the limit") << 100;
    QTest::newRow("4 KiB") << 4096;
    QTest::newRow("40 KiB") << 40960;
}

// A disk that fills up in the middle of a save: the file size limit makes the
// write fail for any user, root included.
void ProfileTest::failedWriteLeavesTheOldFile()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Varolin.ini"_s);
    const QByteArray old = "[Parameter]\r\nT_MinTM=65\r\n";
    QVERIFY(Profile::writeFile(path, old));

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = Profile::writeFile(path, QByteArray(size, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!written);
    QCOMPARE(Profile::readFile(path), std::optional<QByteArray>(old));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Varolin.ini"_s});
}

void ProfileTest::replacedFileKeepsItsPermissions()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Varolin.ini"_s);
    QVERIFY(Profile::writeFile(path, "[P]\r\nk=1\r\n"));
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser
        | QFile::WriteUser | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, permissions));
    QVERIFY(Profile::writeFile(path, "[P]\r\nk=2\r\n"));
    QCOMPARE(QFile::permissions(path), permissions);
}

QTEST_GUILESS_MAIN(ProfileTest)
#include "tst_profile.moc"
