// SPDX-License-Identifier: GPL-3.0-or-later
// The records window opens only through a module of this very build: the
// installed one opens; one of another build, a damaged file or none is not
// loaded (the foreign modules end the process if any of their code runs),
// the user is told to start Varolin again and the drill goes on. Run by
// install_test.sh, which installs the build first.
#include "app/records_view.h"
#include "sheet_player.h"
#include "window_fixture.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class RecordsModuleTest : public QObject
{
    Q_OBJECT

    // Presses 「きろく」 on a fresh window; true when the records window shows.
    static bool openRecords(WindowFixture& fixture)
    {
        setRecordsViewMaker(nullptr);
        fixture.make();
        fixture.click(u"recordsButton"_s);
        const QList<QWidget*> widgets = fixture.window->findChildren<QWidget*>();
        return std::any_of(widgets.begin(), widgets.end(), [](const QWidget* widget) {
            return widget->isWindow() && widget->inherits("RecordsWindow") && widget->isVisible();
        });
    }

private Q_SLOTS:
    void refused_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("another build") << QStringLiteral(FOREIGN_BUILD_MODULE) << QByteArray();
        QTest::newRow("another version") << QStringLiteral(FOREIGN_VERSION_MODULE) << QByteArray();
        QTest::newRow("damaged") << QString()
                                 << QByteArray("\x7f"
                                               "ELF");
        QTest::newRow("missing") << QString() << QByteArray();
    }

    void refused()
    {
        QFETCH(QString, module);
        QFETCH(QByteArray, contents);
        WindowFixture fixture;
        const QString name = QStringLiteral(VAROLIN_RECORDS_MODULE);
        if (!module.isEmpty())
            QVERIFY(QFile::copy(module, fixture.path(name)));
        if (!contents.isEmpty())
            fixture.writeFile(name, contents);
        QVERIFY(!openRecords(fixture));
        QCOMPARE(fixture.desktop.shown.size(), 1);
        QCOMPARE(fixture.desktop.shown[0].message.prompt,
            u"きろくの がめんを ひらけません。\rVarolin を いちど おわりにして、もういちど はじめて ください。"_s);
        fixture.click(u"startButton"_s);
        QCOMPARE(SheetPlayer::enabledCell(fixture), 0);
    }

    // Last: once loaded, a module stays for the rest of the process.
    void installed()
    {
        WindowFixture fixture;
        fixture.programFolder = qEnvironmentVariable("VAROLIN_INSTALLED_FOLDER");
        QVERIFY2(!fixture.programFolder.isEmpty(), "run by install_test.sh after the install");
        QVERIFY(openRecords(fixture));
        QVERIFY(fixture.desktop.shown.isEmpty());
    }
};

QTEST_MAIN(RecordsModuleTest)
#include "records_module_test.moc"
