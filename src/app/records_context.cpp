// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_context.h"

#include "app/children_commands.h"
#include "app/records_view.h"
#include "practice/practice.h"
#include "records/record_reader.h"

namespace {

class MachineRecords final : public RecordsContext
{
public:
    explicit MachineRecords(const Practice& practice)
        : practice(practice)
        , store(practice.recordReader())
    {
        connect(&practice, &Practice::childrenChanged, this, &RecordsContext::childrenChanged);
        connect(&practice, &Practice::sheetsWaitingChanged, this,
            &RecordsContext::sheetsWaitingChanged);
    }

    const RecordReader& records() const override { return *store; }
    QList<Child> children() const override { return practice.childrenWithRecordsShown(); }
    qint64 childAtBoard() const override { return practice.child().id; }
    bool severalChildren() const override { return practice.hasSeveralChildren(); }
    bool holdsOthers() const override { return practice.hasSeveralChildren(); }
    bool removable(qint64 child) const override { return practice.canRemove(child); }
    bool sendsToClass() const override { return practice.inClass(); }
    std::optional<int> sheetsWaiting() const override { return practice.sheetsWaiting(); }

private:
    const Practice& practice;
    std::unique_ptr<RecordReader> store;
};

class ClassChildRecords final : public RecordsContext
{
public:
    ClassChildRecords(std::unique_ptr<RecordReader> sheets, const Child& child)
        : sheets(std::move(sheets))
        , child(child)
    { }

    const RecordReader& records() const override { return *sheets; }
    QList<Child> children() const override { return {child}; }
    qint64 childAtBoard() const override { return child.id; }
    // One child of the class's, always named.
    bool severalChildren() const override { return true; }

private:
    std::unique_ptr<RecordReader> sheets;
    Child child;
};

} // namespace

std::unique_ptr<RecordsContext> machineRecords(const Practice& practice)
{
    return std::make_unique<MachineRecords>(practice);
}

std::unique_ptr<RecordsContext> classChildRecords(
    std::unique_ptr<RecordReader> sheets, const Child& child)
{
    return std::make_unique<ClassChildRecords>(std::move(sheets), child);
}

void handMachineCommands(RecordsView& view, Practice& practice, ChildrenCommands& children)
{
    // On a classroom machine the teacher clears a child's sheets on the
    // server, and the roster is the server's.
    if (practice.recordsClearable()) {
        view.setClearCommand([&practice](qint64 child, const auto& done) {
            const Outcome<int> kept = practice.clearRecords(child);
            done(kept ? RecordsCleared{*kept}
                      : RecordsCleared{std::nullopt, {}, failureLog(kept.failure())});
        });
    }
    ChildrenCommandSet commands;
    if (practice.rosterEditable()) {
        commands.add = [&children](QWidget* window) { children.add(window); };
        commands.rename
            = [&children](QWidget* window, qint64 child) { children.rename(window, child); };
    }
    commands.remove
        = [&children](QWidget* window, qint64 child) { children.remove(window, child); };
    view.setChildrenCommands(std::move(commands));
}
