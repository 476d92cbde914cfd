#include "app/main_window.h"

#include "settings/cinifiles.h"
#include "settings/window_place.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

constexpr std::int32_t DefaultSeconds = 600;
constexpr std::int32_t MissingValue = -1;

bool validSeconds(std::int32_t value)
{
    return value >= 0 && value <= 32767;
}

int readSeconds(CIniFiles& ini, const QString& key)
{
    std::int32_t value = ini.GetValues(key);
    if (!validSeconds(value)) {
        ini.SetValues(key, DefaultSeconds);
        value = ini.GetValues(key);
    }
    return validSeconds(value) ? value : DefaultSeconds;
}

} // namespace

void MainWindow::loadSettings()
{
    CIniFiles ini;
    ini.FileName(settingsPath);
    const QPoint start = normalPosition();
    const std::int32_t startTop = WindowPlace::toTwips(start.y());
    const std::int32_t startLeft = WindowPlace::toTwips(start.x());

    if (!QFileInfo::exists(settingsPath)) {
        ini.Section(u"General"_s);
        ini.SetValues(u"Win_Top"_s, startTop);
        ini.SetValues(u"Win_Lft"_s, startLeft);
        ini.Section(u"Parameter"_s);
        ini.SetValues(u"T_MinTM"_s, DefaultSeconds);
        ini.SetValues(u"H_MinTM"_s, DefaultSeconds);
        ini.SetValues(u"K_MonTM"_s, DefaultSeconds);
        ini.SetValues(u"Calc_Md"_s, 0);
        ini.SetValues(u"LimTM"_s, DefaultSeconds);
        ini.SetValues(u"W_MinTM"_s, DefaultSeconds);
    }
    ini.Section(u"General"_s);
    const std::int32_t top = ini.GetValues(u"Win_Top"_s);
    const std::int32_t left = ini.GetValues(u"Win_Lft"_s);
    settings.top = top == MissingValue ? startTop : top;
    settings.left = left == MissingValue ? startLeft : left;

    ini.Section(u"Parameter"_s);
    settings.best[0] = readSeconds(ini, u"T_MinTM"_s);
    settings.best[1] = readSeconds(ini, u"H_MinTM"_s);
    settings.best[2] = readSeconds(ini, u"K_MonTM"_s);
    settings.kind = kindFromNumber(ini.GetValues(u"Calc_Md"_s));
    settings.timeLimit = readSeconds(ini, u"LimTM"_s);
    settings.best[3] = readSeconds(ini, u"W_MinTM"_s);
}

void MainWindow::applySettings()
{
    const QPoint saved(WindowPlace::fromTwips(settings.left), WindowPlace::fromTwips(settings.top));
    QPoint target = saved;
    // A position saved on a screen that is gone (or a hand-edited one) would
    // open the window where nobody can see it.
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
    CIniFiles ini;
    ini.FileName(settingsPath);
    ini.Section(u"General"_s);
    ini.SetValues(u"Win_Top"_s, settings.top);
    ini.SetValues(u"Win_Lft"_s, settings.left);
    ini.Section(u"Parameter"_s);
    ini.SetValues(u"T_MinTM"_s, settings.best[0]);
    ini.SetValues(u"H_MinTM"_s, settings.best[1]);
    ini.SetValues(u"K_MonTM"_s, settings.best[2]);
    ini.SetValues(u"Calc_Md"_s, kindNumber(settings.kind));
    ini.SetValues(u"LimTM"_s, settings.timeLimit);
    ini.SetValues(u"W_MinTM"_s, settings.best[3]);
    return true;
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
    const QPoint position = normalPosition();
    settings.top = WindowPlace::toTwips(position.y());
    settings.left = WindowPlace::toTwips(position.x());
}
