// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"

#include <QList>
#include <QObject>

// What the user is told, and when: each failure once a run (the drill goes
// on either way), and a failure of the class server only between sheets,
// never in the middle of one nor over a verdict not yet read.
class Telling : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The failures not told yet this run, in their order; each is counted
    // as told from now on.
    QList<Failure> once(const QList<Failure>& failures);
    // Tells `failure` unless it was told already; while not `atRest` it
    // waits for release().
    void tell(const Failure& failure, bool atRest);
    void tell(const QList<Failure>& failures, bool atRest);
    // The board is at rest between sheets: what waited is told.
    void release();
    // Whether anything waits for release().
    bool holding() const { return !held.isEmpty(); }

Q_SIGNALS:
    void told(const Failure& failure);

private:
    QList<Failed> toldAlready;
    QList<Failure> held;
};
