// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// The practice of the child at the board: the drill, their best times and
// settings, their stored sheets, and what happens when a sheet ends.
class Practice : public QObject
{
    Q_OBJECT

public:
    explicit Practice(QObject* parent = nullptr);
    ~Practice() override;
};
