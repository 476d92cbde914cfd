// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"
#include "practice/child_name.h"

#include <QString>

#include <functional>
#include <optional>

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

// Asks for a child's name, `name` to begin with, until `take` takes what was
// typed or the user cancels, on a machine and in the class view alike. Each
// refusal is told under `title` and the name asked again as it was typed; a
// name that could not be kept at all (a failure) is told and not asked for
// again.
// Returns the name taken.
std::optional<QString> askChildName(Desktop& desktop, QWidget* parent, const QString& title,
    const QString& name, const std::function<Outcome<ChildName::Problem>(const QString&)>& take,
    const QString& prompt = {});

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
    Desktop& desktop;
    Practice& practice;
};
