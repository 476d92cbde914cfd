// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/children_commands.h"

#include <QWidget>

class Desktop;
class Practice;
class QComboBox;
class QPushButton;

// Whose records the records window shows, and the commands for the
// children: a parent's place at the top of the window. The switch
// ("childSwitch") shows while there are several children; the commands are
// "addChild", "renameChild" and "removeChild".
class RecordsChildren : public QWidget
{
    Q_OBJECT

public:
    RecordsChildren(Practice& practice, Desktop& desktop, QWidget* parent);

    // The switch again with `child` chosen, after the children or the
    // child shown changed.
    void rebuild(qint64 child);

Q_SIGNALS:
    // A child was chosen on the switch.
    void chosen(qint64 child);

private:
    Practice& practice;
    ChildrenCommands commands;
    qint64 shown = 0;
    QWidget* choice = nullptr;
    QComboBox* children = nullptr;
    QPushButton* removeCommand = nullptr;
};
