// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/kind_text.h"

int kindIndex(int kind)
{
    return kind >= 0 && kind <= 2 ? kind : 3;
}

QString kindName(int kind)
{
    static const char16_t* const names[] = {u"たしざん", u"ひきざん", u"かけざん", u"わりざん"};
    return QString::fromUtf16(names[kindIndex(kind)]);
}

QString kindSign(int kind)
{
    static const char16_t* const signs[] = {u"＋", u"－", u"×", u"÷"};
    return QString::fromUtf16(signs[kindIndex(kind)]);
}
