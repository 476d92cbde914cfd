// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Fonts {

void installSubstitutions()
{
    static const bool installed = [] {
        QFont::insertSubstitutions(
            Gothic, {u"IPAPGothic"_s, u"IPAGothic"_s, u"Noto Sans CJK JP"_s});
        QFont::insertSubstitutions(
            Mincho, {u"IPAMincho"_s, u"IPAPMincho"_s, u"Noto Serif CJK JP"_s});
        return true;
    }();
    Q_UNUSED(installed);
}

QString family(const QString& requested)
{
    // Asking the font engine for a family that is not installed sends it on
    // a search through every font on the system, for each script it meets:
    // that search alone made start-up a fifth slower. The substitution table
    // answers the same question at once.
    static QHash<QString, QString> resolved;
    const auto found = resolved.constFind(requested);
    if (found != resolved.constEnd())
        return *found;

    installSubstitutions();
    // Plain look-ups in the list of installed families: asking the database
    // whether a family exists also runs fontconfig's alias rules, which is
    // slow again.
    const QStringList installed = QFontDatabase::families();
    auto installedName = [&installed](const QString& name) -> QString {
        const auto match = std::find_if(installed.begin(), installed.end(),
            [&](const QString& family) { return family.compare(name, Qt::CaseInsensitive) == 0; });
        return match == installed.end() ? QString() : *match;
    };
    QString result = installedName(requested);
    // The table keeps its names in lower case; the list has them as the fonts
    // spell them.
    for (const QString& substitute : QFont::substitutes(requested)) {
        if (!result.isEmpty())
            break;
        result = installedName(substitute);
    }
    if (result.isEmpty())
        result = requested;
    resolved.insert(requested, result);
    return result;
}

QFont gothic(double points, bool bold)
{
    QFont font(family(Gothic));
    font.setPointSizeF(points);
    font.setBold(bold);
    // Drawn unhinted. With the desktop's usual light hinting, the first kana
    // sends FreeType's auto-hinter measuring the Japanese script's stroke
    // heights on some eighty ideographs spread over the font's outlines, and
    // start-up holds 2 MiB of the font file for it. Light hinting only moves
    // strokes up or down by a fraction of a pixel: the kana keep their weight
    // and spacing unhinted.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace Fonts
