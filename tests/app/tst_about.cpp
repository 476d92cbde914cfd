// SPDX-License-Identifier: GPL-3.0-or-later
// The about picture shows the version, the credit and the web address in a
// question box; the help button hands the read-me beside the program to the
// desktop, shows it in a window of its own when the desktop cannot, and
// tells in a box, naming the file, when there is none. Neither touches a
// drill. The window's icon and the about picture, built into the program as
// pixels, are those of their PNG files.
#include "app/qt_desktop.h"
#include "sheet_player.h"
#include "window_fixture.h"

#include <QColorSpace>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

class AboutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aboutMessage();
    void readme_data();
    void readme();
    void bothWhileADrillRuns();
    void readmeFile();
    void pictures_data();
    void pictures();
};

void AboutTest::aboutMessage()
{
    WindowFixture fixture;
    fixture.make();
    QTest::mouseClick(fixture.find(u"aboutPicture"_s), Qt::LeftButton);

    QCOMPARE(fixture.desktop.shown.size(), 1);
    const Desktop::Message& message = fixture.desktop.shown.front().message;
    QCOMPARE(message.title, u"Varolin"_s);
    QCOMPARE(message.buttons, Desktop::Buttons::Ok);
    QCOMPARE(message.icon, Desktop::Icon::Question);

    // Three lines parted by a carriage return alone.
    QVERIFY(!message.prompt.contains(u'\n'));
    const QStringList lines = message.prompt.split(u'\r');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], u"Ver 2.30"_s);
    QVERIFY2(QRegularExpression(u"^by \\S.* \\(\\S.*\\)$"_s).match(lines[1]).hasMatch(),
        qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith(u"https://"_s) && !lines[2].contains(u' '), qPrintable(lines[2]));

    // The real box shows them as three lines.
    QCOMPARE(QtDesktop::displayText(message.prompt).split(u'\n'), lines);
}

void AboutTest::readme_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("folderInstead"); // a folder named readme.txt
    QTest::addColumn<bool>("opens"); // the desktop finds a program for it
    QTest::addColumn<bool>("handedOver");
    QTest::addColumn<bool>("ownWindow");
    QTest::addColumn<bool>("toldMissing");

    QTest::newRow("present") << true << false << true << true << false << false;
    QTest::newRow("present, no program for it: shown here")
        << true << false << false << true << true << false;
    QTest::newRow("missing: told") << false << false << true << false << false << true;
    QTest::newRow("a folder of that name: told") << false << true << true << false << false << true;
}

void AboutTest::readme()
{
    QFETCH(bool, present);
    QFETCH(bool, folderInstead);
    QFETCH(bool, opens);
    QFETCH(bool, handedOver);
    QFETCH(bool, ownWindow);
    QFETCH(bool, toldMissing);

    WindowFixture fixture;
    const QString text = u"Varolin\nはじめ を おします。\n"_s;
    if (present)
        fixture.writeFile(u"readme.txt"_s, text.toUtf8());
    if (folderInstead)
        QVERIFY(QDir(fixture.folder.path()).mkdir(u"readme.txt"_s));
    fixture.desktop.openSucceeds = opens;
    fixture.make();

    fixture.click(u"readmeButton"_s);

    const QStringList expected
        = handedOver ? QStringList{fixture.folder.path() + u"/readme.txt"_s} : QStringList{};
    QCOMPARE(fixture.desktop.openedFiles, expected);
    QCOMPARE(fixture.desktop.shown.size(), toldMissing ? 1 : 0);
    if (toldMissing) {
        const Desktop::Message& told = fixture.desktop.shown.front().message;
        QCOMPARE(told.prompt,
            u"よみもの（readme.txt）が みつかりません。\r\n"_s
                + QDir::toNativeSeparators(fixture.folder.path() + u"/readme.txt"_s));
        QCOMPARE(told.icon, Desktop::Icon::Warning);
    }
    QCOMPARE(fixture.desktop.beeps, 0);

    auto* own = fixture.find<QDialog>(u"readmeWindow"_s);
    QCOMPARE(own && own->isVisible(), ownWindow);
    if (!ownWindow)
        return;
    const auto* shown = own->findChild<QPlainTextEdit*>(u"readmeText"_s);
    QCOMPARE(shown->toPlainText(), text);
    QVERIFY(shown->isReadOnly());
    QVERIFY(own->width() <= 1024 && own->height() <= 768);
    // A second click brings the same window forward.
    fixture.click(u"readmeButton"_s);
    QCOMPARE(fixture.window->findChildren<QDialog*>(u"readmeWindow"_s).size(), 1);
    QTest::keyClick(own, Qt::Key_Escape);
    QTRY_VERIFY(!fixture.find<QDialog>(u"readmeWindow"_s));
}

void AboutTest::bothWhileADrillRuns()
{
    WindowFixture fixture;
    fixture.writeFile(u"readme.txt"_s, "Varolin\n");
    fixture.make();
    fixture.click(u"startButton"_s);
    QVERIFY(SheetPlayer::answerOpenCell(fixture) == 0);
    auto* clockTimer = fixture.find<QTimer>(u"clockTimer"_s);
    const auto state = [&] {
        return std::tuple{SheetPlayer::enabledCell(fixture), fixture.cell(0)->text(),
            clockTimer->isActive(), fixture.button(u"stopButton"_s)->isEnabled()};
    };
    const auto before = state();

    QTest::mouseClick(fixture.find(u"aboutPicture"_s), Qt::LeftButton);
    fixture.click(u"readmeButton"_s);

    QCOMPARE(fixture.desktop.shown.size(), 1);
    QCOMPARE(fixture.desktop.openedFiles.size(), 1);
    QVERIFY(state() == before);
}

// The read-me that the build puts beside the program: UTF-8, and speaking
// of the window as it is.
void AboutTest::readmeFile()
{
    QFile file(QStringLiteral(VAROLIN_README));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    QVERIFY(!decoder.hasError());
    QVERIFY(text.size() > 1000);

    for (const QString& word : {u"きりかえ"_s, u"すうじ"_s, u"はじめ"_s, u"やめる"_s, u"おわる"_s,
             u"たしざん"_s, u"ひきざん"_s, u"かけざん"_s, u"わりざん"_s, u"BackSpace"_s,
             u"Varolin.ini"_s, u"~/.config/Varolin/"_s, u"10分00秒"_s})
        QVERIFY2(text.contains(word), qPrintable(word));
}

void AboutTest::pictures_data()
{
    QTest::addColumn<QString>("shownBy");
    QTest::addColumn<QString>("file");

    QTest::newRow("window icon") << u"mainWindow"_s << u"varolin-32.png"_s;
    QTest::newRow("about picture") << u"aboutPicture"_s << u"about.png"_s;
}

void AboutTest::pictures()
{
    QFETCH(QString, shownBy);
    QFETCH(QString, file);

    WindowFixture fixture;
    MainWindow& window = fixture.make();
    const QPixmap shown = shownBy == window.objectName() ? window.windowIcon().pixmap(32)
                                                         : fixture.find<QLabel>(shownBy)->pixmap();
    const QImage png(QFINDTESTDATA(u"../../resources/"_s + file));
    QVERIFY(!png.isNull());
    QCOMPARE(shown.size(), png.size());
    QCOMPARE(shown.hasAlpha(), png.hasAlphaChannel());
    // Pixel for pixel as the window shows the PNG (whose colour space is
    // only a label: nothing on screen is converted by it).
    const auto pixels = [](const QPixmap& pixmap) {
        QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        image.setColorSpace(QColorSpace());
        return image;
    };
    QCOMPARE(pixels(shown), pixels(QPixmap::fromImage(png)));
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
