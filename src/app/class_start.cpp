// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/class_start.h"

#include "app/desktop.h"
#include "app/records_view.h"
#include "app/single_instance.h"
#include "class/class_records.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The teacher reads the sentence; the server's own words are for whoever
// keeps the server: behind the box's details button.
int tell(Desktop& desktop, const Failure& failure)
{
    const FailureText told = failureText(failure, Reader::Adult);
    ask(desktop, nullptr, told.text, told.title, Desktop::Buttons::Ok, Desktop::Icon::Warning,
        QDir::toNativeSeparators(failure.detail));
    return 1;
}

} // namespace

int runClassView(Desktop& desktop, const QString& programFolder)
{
    // A second start brings this view forward; the drill has a lock of its
    // own, so a teacher may practise and look at the class at once.
    SingleInstance instance(u"varolin-class"_s);
    if (!instance.claim())
        return 0;

    const QString file = findClassConfig();
    if (file.isEmpty())
        return tell(desktop, {Failed::ClassConfigMissing});
    Outcome<ClassConfig> config = readClassConfig(file);
    if (!config)
        return tell(desktop, config.failure());
    config->teacher = true;
    // Made before the records that ask through it, so it goes after them.
    ClassConnection connection(*config);
    ClassRecords records(connection);
    // The answer is waited for with the event loop running: a second start
    // meanwhile is still answered.
    std::optional<Done> opened;
    QEventLoop waiting;
    whenAnswered(records.open(), &waiting, [&](const Done& answer) {
        opened = answer;
        waiting.quit();
    });
    waiting.exec();
    const ClassStart start = classStart(opened);
    if (!start.opens)
        return tell(desktop, *start.told);
    const ClassViewMaker make = classViewMaker(programFolder);
    if (!make) {
        ask(desktop, nullptr, u"クラスの画面を開けません。\rVarolin を入れ直してください。"_s,
            u"Varolin クラス"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        return 1;
    }
    // Made after the records it reads, so it goes first.
    const std::unique_ptr<QWidget> view(
        make(records, desktop, start.told ? &*start.told : nullptr));
    QObject::connect(&instance, &SingleInstance::activationRequested, view.get(), [&view] {
        view->showNormal();
        view->raise();
        view->activateWindow();
    });
    view->show();
    return QApplication::exec();
}
