// SPDX-License-Identifier: GPL-3.0-or-later
// The records module's entry: the one object the program asks for once its
// metadata has shown the module to be of the same build.
#include "app/class_view.h"
#include "app/records_context.h"
#include "app/records_view.h"
#include "app/records_window.h"

class RecordsModule : public QObject, public RecordsModuleInterface
{
    Q_OBJECT
    // records_module.json is written by the build with the version and the
    // build id.
    Q_PLUGIN_METADATA(IID VarolinRecordsModule_iid FILE "records_module.json")
    Q_INTERFACES(RecordsModuleInterface)

public:
    RecordsView* makeView(std::unique_ptr<const RecordsContext> context, Kind kind,
        Desktop& desktop, QWidget* parent) override
    {
        return varolinMakeRecordsView(std::move(context), kind, desktop, parent);
    }
    QWidget* makeClassView(
        ClassRecords& records, Desktop& desktop, const Failure* notOpened) override
    {
        return new ClassView(
            records, desktop, notOpened ? std::optional(*notOpened) : std::nullopt);
    }
};

#include "records_module.moc"
