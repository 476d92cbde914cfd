// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/finished_sheet.h"
#include "records/record_store.h"

#include <QByteArray>
#include <QList>
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

// How many of a fact's newest timed answers its time is the median of.
inline constexpr int TimedAnswers = 5;

// The weak facts from `answered`: SQL that SQLite and PostgreSQL both run.
// `answered` are the common table expressions (without WITH) that end in
// one named answered(owner_id, sheet_rank, slot, left_operand, top_operand,
// milliseconds, wrong_digits): every answered cell of the sheets asked
// about, `sheet_rank` 1 for each owner's newest sheet, `slot` 0 for a
// sheet's first answer. Per fact, in (left, top) order: left, top, answers,
// timed answers, median milliseconds, wrong digits (as FactStat).
QString factsOver(const QString& answered);
// Per fact over one child's newest sheets of a kind, as factsOver() has
// them. Bind byteValues(), the child, the kind and the number of sheets.
QString factsQuery();
// Which facts are known by heart, from `answered` as factsOver() takes it:
// per owner and fact met, in (owner, left, top) order: owner, left, top and
// the FactState's number. A fact not met has no row.
QString knownOver(const QString& answered);
// The same over one child's newest KnownOverSheets sheets of a kind finished
// by the last day of each of a run of weeks, each week an owner (0 the
// first). Bind byteValues(), the first week's last day (ISO), the number of
// weeks, the child, the kind and KnownOverSheets.
QString knownQuery();
// The bytes 0 to 255 in order: the position of a byte in it, less one, is
// the byte's value, which lets SQL read the packed cells.
QByteArray byteValues();
