// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"

#include <QList>
#include <QString>

#include <memory>

class RecordStore;

// The store of this machine's finished sheets, opened when first needed
// (with one child, with the first sheet) and tried again after a failure.
class RecordsAccess
{
public:
    explicit RecordsAccess(QString path);
    ~RecordsAccess();

    const QString& path() const { return path_; }
    // The open store; null while it is not open.
    RecordStore* store() const;
    // Opens the store unless it is open. Null while it cannot be used, with
    // what went wrong in `failures`; a damaged file moved aside is told
    // there too, with the store open.
    RecordStore* open(QList<Failure>& failures);
    // Whether the last open() was the one that opened it.
    bool openedJustNow() const { return justOpened; }

private:
    QString path_;
    std::unique_ptr<RecordStore> opened;
    bool justOpened = false;
};
