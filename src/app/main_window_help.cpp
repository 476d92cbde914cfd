// SPDX-License-Identifier: GPL-3.0-or-later
// The window's about box and read-me.
#include "app/about_text.h"
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/readme_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

void MainWindow::showAbout()
{
    boxes.hold([this] {
        return ask(desktop, this, aboutText(), u"Varolin"_s, Desktop::Buttons::Ok,
            Desktop::Icon::Question);
    });
}

void MainWindow::openReadme()
{
    // A read-me gone from beside the program is told, with where it was
    // looked for: a click that shows nothing looks like a broken button.
    const QString path = readmePath(programFolder);
    if (!QFileInfo(path).isFile()) {
        boxes.hold([&] {
            return ask(desktop, this,
                u"よみもの（readme.txt）が みつかりません。\r\n"_s + QDir::toNativeSeparators(path),
                u"Varolin"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        });
        return;
    }
    if (desktop.openFile(path))
        return;
    // The desktop has no program for it: shown here.
    if (auto* open = findChild<ReadmeWindow*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        boxes.hold([&] {
            return ask(desktop, this,
                u"よみもの（readme.txt）を ひらけませんでした。\r\n"_s
                    + QDir::toNativeSeparators(path),
                u"Varolin"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        });
        return;
    }
    auto* window = new ReadmeWindow(QString::fromUtf8(file.readAll()), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}
