// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/best_times.h"
#include "drill/kind.h"
#include "records/month_records.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class ClassRecords;
struct Failure;
class Desktop;
class QWidget;
class RecordsContext;

// How a request to clear a child's records went: cleared, with the number
// of sheets kept until the class server has them; or not (no number), with
// why in the reader's words when there is more to say.
struct RecordsCleared
{
    std::optional<int> kept;
    QString why{};
    // For whoever looks after the machine: behind the box's details button.
    QString details{};
};
// Clears `child`'s records and tells `done` how it went, at once or later.
using ClearCommand
    = std::function<void(qint64 child, std::function<void(const RecordsCleared&)> done)>;

// The monthly report the print dialog offers beside the sheets: whose (no
// name while there is one child), the months to choose from (their first
// days, this month first) and how to read one when it is printed, nothing
// when the records cannot be read.
struct ReportOffer
{
    QString name;
    QList<QDate> months;
    std::function<Outcome<MonthRecords>(const QDate& month)> read;
};

// The children's commands of the records window, each asking its own
// questions over `window`: a command not given has no button.
struct ChildrenCommandSet
{
    std::function<void(QWidget* window)> add;
    std::function<void(QWidget* window, qint64 child)> rename;
    // Offered for the children the records' context lets go.
    std::function<void(QWidget* window, qint64 child)> remove;
};

// What the main window asks of the records window. The records window draws
// with Qt Charts, which would weigh on every start-up: it lives in a module
// of its own, loaded the first time it opens.
class RecordsView
{
public:
    virtual ~RecordsView() = default;
    // The window itself; it belongs to its parent and may close for good.
    virtual QWidget* widget() = 0;
    virtual void showKind(Kind kind) = 0;
    // Shows that child's records.
    virtual void showChild(qint64 child) = 0;
    // The best times of the child at the board.
    virtual void setBestTimes(const BestTimes& bestTimes) = 0;
    // Reads the store again, after a sheet was stored.
    virtual void refresh() = 0;
    // How many sheets of this run could not be stored; shown when above 0.
    virtual void setSheetsNotKept(int sheets) = 0;
    // What 「いんさつ」 does: the program's print dialog, offering the shown
    // child's monthly report as well. No command, no button.
    virtual void setPrintCommand(std::function<void(const ReportOffer& report)> print) = 0;
    // What 「きろくを けす」 does, after its two questions; no command, no
    // button.
    virtual void setClearCommand(ClearCommand clear) = 0;
    virtual void setChildrenCommands(ChildrenCommandSet commands) = 0;
};

// The view reads what `context` gives it, and nothing else: whatever its
// commands change, the commands handed to it change.
using RecordsViewMaker
    = RecordsView* (*)(std::unique_ptr<const RecordsContext> context, Kind, Desktop&, QWidget*);

// The teacher's view of the class (varolin --class), which opens the
// records window on each child: it lives in the same module. `records` must
// outlive the view; `notOpened` is why they could not be opened, null when
// they are open.
using ClassViewMaker
    = QWidget* (*)(ClassRecords& records, Desktop& desktop, const Failure* notOpened);

// What the records module gives the program: a plugin object with this
// interface. The module's metadata carries the program's version and build
// id, read before any of the module's code runs.
class RecordsModuleInterface
{
public:
    virtual ~RecordsModuleInterface() = default;
    virtual RecordsView* makeView(
        std::unique_ptr<const RecordsContext> context, Kind kind, Desktop& desktop, QWidget* parent)
        = 0;
    virtual QWidget* makeClassView(
        ClassRecords& records, Desktop& desktop, const Failure* notOpened)
        = 0;
};

#define VarolinRecordsModule_iid "org.varolin.Varolin.RecordsModule/7"
Q_DECLARE_INTERFACE(RecordsModuleInterface, VarolinRecordsModule_iid)

// The maker of the records window: loaded from the module in the program's
// folder on first use; null when the module cannot be loaded or is not of
// this very build, in which case it is not loaded at all.
RecordsViewMaker recordsViewMaker(const QString& programFolder);
// A program that links the records window itself puts its maker in place;
// null lets the next call load the module again.
void setRecordsViewMaker(RecordsViewMaker maker);
// The maker of the class view, from the same module; null as above.
ClassViewMaker classViewMaker(const QString& programFolder);
