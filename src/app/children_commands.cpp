// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/children_commands.h"

#include "app/desktop.h"
#include "practice/practice.h"
#include "practice/shown_child.h"

using namespace Qt::StringLiterals;

QString nameProblemText(ChildName::Problem problem)
{
    switch (problem) {
    case ChildName::Problem::Empty:
        return u"なまえを いれて ください。"_s;
    case ChildName::Problem::TooLong:
        return u"なまえは %1もじ までです。"_s.arg(ChildName::MaxLength);
    case ChildName::Problem::Taken:
        return u"その なまえは もう つかわれて います。"_s;
    case ChildName::Problem::None:
        break;
    }
    return {};
}

QString childNotSavedText()
{
    return u"こどもを ほぞん できませんでした。"_s;
}

QString namePrompt()
{
    return u"なまえを いれて ください（%1もじ まで）"_s.arg(ChildName::MaxLength);
}

std::optional<QString> askChildName(Desktop& desktop, QWidget* parent, const QString& title,
    const QString& name, const std::function<Outcome<ChildName::Problem>(const QString&)>& take,
    const QString& prompt)
{
    QString text = name;
    for (;;) {
        const std::optional<QString> typed
            = desktop.askText(parent, title, prompt.isEmpty() ? namePrompt() : prompt, text);
        if (!typed)
            return {};
        const Outcome<ChildName::Problem> kept = take(*typed);
        // A name that could not be stored at all is not asked for again.
        if (!kept) {
            ask(desktop, parent, childNotSavedText(), title, Desktop::Buttons::Ok,
                Desktop::Icon::Warning, kept.failure().detail);
            return {};
        }
        if (*kept == ChildName::Problem::None)
            return typed;
        ask(desktop, parent, nameProblemText(*kept), title, Desktop::Buttons::Ok,
            Desktop::Icon::Warning);
        text = *typed;
    }
}

namespace {

const QString AddTitle = u"こどもを ふやす"_s;
const QString RenameTitle = u"なまえを かえる"_s;
const QString RemoveTitle = u"こどもを けす"_s;
// The first child's name until someone gives them one.
const QString Unnamed = u"ひとりめ"_s;

QString nameOf(const Practice& practice, qint64 child)
{
    const Child* found = childWithId(practice.children(), child);
    return found ? found->name : QString();
}

} // namespace

ChildrenCommands::ChildrenCommands(Desktop& desktop, Practice& practice)
    : desktop(desktop)
    , practice(practice)
{ }

bool ChildrenCommands::add(QWidget* parent)
{
    if (!askChildName(desktop, parent, AddTitle, QString(),
            [this](const QString& name) { return practice.addChild(name); }))
        return false;
    const QList<Child> all = practice.children();
    const QString added = all.last().name;
    // A family whose one child was never named: two children need two
    // names. A cancel keeps the first one's as it was.
    if (all.size() == 2 && all.first().name == Unnamed) {
        const qint64 first = all.first().id;
        askChildName(
            desktop, parent, AddTitle, QString(),
            [this, first](const QString& typed) { return practice.renameChild(first, typed); },
            u"さいしょの こ（%1）の なまえも いれて ください（%2もじ まで）"_s.arg(
                Unnamed, QString::number(ChildName::MaxLength)));
    }
    ask(desktop, parent, u"%1 を ふやしました。"_s.arg(added), AddTitle, Desktop::Buttons::Ok);
    return true;
}

bool ChildrenCommands::rename(QWidget* parent)
{
    QStringList names;
    int current = 0;
    for (const Child& child : practice.children()) {
        if (child.id == practice.child().id)
            current = int(names.size());
        names.append(child.name);
    }
    const std::optional<int> chosen = desktop.askItem(
        parent, RenameTitle, u"なまえを かえる こを えらんで ください"_s, names, current);
    return chosen && rename(parent, practice.children().at(*chosen).id);
}

bool ChildrenCommands::rename(QWidget* parent, qint64 child)
{
    const QString name = nameOf(practice, child);
    return askChildName(desktop, parent, RenameTitle, name, [this, child](const QString& typed) {
        return practice.renameChild(child, typed);
    }).has_value();
}

bool ChildrenCommands::remove(QWidget* parent)
{
    QStringList names;
    QList<qint64> ids;
    for (const Child& child : practice.removableChildren()) {
        names.append(child.name);
        ids.append(child.id);
    }
    if (ids.isEmpty()) {
        ask(desktop, parent, u"けせる こは いません。"_s, RemoveTitle, Desktop::Buttons::Ok);
        return false;
    }
    const std::optional<int> chosen
        = desktop.askItem(parent, RemoveTitle, u"けす こを えらんで ください"_s, names, 0);
    return chosen && remove(parent, ids.at(*chosen));
}

bool ChildrenCommands::remove(QWidget* parent, qint64 child)
{
    const QString name = nameOf(practice, child);
    const int sheets = practice.sheetCount(child).value_or(0);
    const QString what = u"%1： きろく %2まい"_s.arg(name).arg(sheets);
    if (ask(desktop, parent,
            u"%1 を けします。\r\n%1 の きろくも いっしょに けします。\r\n\r\n"_s.arg(name) + what,
            RemoveTitle, Desktop::Buttons::YesNoDefaultNo)
        != Desktop::Answer::Yes)
        return false;
    if (ask(desktop, parent, u"ほんとうに、けして いいですか？\r\n\r\n"_s + what,
            u"もういちどかくにん"_s, Desktop::Buttons::YesNoDefaultNo)
        != Desktop::Answer::Yes)
        return false;
    if (practice.removeChild(child))
        return true;
    ask(desktop, parent, u"けせませんでした。"_s, RemoveTitle, Desktop::Buttons::Ok,
        Desktop::Icon::Warning);
    return false;
}
