// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/child_name.h"

#include <QTextBoundaryFinder>

namespace ChildName {

QString clean(const QString& name)
{
    QString kept;
    for (const QChar c : name.normalized(QString::NormalizationForm_C)) {
        if (c.category() != QChar::Other_Control || c.isSpace())
            kept += c;
    }
    return kept.simplified();
}

Problem check(const QString& name, const QStringList& others)
{
    const QString kept = clean(name);
    if (kept.isEmpty())
        return Problem::Empty;
    // A flag or an accented letter typed as two code points is one
    // character to the child.
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, kept);
    int length = 0;
    while (characters.toNextBoundary() > 0)
        ++length;
    if (length > MaxLength)
        return Problem::TooLong;
    if (others.contains(kept))
        return Problem::Taken;
    return Problem::None;
}

} // namespace ChildName
