// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/records_access.h"

#include "records/record_store.h"

#include <utility>

RecordsAccess::RecordsAccess(QString path)
    : path_(std::move(path))
{ }

RecordsAccess::~RecordsAccess() = default;

RecordStore* RecordsAccess::store() const
{
    return opened && opened->isOpen() ? opened.get() : nullptr;
}

RecordStore* RecordsAccess::open(QList<Failure>& failures)
{
    justOpened = false;
    if (RecordStore* open = store())
        return open;
    opened = std::make_unique<RecordStore>(path_);
    const Outcome<Done> done = opened->open();
    // A damaged file moved aside opens a new one: told, and the store used.
    if (done && *done)
        failures.append({Failed::RecordsMovedAside, (*done)->path});
    else if (!done)
        failures.append({Failed::SheetNotKept, path_, done.failure().detail});
    justOpened = done.ok();
    return done ? opened.get() : nullptr;
}
