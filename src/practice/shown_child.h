// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind.h"
#include "records/record_store.h"

#include <QList>
#include <QString>

#include <optional>

class RecordReader;

// Which child's records a window shows, and what it calls them: the rules
// the chooser, the records window and the questions about a child share.

// The child of `children` with the id `id`; null when none has it (removed
// meanwhile).
const Child* childWithId(const QList<Child>& children, qint64 id);

// `wanted` while they are one of `children`; else `instead` when they are;
// else the first child. Nothing when there is no child at all.
std::optional<qint64> childStillThere(
    const QList<Child>& children, qint64 wanted, std::optional<qint64> instead = std::nullopt);

// Whether a child's name is shown (on the board, in the title, on a printed
// sheet): only among several children. The only child never sees their
// name anywhere, as it has always been.
inline bool namesShown(qsizetype children)
{
    return children > 1;
}

// What a question or a file name calls the child `id` of `children`: their
// name once there are several children (`several`), and nothing while there
// is only one, whose records and times have always been theirs alone.
QString nameWhenSeveral(const QList<Child>& children, qint64 id, bool several);

// The kind a child's records open on: `wanted`, or the kind of the child's
// newest sheet when they have none of `wanted`, so that the window opens on
// their practice. `wanted` when the records cannot be read.
Kind kindPractised(const RecordReader& records, qint64 child, Kind wanted);
