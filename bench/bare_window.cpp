// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline for start-up figures: the smallest Qt Widgets program that
// shows a window.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Varolin"));
    label.setWindowTitle(QStringLiteral("bare"));
    label.show();
    return QApplication::exec();
}
