// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/telling.h"

#include <utility>

namespace {

// Failures that are one to the user. A settings file that cannot be used
// and one that cannot be saved are one problem; so is every way the class
// server refuses. A damaged records file is told each time it is found.
std::optional<Failed> toldAs(Failed what)
{
    if (isServerFailure(what))
        return Failed::ServerFailed;
    switch (what) {
    case Failed::SettingsUnusable:
        return Failed::SettingsNotSaved;
    case Failed::RecordsMovedAside:
        return std::nullopt;
    default:
        return what;
    }
}

} // namespace

QList<Failure> Telling::once(const QList<Failure>& failures)
{
    QList<Failure> fresh;
    for (const Failure& failure : failures) {
        const std::optional<Failed> as = toldAs(failure.what);
        if (as && toldAlready.contains(*as))
            continue;
        if (as)
            toldAlready.append(*as);
        fresh.append(failure);
    }
    return fresh;
}

void Telling::tell(const Failure& failure, bool atRest)
{
    tell(QList<Failure>{failure}, atRest);
}

void Telling::tell(const QList<Failure>& failures, bool atRest)
{
    const QList<Failure> fresh = once(failures);
    if (!atRest) {
        held += fresh;
        return;
    }
    for (const Failure& failure : fresh)
        Q_EMIT told(failure);
}

void Telling::release()
{
    for (const Failure& failure : std::exchange(held, {}))
        Q_EMIT told(failure);
}
