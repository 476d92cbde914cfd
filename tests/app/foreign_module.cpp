// SPDX-License-Identifier: GPL-3.0-or-later
// A records module of another build: its metadata (records_module.json in
// this target's include path) differs from the program's in one respect, and
// any of its code that runs ends the process.
#include "app/records_context.h"
#include "app/records_view.h"

#include <cstdio>
#include <cstdlib>

static const bool ran = [] {
    std::fputs("The code of a records module of another build ran\n", stderr);
    std::abort();
    return true;
}();

class ForeignRecordsModule : public QObject, public RecordsModuleInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VarolinRecordsModule_iid FILE "records_module.json")
    Q_INTERFACES(RecordsModuleInterface)

public:
    RecordsView* makeView(std::unique_ptr<const RecordsContext>, Kind, Desktop&, QWidget*) override
    {
        std::abort();
    }
    QWidget* makeClassView(ClassRecords&, Desktop&, const Failure*) override { std::abort(); }
};

#include "foreign_module.moc"
