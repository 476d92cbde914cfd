// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/kind_text.h"

QString kindName(Kind kind)
{
    static const char16_t* const names[] = {u"たしざん", u"ひきざん", u"かけざん", u"わりざん"};
    return QString::fromUtf16(names[kindNumber(kind)]);
}

QString kindSign(Kind kind)
{
    static const char16_t* const signs[] = {u"＋", u"－", u"×", u"÷"};
    return QString::fromUtf16(signs[kindNumber(kind)]);
}
