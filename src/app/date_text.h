// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QDate;

// The date label's two halves: "2025年" and "2月10日(月)", without leading
// zeros and with the one-character Japanese weekday.
QString yearText(const QDate& date);
QString dayText(const QDate& date);
