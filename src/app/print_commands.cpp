#include "app/desktop.h"
#include "app/form1.h"
#include "printing/print_job.h"

#include <QLabel>
#include <QPixmap>
#include <QPrinter>

#include <exception>

using namespace Qt::StringLiterals;

namespace {

bool confirmPrint(Form1& form, const QString& question, const QString& title)
{
    Desktop& desktop = form.desktop();
    if (ask(desktop, &form, question, title, Desktop::Buttons::YesNo) != Desktop::Answer::Yes)
        return false;
    return ask(desktop, &form, u"プリンタの用意をして下さい。"_s, u"かくにん"_s,
               Desktop::Buttons::OkCancel)
        == Desktop::Answer::Ok;
}

void reportPrintFailure(Form1& form)
{
    ask(form.desktop(), &form, u"いんさつができません。"_s, u"いんさつ中止"_s, Desktop::Buttons::Ok,
        Desktop::Icon::Warning);
}

} // namespace

void Form1::PrintSheet()
{
    std::array<QString, 21> captions;
    for (int k = 0; k <= 20; ++k)
        captions[k] = L[k]->text();
    printAnswerSheet(desktop().printer().get(), captions);
}

void Form1::PrintCommand()
{
    if (!confirmPrint(*this, u"ひょうを　いんさつしますか？"_s, u"いんさつ"_s))
        return;
    try {
        PrintSheet();
    } catch (const std::exception&) {
        reportPrintFailure(*this);
    }
}

void Form1::ScreenCopyCommand()
{
    if (!confirmPrint(*this, u"がめんを　いんさつしますか？"_s, u"がめんコピー"_s))
        return;
    try {
        // The window's client area as it is shown, on one page.
        const QPixmap image = grab();
        printPicture(desktop().printer().get(), image);
    } catch (const std::exception&) {
        reportPrintFailure(*this);
    }
}
