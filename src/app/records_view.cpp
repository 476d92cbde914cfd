// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_view.h"

#include <QCoreApplication>
#include <QLibrary>

using namespace Qt::StringLiterals;

namespace {

RecordsViewMaker maker = nullptr;

} // namespace

RecordsViewMaker recordsViewMaker()
{
    if (!maker) {
        // Never unloaded: the window's code must outlive every window made.
        QLibrary module(QCoreApplication::applicationDirPath() + u"/varolin-records"_s);
        maker = reinterpret_cast<RecordsViewMaker>(module.resolve("varolinMakeRecordsView"));
        if (!maker)
            qWarning("Cannot load the records window: %s", qPrintable(module.errorString()));
    }
    return maker;
}

void setRecordsViewMaker(RecordsViewMaker newMaker)
{
    maker = newMaker;
}
