// SPDX-License-Identifier: GPL-3.0-or-later
// The teacher's command that gives a child their number in the class: the
// class is listed in the order of its numbers, as on the class's own list.
#include "app/class_start.h"
#include "app/class_view.h"
#include "app/desktop.h"

using namespace Qt::StringLiterals;

namespace {

const QString Title = u"番号を変更"_s;

// The number typed, in half-width or full-width digits; nothing unless it
// is a number a class gives (1 to 999).
std::optional<int> typedNumber(const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty() || text.size() > 3)
        return {};
    int number = 0;
    for (const QChar digit : text) {
        if (!digit.isDigit())
            return {};
        number = number * 10 + digit.digitValue();
    }
    if (number < 1)
        return {};
    return number;
}

} // namespace

void ClassView::setNumber()
{
    const ClassChild* chosen = chosenChild();
    if (!chosen)
        return;
    const ClassChild child = *chosen;
    QString text = QString::number(child.number);
    std::optional<int> number;
    for (;;) {
        const std::optional<QString> typed = desk.askText(
            this, Title, child.name + u"さんの番号（1～999）を入力してください。"_s, text);
        if (!typed)
            return;
        text = *typed;
        number = typedNumber(text);
        if (number)
            break;
        ask(desk, this, u"番号は 1 から 999 までの数字で入力してください。"_s, Title,
            Desktop::Buttons::Ok, Desktop::Icon::Warning);
    }
    if (*number == child.number)
        return;
    await(records.setNumber(child.id, *number),
        [this, child](const Outcome<ClassRecords::Edit>& edit) {
            if (!edit) {
                tellProblem(child.name + u"さんの番号を変更できませんでした。"_s, edit.failure());
                return;
            }
            reload();
            // Two children keep one number only by mistake: the teacher
            // gives the other one a new number first.
            if (*edit == ClassRecords::Edit::Taken)
                ask(desk, this,
                    u"その番号は、ほかの児童が使っています。先にその児童の番号を変更してください。"_s,
                    Title, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        });
}
