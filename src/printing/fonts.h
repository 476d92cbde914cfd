// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QFont;

// The window asks for the Windows Japanese fonts by name; on other systems
// they are mapped to the IPA fonts, then to Noto Sans CJK JP.
namespace Fonts {

inline const QString Gothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString Mincho = QStringLiteral("MS 明朝");

// Safe to call more than once.
void installSubstitutions();

// The family to draw `requested` with: the family itself where it is
// installed, otherwise its first installed substitute; unchanged when none
// is installed.
QString family(const QString& requested);

// The Gothic face at `points`, bold or not, unhinted, as the window draws it.
QFont gothic(double points, bool bold = false);

} // namespace Fonts
