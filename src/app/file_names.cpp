// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_names.h"

#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

QString fileNamePart(const QString& text)
{
    // The dot too: Qt's print dialog takes everything from a dot on for an
    // extension and drops it from the file name it proposes.
    static const QString special = u"/\\:*?\"<>|."_s;
    // Full-width forms stand 0xFEE0 above their ASCII characters.
    constexpr char16_t FullWidthOffset = 0xFEE0;
    QString part;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            continue;
        if (special.contains(c))
            part += QChar(char16_t(c.unicode() + FullWidthOffset));
        else
            part += c;
    }
    return part.trimmed();
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}
