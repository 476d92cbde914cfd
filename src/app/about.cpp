#include "app/about_text.h"
#include "app/desktop.h"
#include "app/form1.h"

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

void Form1::Image1_Click()
{
    ask(desktop(), this, aboutText(), u"Varolin"_s, Desktop::Buttons::Ok, Desktop::Icon::Question);
}

void Form1::Command1_Click()
{
    // Help is a convenience: without the file, or without a program to show
    // it, the click simply does nothing.
    const QString path = readmePath(programFolder());
    if (!QFileInfo(path).isFile())
        return;
    desktop().openFile(path);
}
