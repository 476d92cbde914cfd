#include "app/form1.h"
#include "app/qt_desktop.h"
#include "app/single_instance.h"
#include "app/termination.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varolin"));
    QApplication::setApplicationVersion(QStringLiteral(VAROLIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.varolin.Varolin"));

    // A second start brings the running copy forward and ends before it makes a window.
    SingleInstance instance(QStringLiteral("varolin"));
    if (!instance.claim())
        return 0;
    Termination termination;

    QtDesktop desktop;
    Form1 window(desktop, QCoreApplication::applicationDirPath());
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });
    // Logout, shutdown or a signal: keep the settings without asking, then end.
    QObject::connect(&termination, &Termination::requested, &window, [&window] {
        window.StopClock();
        window.storeWindowPosition();
        window.SaveSettings();
        window.endProgram();
    });
    window.show();
    return QApplication::exec();
}
