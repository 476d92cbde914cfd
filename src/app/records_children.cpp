// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_children.h"

#include "app/records_context.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

RecordsChildren::RecordsChildren(const RecordsContext& context, QWidget* parent)
    : QWidget(parent)
    , context(context)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    choice = new QWidget(this);
    auto* choiceLayout = new QHBoxLayout(choice);
    choiceLayout->setContentsMargins(0, 0, 0, 0);
    auto* nameLabel = new QLabel(u"なまえ"_s, choice);
    nameLabel->setFont(Fonts::gothic(10.5, true));
    children = new QComboBox(choice);
    children->setObjectName(u"childSwitch"_s);
    children->setFont(Fonts::gothic(10.5, true));
    children->setAccessibleName(u"なまえ"_s);
    children->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    nameLabel->setBuddy(children);
    choiceLayout->addWidget(nameLabel);
    choiceLayout->addWidget(children);
    row->addWidget(choice);
    connect(children, &QComboBox::activated, this,
        [this](int index) { Q_EMIT chosen(children->itemData(index).toLongLong()); });
    row->addStretch();
    addCommand = new QPushButton(u"こどもを ふやす"_s, this);
    addCommand->setObjectName(u"addChild"_s);
    renameCommand = new QPushButton(u"なまえを かえる"_s, this);
    renameCommand->setObjectName(u"renameChild"_s);
    // Beside 「きろくを けす」: says what it removes.
    removeCommand = new QPushButton(u"こどもを けす"_s, this);
    removeCommand->setObjectName(u"removeChild"_s);
    for (QPushButton* button : {addCommand, renameCommand, removeCommand}) {
        button->setFont(Fonts::gothic(10.5));
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    // Each command rebuilds the switch through the context's
    // childrenChanged. The questions belong to the records window.
    connect(addCommand, &QPushButton::clicked, this, [this] { commands.add(window()); });
    connect(
        renameCommand, &QPushButton::clicked, this, [this] { commands.rename(window(), shown); });
    connect(
        removeCommand, &QPushButton::clicked, this, [this] { commands.remove(window(), shown); });
}

void RecordsChildren::setCommands(ChildrenCommandSet given)
{
    commands = std::move(given);
}

void RecordsChildren::rebuild(qint64 child)
{
    shown = child;
    const QList<Child> all = context.children();
    const QSignalBlocker quiet(children);
    children->clear();
    for (const Child& each : all) {
        children->addItem(each.name, each.id);
        if (each.id == shown)
            children->setCurrentIndex(children->count() - 1);
    }
    choice->setVisible(all.size() > 1);
    addCommand->setVisible(bool(commands.add));
    renameCommand->setVisible(bool(commands.rename));
    removeCommand->setVisible(commands.remove && context.removable(shown));
    // With nothing to show the row takes no room in the window, not even
    // the spacing above it.
    setVisible(commands.add || commands.rename || all.size() > 1);
}
