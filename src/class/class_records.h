// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"
#include "records/record_reader.h"

#include <QDate>
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
    // Days practised: [0] this week (Monday to today), [1] the week before,
    // and so on.
    std::array<int, 4> weekDays{};
    std::array<KindStanding, 4> kinds; // in kind order

    // The best times as a machine keeps them: 600 where there is none.
    std::array<int, 4> bestTimes() const;
};

// The practice days of a week the class aims at.
constexpr int WeeklyGoalDays = 4;

// The days practised in each of the four weeks up to `today`, Monday to
// Sunday, this week first; days outside them are not counted.
std::array<int, 4> daysPerWeek(const QList<QDate>& practised, const QDate& today);

// The class of class.ini on the school's server, as its teacher sees it:
// the roster with each child's practice, the class's weak facts, its CSV,
// the roster's edits and each child's sheets. Everything is asked of the
// server when it is needed; nothing is kept here. Reads that fail answer
// nothing and leave the reason in problem(), never an empty list.
class ClassRecords
{
public:
    explicit ClassRecords(const ClassConfig& config);
    ~ClassRecords();
    ClassRecords(const ClassRecords&) = delete;
    ClassRecords& operator=(const ClassRecords&) = delete;

    // Connects, checks the server's layout, that the login is a teacher's
    // and that class.ini's class is one of the login's classes (a login that
    // may not see it is PrivilegeRefused).
    ClassProblem open(QString* detail = nullptr);
    const QString& className() const;
    // Why the last question or edit failed, with the server's words.
    ClassProblem problem() const;
    QString problemDetail() const;
    // How many questions and edits have failed so far: a caller that asked
    // several sees whether any of them failed.
    int failures() const;

    // The children in name order, with their practice up to `today`.
    std::optional<QList<ClassChild>> roster(const QDate& today) const;
    // Every fact of `kind` met in each child's newest `lastSheets` sheets
    // of that kind, over the whole class.
    std::optional<QList<FactStat>> facts(Kind kind, int lastSheets = 10) const;
    // Every sheet of the class, oldest first, each row naming its child.
    std::optional<QByteArray> csv() const;
    bool writeCsv(const QString& path) const;

    // Names come cleaned, as a machine keeps them.
    enum class Edit { Done, Taken, Failed };
    Edit addChild(const QString& name);
    Edit renameChild(qint64 child, const QString& name);
    // Removes the child of this class and every sheet of theirs.
    bool removeChild(qint64 child);

    // One child's sheets for the records window. It asks through this
    // connection, so it must not outlive it.
    std::unique_ptr<RecordReader> childRecords(qint64 child);

    struct Private;

private:
    std::unique_ptr<Private> d;
};
