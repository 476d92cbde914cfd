// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What a child's name may be, on a machine and in the class alike.
namespace ChildName {

enum class Problem { None, Empty, TooLong, Taken };

// At most this many characters, as a reader counts them.
inline constexpr int MaxLength = 20;

// The name as it is kept: spaces at either end and control characters
// dropped, inner runs of spaces made one.
QString clean(const QString& name);

// Whether `name`, once clean, may be kept beside `others` (the names of the
// other children, as kept). Whether it could then be stored is the
// store's to say, as a failure.
Problem check(const QString& name, const QStringList& others);

} // namespace ChildName
