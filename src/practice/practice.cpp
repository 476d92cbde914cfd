// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/practice.h"

Practice::Practice(QObject* parent)
    : QObject(parent)
{ }

Practice::~Practice() = default;
