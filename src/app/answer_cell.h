// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBasicTimer>
#include <QString>
#include <QWidget>

// One answer cell of the board: it shows the digits the judge accepted and
// takes the keyboard while it is the open cell, with a caret after its
// digits. It looks like a line edit of the desktop's style but edits
// nothing itself: every key goes to the judge through the window. (A
// hundred line edits spent a seventh of the program's start laying out
// their empty text three times each, and each brought paste, drag and drop
// and the X selection along, which the board must refuse.)
class AnswerCell : public QWidget
{
    Q_OBJECT

public:
    explicit AnswerCell(QWidget* parent = nullptr);

    QString text() const { return shown; }
    void setText(const QString& text);
    // A wrong digit was taken back: a red frame for a moment, and told to a
    // screen reader, for a child who does not hear the beep.
    void showWrong();
    // A cell the sheet leaves out (the tenth row and column of × and ÷):
    // drawn as no answer cell is.
    void setUnused(bool unused);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void restartCaret();

    QString shown;
    QBasicTimer blink;
    bool caretShown = false;
    QBasicTimer wrong;
    bool unused = false;
};
