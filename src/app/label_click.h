// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QLabel;

// Makes a label a command: a left button pressed on it and released over
// it, as on a button. A press taken off the label before its release is no
// click.
class LabelClick : public QObject
{
    Q_OBJECT

public:
    // Belongs to `label`.
    explicit LabelClick(QLabel* label);

Q_SIGNALS:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* label;
    bool pressed = false;
};
