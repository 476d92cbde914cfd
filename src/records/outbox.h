// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// A stored sheet waiting to be sent to the class server, as it is sent.
struct WaitingSheet
{
    qint64 id = 0; // the sheet in the records
    qint64 serverChild = 0; // the roster's child it is sent as
    QString uuid;
    QDateTime finishedAt; // local time with the offset it was kept with
    int kind = 0;
    int seconds = 0;
    int wrongDigits = 0;
    bool record = false;
    QByteArray rows;
    QByteArray columns;
    QByteArray cells;
};

// The sheets of the records file that wait for the class server, as the
// sending thread sees them, on a connection of its own. The window's
// RecordStore owns the file: it creates, checks, migrates and repairs it.
// The outbox only reads the queue and marks what became of a sheet; a file
// it does not find as it expects is left exactly as it is.
class Outbox
{
public:
    explicit Outbox(const QString& path);
    ~Outbox();
    Outbox(const Outbox&) = delete;
    Outbox& operator=(const Outbox&) = delete;

    // Opens the existing file; RecordsUnusable, touching nothing, when there
    // is none, or it is not a records file of this program's layout.
    [[nodiscard]] Done open();
    bool isOpen() const;
    QString path() const;

    // The sheets waiting, oldest first, after the sheet `after` (from the
    // oldest when 0), at most `limit`. Sheets refused for now, and sheets
    // whose child has no roster child yet, are not among them.
    [[nodiscard]] Outcome<QList<WaitingSheet>> waiting(int limit, qint64 after = 0) const;
    // The server has the sheet: it waits no more.
    [[nodiscard]] Done take(qint64 sheet);
    // The server will not take the sheet as it is, for `reason`: it stays,
    // out of the queue, until requeue() names its child.
    [[nodiscard]] Done refuse(qint64 sheet, const QString& reason);
    // A send of the sheet failed; it stays in the queue.
    [[nodiscard]] Done tried(qint64 sheet);
    // Refused sheets of the roster's children `serverChildren` wait again;
    // how many, or nothing when the file could not be written.
    [[nodiscard]] Outcome<int> requeue(const QList<qint64>& serverChildren);
    // Every sheet the server does not have yet, refused ones too.
    [[nodiscard]] Outcome<int> count() const;

private:
    struct Private;
    Private* d;
};
