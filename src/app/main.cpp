#include "app/main_window.h"
#include "app/qt_desktop.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varolin"));
    QApplication::setApplicationVersion(QStringLiteral(VAROLIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.varolin.Varolin"));

    QtDesktop desktop;
    MainWindow window(desktop, QCoreApplication::applicationDirPath());
    window.show();
    return QApplication::exec();
}
