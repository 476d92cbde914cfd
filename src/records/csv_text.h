// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The records as CSV: UTF-8 with a byte-order mark (so that spreadsheets
// do not read it in the system's code page), CRLF line ends.

// The header line, with the column 「なまえ」 when `named`, and after it
// 「ばんごう」 (the child's number in the class) when `numbered`.
QString csvHeader(bool named, bool numbered = false);
// One sheet's line. A name that a spreadsheet would calculate is kept as
// text; empty `name` when the file has no name column, empty `number` when
// it has no number column.
QString csvLine(const QDateTime& finishedAt, Kind kind, int seconds, int wrongDigits, bool record,
    const std::optional<QString>& name, std::optional<int> number = std::nullopt);
// Writes `text` as the file at `path` in one replacement; false, with no
// file left, when that failed.
bool writeTextFile(const QString& path, const QByteArray& text);
