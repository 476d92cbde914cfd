// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/answer_cell.h"
#include "app/main_window.h"
#include "fake_desktop.h"
#include "practice/machine_practice.h"
#include "practice/practice.h"

#include <QTemporaryDir>

#include <memory>

class QLabel;

class QPushButton;

// The main window on a fake desktop, with a temporary folder playing the
// program's folder and holding the settings file and the records database.
// Files can be put there before the window is made. The controls are reached
// by their object names, as a screen reader would.
struct WindowFixture
{
    QString path(const QString& fileName) const;
    void writeFile(const QString& fileName, const QByteArray& contents) const;
    QByteArray readFile(const QString& fileName) const;

    // Makes the window (which runs its start-up) and shows it.
    MainWindow& make();

    template <typename T = QWidget> T* find(const QString& name) const
    {
        return window ? window->findChild<T*>(name) : nullptr;
    }
    QLabel* rowHeader(int row) const;
    QLabel* columnHeader(int column) const;
    AnswerCell* cell(int cell) const;
    QPushButton* button(const QString& name) const;
    // The best-time line as it reads.
    QString bestTimeText() const;
    // A left click on a command button, as the child makes it.
    void click(const QString& buttonName) const;

    // The records database the practice keeps its sheets in.
    QString recordsPath() const { return path(u"records.sqlite"_qs); }

    QTemporaryDir folder;
    // The program's folder the window is made with, when not `folder`.
    QString programFolder;
    FakeDesktop desktop;
    // A classroom machine's, with the link a test gives it.
    std::optional<ClassConfig> classroom;
    std::function<std::unique_ptr<ClassLink>(const ClassConfig&, const QString&)> makeLink;
    std::unique_ptr<MachinePractice> machine;
    Practice* practice = nullptr;
    std::unique_ptr<MainWindow> window;
};
