// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_view.h"

#include "app/records_context.h"

#include "varolin_build_id.h"

#include <QJsonObject>
#include <QPluginLoader>

using namespace Qt::StringLiterals;

namespace {

RecordsViewMaker maker = nullptr;
RecordsModuleInterface* module = nullptr;

RecordsView* makeThroughModule(
    std::unique_ptr<const RecordsContext> context, Kind kind, Desktop& desktop, QWidget* parent)
{
    return module->makeView(std::move(context), kind, desktop, parent);
}

QWidget* makeClassViewThroughModule(
    ClassRecords& records, Desktop& desktop, const Failure* notOpened)
{
    return module->makeClassView(records, desktop, notOpened);
}

// The module in `programFolder`, loaded once; null when it cannot be.
RecordsModuleInterface* loadModule(const QString& programFolder)
{
    if (module)
        return module;
    QPluginLoader loader(programFolder + u'/' + QLatin1StringView(VAROLIN_RECORDS_MODULE));
    // Read from the file, not run: a module of another build (an upgrade
    // installed while this copy runs, a stale copy) would bring types and
    // calls that do not match this program's, so it is never loaded.
    const QJsonObject metaData = loader.metaData();
    if (metaData.isEmpty()) {
        qWarning("Cannot read the records window's module in %s: %s", qPrintable(programFolder),
            qPrintable(loader.errorString()));
        return nullptr;
    }
    const QJsonObject build = metaData.value("MetaData"_L1).toObject();
    if (metaData.value("IID"_L1).toString() != QLatin1StringView(VarolinRecordsModule_iid)
        || build.value("version"_L1).toString() != QLatin1StringView(VAROLIN_VERSION)
        || build.value("build"_L1).toString() != QLatin1StringView(VAROLIN_BUILD_ID)) {
        qWarning("The records window's module %s is not of this build of Varolin (%s %s)",
            qPrintable(loader.fileName()), VAROLIN_VERSION, VAROLIN_BUILD_ID);
        return nullptr;
    }
    // Every symbol is bound now, so a missing one fails here and not in the
    // middle of a window; the module stays for the windows it made.
    loader.setLoadHints(QLibrary::ResolveAllSymbolsHint | QLibrary::PreventUnloadHint);
    module = qobject_cast<RecordsModuleInterface*>(loader.instance());
    if (!module) {
        qWarning("Cannot load the records window: %s", qPrintable(loader.errorString()));
        return nullptr;
    }
    return module;
}

} // namespace

RecordsViewMaker recordsViewMaker(const QString& programFolder)
{
    if (!maker && loadModule(programFolder))
        maker = &makeThroughModule;
    return maker;
}

ClassViewMaker classViewMaker(const QString& programFolder)
{
    return loadModule(programFolder) ? &makeClassViewThroughModule : nullptr;
}

void setRecordsViewMaker(RecordsViewMaker newMaker)
{
    maker = newMaker;
}
