// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/desktop.h"
#include "settings/window_place.h"

#include <QGuiApplication>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

QPoint toTwips(QPoint pixels)
{
    return {WindowPlace::toTwips(pixels.x()), WindowPlace::toTwips(pixels.y())};
}

} // namespace

void MainWindow::applySettings()
{
    const std::optional<QPoint> twips = practice.settings().windowTwips;
    if (!twips)
        return;
    const QPoint saved(WindowPlace::fromTwips(twips->x()), WindowPlace::fromTwips(twips->y()));
    QPoint target = saved;
    // A position saved on a screen that is gone (or a hand-edited one) would
    // open the window where nobody can see it or grab its title bar.
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens())
            screens.append(screen->availableGeometry());
        target = WindowPlace::place(
            saved, frameGeometry().size(), screens, primary->availableGeometry());
    }
    if (target != normalPosition())
        move(target);
}

QPoint MainWindow::normalPosition() const
{
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return pos();
    // normalGeometry() is the client area; shift it by the frame's margin.
    const QPoint frameMargin = geometry().topLeft() - frameGeometry().topLeft();
    return normalGeometry().topLeft() - frameMargin;
}

std::optional<QPoint> MainWindow::windowTwips() const
{
    // The settings keep the place they had rather than one made up.
    if (!desktop.tellsWindowPlace())
        return {};
    return toTwips(normalPosition());
}
