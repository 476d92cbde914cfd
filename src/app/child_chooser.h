// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class ChildrenCommands;
class Practice;
class QGridLayout;
class QPushButton;

// 「だれが れんしゅう しますか？」: one large button per child, the child of
// last time preselected so that Enter alone goes on; below them the commands
// to add, rename and remove children. Closing it goes on with the child
// preselected.
class ChildChooser : public QDialog
{
    Q_OBJECT

public:
    ChildChooser(Practice& practice, ChildrenCommands& commands, QWidget* parent = nullptr);

Q_SIGNALS:
    void chosen(qint64 child);

protected:
    void done(int result) override;

private:
    void showChildren();

    Practice& practice;
    ChildrenCommands& commands;
    QGridLayout* names = nullptr;
    QPushButton* offered = nullptr;
    qint64 offeredChild = 0;
    bool answered = false;
};
