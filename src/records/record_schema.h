// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/finished_sheet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The layout of the records database, kept apart from the code that opens
// it so the whole file format reads in one place.

// The version a database has once every migration has run.
int schemaVersion();
// The statements that take a database from version `from` to `from + 1`.
QStringList migrationStep(int from);

// A sheet's operands and answered cells are kept packed, one BLOB each, so
// ten years of daily sheets stay a small file: a row per answered cell would
// cost some twenty bytes of row overhead for eight bytes of data.
struct PackedSheet
{
    QByteArray rows; // 10 bytes: the row operands
    QByteArray columns; // 100 bytes: each row's column operands, row by row
    QByteArray cells; // CellBytes per answered cell, in the order answered
};

// One answered cell: cell, left, top, answer, milliseconds (three bytes, high
// byte first, at most 16777215) and wrong digits (at most 255).
inline constexpr int CellBytes = 8;
// Empty when a value does not fit its byte: the drill never makes such a
// sheet, and one stored wrapped would be a wrong record.
std::optional<PackedSheet> pack(const FinishedSheet& finished);
// Fills the operands and answered cells of `finished`.
void unpack(const PackedSheet& packed, FinishedSheet& finished);

// Per fact (left, top) over the newest sheets of a kind: answers, average
// milliseconds, wrong digits. Bind byteValues(), the kind and the number of
// sheets.
QString factsQuery();
// The bytes 0 to 255 in order: the position of a byte in it, less one, is
// the byte's value, which lets SQL read the packed cells.
QByteArray byteValues();
