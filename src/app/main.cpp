// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/class_start.h"
#include "app/main_window.h"
#include "app/qt_desktop.h"
#include "app/qt_translation.h"
#include "app/single_instance.h"
#include "app/termination.h"
#include "class/class_config.h"
#include "practice/machine_practice.h"
#include "practice/practice.h"
#include "records/record_store.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varolin"));
    QApplication::setApplicationVersion(QStringLiteral(VAROLIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.varolin.Varolin"));
    installQtJapanese(app);

    // The teacher's view of the class on the school's server, with no drill.
    if (QCoreApplication::arguments().contains(u"--class"_s)) {
        QApplication::setDesktopFileName(QStringLiteral("org.varolin.Varolin.Class"));
        QtDesktop desktop;
        return runClassView(desktop, QCoreApplication::applicationDirPath());
    }

    // A second start brings the running copy forward and ends before it
    // makes a window.
    SingleInstance instance(QStringLiteral("varolin"));
    if (!instance.claim())
        return 0;
    Termination termination;

    QtDesktop desktop;
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString records = RecordStore::defaultPath();
    // A class on the school's server, where the administrator configured
    // one; the server itself is reached only once the window is shown.
    std::optional<ClassConfig> classroom;
    QString unusableClassConfig;
    if (const QString classIni = findClassConfig(); !classIni.isEmpty()) {
        Outcome<ClassConfig> read = readClassConfig(classIni);
        if (read) {
            classroom = *std::move(read);
        } else {
            std::fprintf(stderr, "%s\n", qPrintable(failureLog(read.failure())));
            unusableClassConfig = classIni;
        }
    }
    MachinePractice machine({
        .settings = locateSettingsFile(programFolder),
        .records = records,
        .seed = desktop.randomSeed(),
        .monotonic = [&desktop] { return desktop.monotonicMilliseconds(); },
        .now = [&desktop] { return desktop.now(); },
        .unsavedNote = QFileInfo(records).absolutePath() + u"/settings-not-saved"_s,
        .classroom = classroom,
        .unusableClassConfig = unusableClassConfig,
        .startTwips = MainWindow::openingTwips(),
    });
    Practice& practice = machine.practice();
    MainWindow window(desktop, practice, programFolder);
    QObject::connect(
        &instance, &SingleInstance::activationRequested, &window, &MainWindow::bringToFront);
    // Logout, shutdown or a signal: the settings are kept without a question.
    QObject::connect(
        &termination, &Termination::requested, &window, &MainWindow::endWithoutQuestion);
    QObject::connect(
        &termination, &Termination::keepRequested, &practice, &Practice::keepWithoutQuestion);
    window.show();
    return QApplication::exec();
}
