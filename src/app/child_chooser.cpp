// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/child_chooser.h"

#include "app/children_commands.h"
#include "practice/practice.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Names in rows of this many: thirty children still fit a small screen.
constexpr int NamesPerRow = 4;

} // namespace

ChildChooser::ChildChooser(Practice& practice, ChildrenCommands& commands, QWidget* parent)
    : QDialog(parent)
    , practice(practice)
    , commands(commands)
{
    setObjectName(u"childChooser"_s);
    setWindowTitle(u"Varolin"_s);
    setFont(Fonts::gothic(11.25, true));
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(u"だれが れんしゅう しますか？"_s, this);
    question->setFont(Fonts::gothic(15.75, true));
    question->setAlignment(Qt::AlignCenter);
    layout->addWidget(question);
    names = new QGridLayout;
    names->setSpacing(10);
    layout->addLayout(names);
    layout->addSpacing(12);

    auto* commandRow = new QHBoxLayout;
    commandRow->addStretch();
    const auto addCommand
        = [&](const char* name, const QString& caption, std::function<bool()> command) {
              auto* button = new QPushButton(caption, this);
              button->setObjectName(QLatin1StringView(name));
              button->setFont(Fonts::gothic(9.75));
              button->setAutoDefault(false);
              connect(button, &QPushButton::clicked, this, [this, command] {
                  if (command())
                      showChildren();
              });
              commandRow->addWidget(button);
          };
    addCommand("addChildButton", u"こどもを ふやす"_s, [this] { return this->commands.add(this); });
    addCommand(
        "renameChildButton", u"なまえを かえる"_s, [this] { return this->commands.rename(this); });
    addCommand("removeChildButton", u"けす"_s, [this] { return this->commands.remove(this); });
    layout->addLayout(commandRow);
    // A class's roster is the teacher's to change, on the server.
    for (int i = 0; i < commandRow->count(); ++i) {
        if (QWidget* command = commandRow->itemAt(i)->widget())
            command->setVisible(practice.rosterEditable());
    }
    offeredChild = practice.lastChild();
    showChildren();
    // The roster read from the server may come while the chooser is open.
    connect(&practice, &Practice::childrenChanged, this, &ChildChooser::showChildren);
}

void ChildChooser::showChildren()
{
    while (QLayoutItem* item = names->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    offered = nullptr;
    const QList<Child>& children = practice.children();
    for (int i = 0; i < children.size(); ++i) {
        const Child& child = children[i];
        auto* button = new QPushButton(child.name, this);
        button->setObjectName(u"childButton%1"_s.arg(i));
        button->setFont(Fonts::gothic(15.75, true));
        button->setMinimumSize(180, 56);
        button->setAccessibleName(child.name);
        names->addWidget(button, i / NamesPerRow, i % NamesPerRow);
        const qint64 id = child.id;
        connect(button, &QPushButton::clicked, this, [this, id] {
            offeredChild = id;
            accept();
        });
        if (id == offeredChild)
            offered = button;
    }
    // The child of last time may have been removed meanwhile.
    if (!offered && !children.isEmpty()) {
        offered = qobject_cast<QPushButton*>(names->itemAt(0)->widget());
        offeredChild = children.first().id;
    }
    if (offered) {
        offered->setDefault(true);
        offered->setFocus();
    }
    adjustSize();
}

void ChildChooser::done(int result)
{
    // Closed or Escape: the child offered practises, as Enter would choose.
    if (!answered) {
        answered = true;
        for (const Child& child : practice.children()) {
            if (child.id == offeredChild)
                Q_EMIT chosen(child.id);
        }
    }
    QDialog::done(result);
}
