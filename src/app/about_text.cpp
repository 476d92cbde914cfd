// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_text.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString Credit = u"by Varolin Project (Varolin開発チーム)"_s;
const QString WebAddress = u"https://varolin.example.org/"_s;

} // namespace

QString aboutText()
{
    return u"Ver "_s + QStringLiteral(VAROLIN_VERSION) + u'\r' + Credit + u'\r' + WebAddress;
}

QString readmePath(const QString& programFolder)
{
    // The separator is always added, also after a root folder.
    return programFolder + u"/readme.txt"_s;
}
