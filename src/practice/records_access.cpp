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
    const bool ok = opened->open();
    if (opened->problem() == RecordStore::Problem::Damaged)
        failures.append({Failed::RecordsMovedAside, opened->movedAsideTo()});
    else if (!ok)
        failures.append({Failed::SheetNotKept, path_});
    justOpened = ok;
    return ok ? opened.get() : nullptr;
}
