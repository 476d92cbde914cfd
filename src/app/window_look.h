// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>
#include <Qt>

class QLabel;
class QPixmap;
class QPushButton;
class QRect;
class QString;
class QWidget;

// The look the main window's views share: the design's colours hold on
// light and dark desktop themes alike.
namespace WindowLook {

inline const QColor Black(0, 0, 0);
inline const QColor Red(255, 0, 0);
inline const QColor Blue(0, 0, 255);
inline const QColor Face(240, 240, 240);

// A picture of our own resources.
QPixmap pngPixmap(const QString& path);

// Text colours are set for the active and inactive groups only, so that a
// disabled control keeps the style's greyed look.
void setColour(QPalette& palette, QPalette::ColorRole role, const QColor& colour);
void setTextColour(QWidget* widget, const QColor& colour);

// A button's face keeps its colour when disabled; only the caption greys.
void setFace(QPushButton* button, const QColor& face);

// A text label of the window's lower and right parts.
QLabel* textLabel(QWidget* parent, const QString& name, const QString& toolTip, const QRect& place,
    const QColor& colour, Qt::Alignment alignment);

} // namespace WindowLook
