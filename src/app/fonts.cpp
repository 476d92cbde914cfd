#include "app/fonts.h"

#include <QFont>
#include <QStringList>

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

QFont gothic(double points, bool bold)
{
    QFont font(Gothic);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace Fonts
