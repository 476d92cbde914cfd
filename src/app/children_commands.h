// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "practice/child_name.h"

#include <QtGlobal>

class Desktop;
class Practice;
class QWidget;

// What is said when a child's name cannot be kept, on a machine and in the
// class view alike.
QString nameProblemText(ChildName::Problem problem);
// What is said when a good name could not be stored.
QString childNotSavedText();
// What a name is asked with.
QString namePrompt();

// Adding, renaming and removing children, with the questions each asks:
// from the chooser and from the records window. The practice keeps the
// rules; this asks and tells.
class ChildrenCommands
{
public:
    ChildrenCommands(Desktop& desktop, Practice& practice);

    // Each returns true when the children changed.
    bool add(QWidget* parent);
    // Asks which child first.
    bool rename(QWidget* parent);
    bool rename(QWidget* parent, qint64 child);
    // Asks which child first, among those the practice lets go.
    bool remove(QWidget* parent);
    // Asks twice, naming the child and their sheets.
    bool remove(QWidget* parent, qint64 child);

private:
    // Asks for a name until it is one the practice takes or the user
    // cancels; `keep` applies it.
    template <typename Keep>
    bool askName(QWidget* parent, const QString& title, const QString& name, Keep keep,
        const QString& prompt = {});

    Desktop& desktop;
    Practice& practice;
};
