// SPDX-License-Identifier: GPL-3.0-or-later
// The real desktop: message boxes with Japanese buttons that answer what was
// clicked, line breaks made of lone carriage returns, the clipboard, the
// quiet failures of opening files and finding a printer, and Qt's own dialogs
// in Japanese.
#include "app/qt_desktop.h"
#include "app/qt_translation.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Desktop::Buttons)
Q_DECLARE_METATYPE(Desktop::Icon)
Q_DECLARE_METATYPE(Desktop::Answer)

class QtDesktopTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayText_data();
    void displayText();
    void messageBox_data();
    void messageBox();
    void keys_data();
    void keys();
    void verdict_data();
    void verdict();
    void clipboard();
    void missingFileIsNotOpened();
    void printerIsNullWithoutADefaultPrinter();
    void qtDialogsSpeakJapanese();
};

void QtDesktopTest::displayText_data()
{
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("shown");

    QTest::newRow("lone CR") << u"Ver 2.30\rby X\rhttp://x"_s << u"Ver 2.30\nby X\nhttp://x"_s;
    QTest::newRow("CRLF") << u"a\r\n\r\nb\r\n"_s << u"a\n\nb\n"_s;
    QTest::newRow("two CRs") << u"45秒でした。\r\rハイスコアです。"_s
                             << u"45秒でした。\n\nハイスコアです。"_s;
    QTest::newRow("LF untouched") << u"a\nb"_s << u"a\nb"_s;
}

void QtDesktopTest::displayText()
{
    QFETCH(QString, prompt);
    QFETCH(QString, shown);
    QCOMPARE(QtDesktop::displayText(prompt), shown);
}

void QtDesktopTest::messageBox_data()
{
    QTest::addColumn<Desktop::Buttons>("buttons");
    QTest::addColumn<Desktop::Icon>("icon");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("click");
    QTest::addColumn<Desktop::Answer>("answer");
    QTest::addColumn<int>("boxIcon");

    QTest::newRow("OK") << Desktop::Buttons::Ok << Desktop::Icon::None << QStringList{u"OK"_s}
                        << u"OK"_s << Desktop::Answer::Ok << int(QMessageBox::NoIcon);
    QTest::newRow("yes") << Desktop::Buttons::YesNo << Desktop::Icon::None
                         << QStringList{u"はい"_s, u"いいえ"_s} << u"はい"_s << Desktop::Answer::Yes
                         << int(QMessageBox::NoIcon);
    QTest::newRow("no") << Desktop::Buttons::YesNo << Desktop::Icon::None
                        << QStringList{u"はい"_s, u"いいえ"_s} << u"いいえ"_s << Desktop::Answer::No
                        << int(QMessageBox::NoIcon);
    QTest::newRow("cancel") << Desktop::Buttons::OkCancel << Desktop::Icon::None
                            << QStringList{u"OK"_s, u"キャンセル"_s} << u"キャンセル"_s
                            << Desktop::Answer::Cancel << int(QMessageBox::NoIcon);
    QTest::newRow("deleting, yes") << Desktop::Buttons::YesNoDefaultNo << Desktop::Icon::None
                                   << QStringList{u"はい"_s, u"いいえ"_s} << u"はい"_s
                                   << Desktop::Answer::Yes << int(QMessageBox::NoIcon);
    QTest::newRow("question icon")
        << Desktop::Buttons::Ok << Desktop::Icon::Question << QStringList{u"OK"_s} << u"OK"_s
        << Desktop::Answer::Ok << int(QMessageBox::Question);
    QTest::newRow("warning icon") << Desktop::Buttons::Ok << Desktop::Icon::Warning
                                  << QStringList{u"OK"_s} << u"OK"_s << Desktop::Answer::Ok
                                  << int(QMessageBox::Warning);
}

void QtDesktopTest::messageBox()
{
    QFETCH(Desktop::Buttons, buttons);
    QFETCH(Desktop::Icon, icon);
    QFETCH(QStringList, captions);
    QFETCH(QString, click);
    QFETCH(Desktop::Answer, answer);
    QFETCH(int, boxIcon);

    QStringList seenCaptions;
    QString seenTitle;
    QString seenText;
    int seenIcon = -1;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seenTitle = box->windowTitle();
        seenText = box->text();
        seenIcon = box->icon();
        QPushButton* target = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seenCaptions.append(button->text());
            if (button->text() == click)
                target = qobject_cast<QPushButton*>(button);
        }
        QVERIFY(target);
        target->click();
    });

    QtDesktop desktop;
    const Desktop::Answer got
        = ask(desktop, nullptr, u"やめますか？\rもういちど"_s, u"かくにん"_s, buttons, icon);
    QCOMPARE(got, answer);
    QCOMPARE(seenTitle, u"かくにん"_s);
    QCOMPARE(seenText, u"やめますか？\nもういちど"_s);
    QCOMPARE(seenIcon, boxIcon);
    seenCaptions.sort();
    captions.sort();
    QCOMPARE(seenCaptions, captions);
}

void QtDesktopTest::keys_data()
{
    QTest::addColumn<Desktop::Buttons>("buttons");
    QTest::addColumn<int>("key");
    QTest::addColumn<Desktop::Answer>("answer");
    QTest::newRow("Escape keeps") << Desktop::Buttons::YesNo << int(Qt::Key_Escape)
                                  << Desktop::Answer::No;
    QTest::newRow("Enter goes on")
        << Desktop::Buttons::YesNo << int(Qt::Key_Return) << Desktop::Answer::Yes;
    QTest::newRow("Escape keeps what would be deleted")
        << Desktop::Buttons::YesNoDefaultNo << int(Qt::Key_Escape) << Desktop::Answer::No;
    QTest::newRow("Enter keeps what would be deleted")
        << Desktop::Buttons::YesNoDefaultNo << int(Qt::Key_Return) << Desktop::Answer::No;
}

void QtDesktopTest::keys()
{
    QFETCH(Desktop::Buttons, buttons);
    QFETCH(int, key);
    QFETCH(Desktop::Answer, answer);
    QTimer::singleShot(0, this, [key] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        QTest::keyClick(box, Qt::Key(key));
    });
    QtDesktop desktop;
    QCOMPARE(ask(desktop, nullptr, u"おわりにしますか？"_s, u"かくにん"_s, buttons), answer);
}

void QtDesktopTest::verdict_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("line");
    QTest::newRow("record") << u"きろくこうしん！！"_s << u"ハイスコアです。"_s;
    QTest::newRow("near miss") << u"おしい！"_s << u"もう少しでハイスコアです。"_s;
    QTest::newRow("miss") << u"ざんねん"_s << u"もっとがんばりましょう。"_s;
    // Wider than anything the box holds: its title alone decides.
    QTest::newRow("a title wider than the lines")
        << u"きろくこうしん！！ きろくこうしん！！ きろくこうしん！！"_s << u"OK"_s;
}

// The verdict a child reads: the box as wide as its title needs under the
// title font, the verdict line large, and clear of the row and the column
// the child finished on, at the bottom and the right of the window.
void QtDesktopTest::verdict()
{
    QFETCH(QString, title);
    QFETCH(QString, line);
    QWidget window;
    window.setGeometry(100, 100, 716, 639);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QList<QRect> keepClear = {QRect(108, 670, 700, 46), QRect(762, 108, 46, 608)};

    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), title);
        QCOMPARE_GE(box->width(),
            QFontMetrics(QFontDatabase::systemFont(QFontDatabase::TitleFont))
                .horizontalAdvance(title));
        const auto* verdict = box->findChild<QLabel*>(u"verdictLine"_s);
        QVERIFY(verdict);
        QCOMPARE(verdict->text(), line);
        QCOMPARE_GE(verdict->font().pointSizeF(), 16.0);
        QCOMPARE(box->findChild<QLabel*>(u"verdictTime"_s)->text(), u"1分05秒でした。"_s);
        for (const QRect& kept : keepClear)
            QVERIFY(!box->frameGeometry().intersects(kept));
        QVERIFY(box->frameGeometry().intersects(window.geometry()));
        seen = true;
        QTest::keyClick(box, Qt::Key_Return);
    });
    QtDesktop desktop;
    Desktop::Message verdict;
    verdict.prompt = u"1分05秒でした。\r\r"_s + line;
    verdict.title = title;
    QCOMPARE(desktop.showVerdict(&window, verdict, keepClear), Desktop::Answer::Ok);
    QVERIFY(seen);
}

void QtDesktopTest::clipboard()
{
    QtDesktop desktop;
    desktop.setClipboardText(u"[たしざん]1分05秒"_s);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"[たしざん]1分05秒"_s);
}

void QtDesktopTest::missingFileIsNotOpened()
{
    QTemporaryDir folder;
    QtDesktop desktop;
    QVERIFY(!desktop.openFile(folder.filePath(u"readme.txt"_s)));
}

void QtDesktopTest::printerIsNullWithoutADefaultPrinter()
{
    QtDesktop desktop;
    const std::unique_ptr<QPrinter> printer = desktop.printer();
    QCOMPARE(printer == nullptr, QPrinterInfo::defaultPrinter().isNull());
}

// Qt's own dialogs (print, preview, files) take their texts from Qt's
// catalogue: Japanese whatever the desktop's language (C here).
void QtDesktopTest::qtDialogsSpeakJapanese()
{
    QVERIFY(installQtJapanese(*QCoreApplication::instance()));
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), u"キャンセル"_s);
    QCOMPARE(QCoreApplication::translate("QPrintDialog", "Print"), u"印刷"_s);
}

QTEST_MAIN(QtDesktopTest)
#include "tst_qt_desktop.moc"
