// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

class QLabel;
class QStackedWidget;

// One part of the records window: a titled box showing its contents, or in
// their place a line saying that its records could not be read. The line is
// named "unreadable".
class RecordsPart : public QGroupBox
{
    Q_OBJECT

public:
    // `name` is the part's objectName.
    RecordsPart(const QString& name, const QString& title, QWidget* parent);

    // Once, before the part is shown; the part takes `contents`.
    void setContents(QWidget* contents);
    void showReadable(bool readable);

private:
    QStackedWidget* stack = nullptr;
};

// 「まだ ありません」 in the middle of `host`, named `name`: what a part shows
// over its graph or table while the kind has no sheet. Hidden at first.
QLabel* emptyNote(const QString& name, QWidget* host);
