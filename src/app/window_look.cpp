// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_look.h"

#include "printing/fonts.h"

#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QResource>

using namespace Qt::StringLiterals;

namespace WindowLook {

QPixmap pngPixmap(const QString& path)
{
    // Our own pictures are in the resources as the build decoded them
    // (tools/raw_picture.cpp): drawn from there, they need neither the PNG
    // decoder nor the image plugins that Qt reads before it decodes.
    const QResource raw(path.endsWith(u".png"_s) ? path.chopped(4) + u".rgba"_s : QString());
    const auto* bytes = raw.data();
    if (raw.isValid() && raw.compressionAlgorithm() == QResource::NoCompression && raw.size() > 9) {
        const auto size = [bytes](int at) {
            return int(quint32(bytes[at]) | quint32(bytes[at + 1]) << 8
                | quint32(bytes[at + 2]) << 16 | quint32(bytes[at + 3]) << 24);
        };
        const int width = size(0);
        const int height = size(4);
        if (qint64(width) * height * 4 + 9 == raw.size()) {
            return QPixmap::fromImage(QImage(bytes + 9, width, height, width * 4,
                bytes[8] ? QImage::Format_RGBX8888 : QImage::Format_RGBA8888_Premultiplied));
        }
    }
    // Named as PNG, any other picture is read by Qt's own reader: left to
    // guess, the reader loads every image format plugin installed (and the
    // JPEG library with them) before the window can show.
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
