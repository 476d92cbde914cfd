// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

// The read-me in a window of the program's own ("readmeWindow"), where the
// desktop has no program to open it with: the text to read and scroll, not
// to edit, in the window's Japanese font, within the screen; Escape closes
// it.
class ReadmeWindow : public QDialog
{
    Q_OBJECT

public:
    // `text` is the read-me's contents.
    ReadmeWindow(const QString& text, QWidget* parent = nullptr);
};
