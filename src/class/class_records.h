// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"
#include "class/class_connection.h"
#include "drill/best_times.h"
#include "drill/finished_sheet.h"
#include "records/held_records.h"
#include "records/record_reader.h"

#include <QDate>
#include <QFuture>
#include <QList>
#include <QString>

#include <array>
#include <memory>
#include <optional>

// How one child stands in one kind, as the class view lists it.
struct KindStanding
{
    std::optional<int> best; // seconds; none before the first sheet
    QList<int> lastTen; // the times of the last ten sheets, oldest first
    // Days with a sheet of this kind, as ClassChild::weekDays counts them:
    // the weekly goal is a goal per kind.
    std::array<int, 4> weekDays{};

    std::optional<int> latest() const;
    // The mean of the newer half of the last ten times less the mean of the
    // older half, in seconds: below 0 the child got quicker. None with fewer
    // than two sheets.
    std::optional<double> trend() const;
};

// A child of the class with their practice of the last four weeks.
struct ClassChild
{
    qint64 id = 0;
    QString name;
    int number = 0; // in the class; its children are listed by number
    // Days practised in any kind: [0] this week (Monday to today), [1] the
    // week before, and so on.
    std::array<int, 4> weekDays{};
    std::array<KindStanding, 4> kinds; // in kind order

    BestTimes bestTimes() const;
};

// The practice days of a week the class aims at.
constexpr int WeeklyGoalDays = 4;

// The days practised in each of the four weeks up to `today`, Monday to
// Sunday, this week first; days outside them are not counted.
std::array<int, 4> daysPerWeek(const QList<QDate>& practised, const QDate& today);

// A child's sheets copied from the server, read as the records window reads
// a machine's store; emptied once the server erased the child's sheets.
using ChildCopy = HeldRecords;

// One child's sheets as the server had them when they were asked for: the
// records window reads a copy of them and never waits for the server.
struct ChildSheets
{
    QList<KeptSheet> sheets; // oldest first
    QString name; // the child's

    // The sheets read as the records window reads a machine's store, as the
    // child of any id it is asked about; the CSV rows name the child.
    std::unique_ptr<ChildCopy> reader() const;
};

// How the class view starts once ClassRecords::open() answered (`opened` is
// nothing when no answer came). A server away (switched off, the network
// down) may come back: the view opens and says so, and reading again tries
// it. A refusal stays one until class.ini or the server changes: the view
// does not open, and the failure is told.
struct ClassStart
{
    bool opens = false;
    Done told; // in the view when it opens, else in a box before the end
};
ClassStart classStart(const std::optional<Done>& opened);

// The class of class.ini on the school's server, as its teacher sees it:
// the roster with each child's practice, the class's weak facts, its CSV,
// the roster's edits and each child's sheets. Every question is asked
// through the class connection and answered later, on the thread that waits
// for it (whenAnswered); nothing is kept here. A question that fails
// answers its failure, never an empty list.
class ClassRecords
{
public:
    // `connection` must outlive the questions' answers being used; the
    // questions themselves may outlive this.
    explicit ClassRecords(ClassConnection& connection);
    ~ClassRecords();
    ClassRecords(const ClassRecords&) = delete;
    ClassRecords& operator=(const ClassRecords&) = delete;

    // Connects, checks the server's layout, that the login is a teacher's
    // and that class.ini's class is one of the login's classes (a login that
    // may not see it is PrivilegeRefused). Asked first: the questions below
    // read the class it found.
    [[nodiscard]] QFuture<Done> open();
    const QString& className() const;
    // The connection the questions go through, for the class's other reads
    // (its facts known by heart).
    ClassConnection& connection() const;
    // Whether two children of the class may share a name, told apart by
    // their numbers (a server of layout 3 on); known once open() answered.
    bool namesShared() const;

    // The children in the order of their numbers, with their practice up
    // to `today`.
    [[nodiscard]] QFuture<Outcome<QList<ClassChild>>> roster(const QDate& today) const;
    // Every fact of `kind` met in each child's newest `lastSheets` sheets
    // of that kind, over the whole class.
    [[nodiscard]] QFuture<Outcome<QList<FactStat>>> facts(Kind kind, int lastSheets = 10) const;
    // Every sheet of the class, child by child in the order of their
    // numbers, each child's oldest first, each row naming its child and
    // their number (two children may share a name).
    [[nodiscard]] QFuture<Outcome<QByteArray>> csv() const;
    // The same written to `path` in one replacement of the file;
    // FileNotWritten when the file could not be written.
    [[nodiscard]] QFuture<Done> writeCsv(const QString& path) const;

    // Names come cleaned, as a machine keeps them. Taken is an answer (the
    // name, on a server whose children cannot share one; the number); any
    // other refusal answers its failure. A child added comes after the class's
    // last number.
    enum class Edit { Done, Taken };
    [[nodiscard]] QFuture<Outcome<Edit>> addChild(const QString& name);
    [[nodiscard]] QFuture<Outcome<Edit>> renameChild(qint64 child, const QString& name);
    // Gives a child of this class the number `number` (1 to 999); Taken
    // when another child of the class has it.
    [[nodiscard]] QFuture<Outcome<Edit>> setNumber(qint64 child, int number);
    // Removes the child of this class and every sheet of theirs.
    [[nodiscard]] QFuture<Done> removeChild(qint64 child);
    // A child of this class's sheets of each kind, in kind order.
    [[nodiscard]] QFuture<Outcome<std::array<int, 4>>> countsByKind(qint64 child) const;
    // Deletes every sheet of a child of this class; the child stays.
    [[nodiscard]] QFuture<Done> clearSheets(qint64 child);
    // A child of this class's whole sheets, copied for the records window.
    [[nodiscard]] QFuture<Outcome<ChildSheets>> childSheets(
        qint64 child, const QString& name) const;

    struct Private;

private:
    std::shared_ptr<Private> d;
};
