// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_look.h"

#include "printing/fonts.h"

#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace WindowLook {

// Named as PNG, the picture is read by Qt's own reader: left to guess, the
// reader loads every image format plugin installed (and the JPEG library
// with them) before the window can show.
QPixmap pngPixmap(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

void setColour(QPalette& palette, QPalette::ColorRole role, const QColor& colour)
{
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    setColour(palette, QPalette::WindowText, colour);
    setColour(palette, QPalette::Text, colour);
    widget->setPalette(palette);
}

void setFace(QPushButton* button, const QColor& face)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::All, QPalette::Button, face);
    setColour(palette, QPalette::ButtonText, Black);
    button->setPalette(palette);
}

QLabel* textLabel(QWidget* parent, const QString& name, const QString& toolTip, const QRect& place,
    const QColor& colour, Qt::Alignment alignment)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setToolTip(toolTip);
    label->setGeometry(place);
    label->setFont(Fonts::gothic(9.75));
    setTextColour(label, colour);
    label->setAlignment(alignment);
    return label;
}

} // namespace WindowLook
