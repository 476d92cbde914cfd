// SPDX-License-Identifier: GPL-3.0-or-later
// The records window comes from the module as the install lays it out, and
// only from a module of this very build: one of another build (an upgrade
// installed while the program runs, a stale copy) is refused before any of
// its code runs, the user is told to start Varolin again, and the drill goes
// on. Run by install_test.sh, which installs the build first.
#include "app/records_view.h"
#include "sheet_player.h"
#include "window_fixture.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Refused
    = u"きろくの がめんを ひらけません。\rVarolin を いちど おわりにして、もういちど はじめて ください。"_s;

QWidget* recordsWindow(const WindowFixture& fixture)
{
    for (QWidget* widget : fixture.window->findChildren<QWidget*>()) {
        if (widget->isWindow() && widget->inherits("RecordsWindow"))
            return widget;
    }
    return nullptr;
}

bool mapped(const QString& path)
{
    QFile maps(u"/proc/self/maps"_s);
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(path.toLocal8Bit());
}

} // namespace

class RecordsModuleTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refused_data();
    void refused();
    // Last: once loaded, the module stays for the rest of the process.
    void installed();
};

void RecordsModuleTest::refused_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QByteArray>("contents");
    // Each foreign module ends the process from its static initialiser.
    QTest::newRow("another build, same version")
        << QStringLiteral(FOREIGN_BUILD_MODULE) << QByteArray();
    QTest::newRow("another version, same build id")
        << QStringLiteral(FOREIGN_VERSION_MODULE) << QByteArray();
    QTest::newRow("not a module") << QString()
                                  << QByteArray("\x7f"
                                                "ELF damaged");
    QTest::newRow("missing") << QString() << QByteArray();
}

void RecordsModuleTest::refused()
{
    QFETCH(QString, module);
    QFETCH(QByteArray, contents);
    setRecordsViewMaker(nullptr);
    WindowFixture fixture;
    const QString installed = fixture.path(QStringLiteral(VAROLIN_RECORDS_MODULE));
    if (!module.isEmpty())
        QVERIFY(QFile::copy(module, installed));
    else if (!contents.isEmpty())
        fixture.writeFile(QStringLiteral(VAROLIN_RECORDS_MODULE), contents);
    fixture.make();

    fixture.click(u"recordsButton"_s);
    QVERIFY(!recordsWindow(fixture));
    QVERIFY(!mapped(installed));
    QCOMPARE(fixture.desktop.shown.size(), 1);
    QCOMPARE(fixture.desktop.shown[0].message.prompt, Refused);

    fixture.click(u"startButton"_s);
    QCOMPARE(SheetPlayer::enabledCell(fixture), 0);
}

void RecordsModuleTest::installed()
{
    const QString folder = qEnvironmentVariable("VAROLIN_INSTALLED_FOLDER");
    QVERIFY2(!folder.isEmpty(), "run through install_test.sh, which installs the build");
    setRecordsViewMaker(nullptr);
    WindowFixture fixture;
    fixture.programFolder = folder;
    fixture.make();

    fixture.click(u"recordsButton"_s);
    QVERIFY(fixture.desktop.shown.isEmpty());
    QWidget* records = recordsWindow(fixture);
    QVERIFY(records);
    QVERIFY(records->isVisible());
    QVERIFY(mapped(folder + u'/' + QStringLiteral(VAROLIN_RECORDS_MODULE)));
}

QTEST_MAIN(RecordsModuleTest)
#include "records_module_test.moc"
