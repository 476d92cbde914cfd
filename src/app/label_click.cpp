// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/label_click.h"

#include <QLabel>
#include <QMouseEvent>

LabelClick::LabelClick(QLabel* label)
    : QObject(label)
    , label(label)
{
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
}

bool LabelClick::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (watched != label
        || (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease))
        return QObject::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::MouseButtonPress) {
        pressed = true;
        return QObject::eventFilter(watched, event);
    }
    const bool click = pressed && label->rect().contains(mouse->position().toPoint());
    pressed = false;
    if (!click)
        return QObject::eventFilter(watched, event);
    Q_EMIT clicked();
    return true;
}
