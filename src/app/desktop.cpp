// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop.h"

Desktop::~Desktop() = default;

Desktop::Answer Desktop::showVerdict(QWidget* parent, const Message& message, const QList<QRect>&)
{
    return showMessage(parent, message);
}

QString Desktop::saveFileName(QWidget*, const QString&, const QString&, const QString&)
{
    return {};
}

Desktop::Answer ask(Desktop& desktop, QWidget* parent, const QString& prompt, const QString& title,
    Desktop::Buttons buttons, Desktop::Icon icon, const QString& details)
{
    return desktop.showMessage(parent, {prompt, title, buttons, icon, details});
}
