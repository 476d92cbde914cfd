// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/desktop.h"
#include "drill/drill.h"
#include "settings/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QPoint toTwips(QPoint pixels)
{
    return {WindowPlace::toTwips(pixels.x()), WindowPlace::toTwips(pixels.y())};
}

} // namespace

void MainWindow::loadSettings()
{
    settingsFile = std::make_unique<SettingsFile>(SettingsFile::forProgram(programFolder));
    // Where the window stands before any setting is applied: what a new file
    // records, and where the window stays when the file has no position.
    const SettingsFile::Loaded loaded = settingsFile->load(toTwips(normalPosition()));
    settings = loaded.settings;
    if (loaded.status == SettingsFile::Status::Unusable) {
        // Told once the window is on the screen.
        QTimer::singleShot(0, this, [this] {
            tellSettingsProblem(u"せっていの ファイルが つかえません。\r"
                                u"ハイスコアは こんかい かぎりに なります。\r\r"_s
                + settingsFile->path());
        });
    }
}

void MainWindow::applySettings()
{
    if (!settings.windowTwips)
        return;
    const QPoint saved(WindowPlace::fromTwips(settings.windowTwips->x()),
        WindowPlace::fromTwips(settings.windowTwips->y()));
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

bool MainWindow::saveSettings()
{
    settings.kind = drill->kind();
    if (settingsFile->save(settings))
        return true;
    tellSettingsProblem(
        u"ハイスコアの きろくを ほぞん できませんでした。\r\r"_s + settingsFile->path());
    return false;
}

void MainWindow::tellSettingsProblem(const QString& prompt)
{
    if (settingsProblemTold)
        return;
    settingsProblemTold = true;
    ask(desktop, this, prompt, u"ほぞん できません"_s, Desktop::Buttons::Ok,
        Desktop::Icon::Warning);
}

QPoint MainWindow::normalPosition() const
{
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return pos();
    // normalGeometry() is the client area; shift it by the frame's margin.
    const QPoint frameMargin = geometry().topLeft() - frameGeometry().topLeft();
    return normalGeometry().topLeft() - frameMargin;
}

void MainWindow::storeWindowPosition()
{
    settings.windowTwips = toTwips(normalPosition());
}
