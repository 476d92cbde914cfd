// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_view.h"

#include <QWidget>

class QComboBox;
class QPushButton;
class RecordsContext;

// Whose records the records window shows, and the commands for the
// children: a parent's place at the top of the window. The switch
// ("childSwitch") shows while there are several children; the commands are
// "addChild", "renameChild" and "removeChild", each shown when it was
// given.
class RecordsChildren : public QWidget
{
    Q_OBJECT

public:
    RecordsChildren(const RecordsContext& context, QWidget* parent);

    void setCommands(ChildrenCommandSet given);
    // The switch again with `child` chosen, after the children or the
    // child shown changed.
    void rebuild(qint64 child);

Q_SIGNALS:
    // A child was chosen on the switch.
    void chosen(qint64 child);

private:
    const RecordsContext& context;
    ChildrenCommandSet commands;
    qint64 shown = 0;
    QWidget* choice = nullptr;
    QComboBox* children = nullptr;
    QPushButton* addCommand = nullptr;
    QPushButton* renameCommand = nullptr;
    QPushButton* removeCommand = nullptr;
};
