// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <array>
#include <map>

class QPushButton;
class QStyle;
class QWidget;

// The window's commands: the buttons at their design places with their
// faces, fonts and tips, the about picture and the hidden random option.
// Only the commands that can be used are enabled and bold.
class CommandBar : public QObject
{
    Q_OBJECT

public:
    enum Command {
        SwitchKind,
        Start,
        Stop,
        End,
        NewNumbers,
        Print,
        ScreenCopy,
        Mode,
        Records,
        Readme,
        ButtonCount,
        About = ButtonCount,
    };

    // The controls are the window's own children.
    explicit CommandBar(QWidget* window);

    // Adds the commands' places in the window's tab order, by their design
    // index.
    void addTabStops(std::map<double, QWidget*>& stops) const;

    // While a sheet runs only やめる can be used; between sheets all else.
    void showRunning(bool running);
    // The answer sheet and the screen copy print only a full board.
    void setPrintable(bool printable);
    void focusStart();

Q_SIGNALS:
    void triggered(CommandBar::Command command);

private:
    // Buttons keep their face colours whatever the desktop's style is.
    QStyle* buttonStyle = nullptr;
    std::array<QPushButton*, ButtonCount> buttons{};
    QWidget* randomCheck = nullptr;
};
