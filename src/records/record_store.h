// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/best_times.h"
#include "drill/failure.h"
#include "drill/finished_sheet.h"
#include "drill/kind.h"
#include "drill/known_facts.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// One stored sheet as the records window lists it.
struct StoredSheet
{
    qint64 id = 0;
    QDateTime finishedAt; // local time with the offset it was kept with
    Kind kind = Kind::Addition;
    int seconds = 0;
    int wrongDigits = 0;
    bool record = false;
};

// The best time of one day: the day is the local date the sheets were
// finished on, as they were kept (a later change of time zone moves no
// sheet to another day).
struct DayBest
{
    QDate day;
    int seconds = 0;
};

// How many facts of a kind were known by heart at the end of a week (Monday
// to Sunday).
struct WeekKnown
{
    QDate monday;
    int known = 0;

    bool operator==(const WeekKnown&) const = default;
};

// How one fact went over the sheets asked about: `left` is the row operand,
// `top` the column operand as on the board (for division the dividend).
// A sheet's first answer counts among the answers and its wrong digits but
// is not timed: its time runs from 「はじめ」, while the child found the keys,
// not from when they turned to the fact. The time is the median of the
// fact's newest timed answers (of each child, for a class), so one slow
// moment does not make a fact weak.
struct FactStat
{
    int left = 0;
    int top = 0;
    int answers = 0;
    int timedAnswers = 0;
    double medianMilliseconds = 0; // 0 with no timed answer
    int wrongDigits = 0;

    // Named among the slowest only on more than one timed answer.
    bool timedEnough() const { return timedAnswers >= 2; }
};

// A child practising on this computer, with what is theirs alone. The first
// child's best times and kind are kept in the settings file, not here.
struct Child
{
    qint64 id = 0;
    QString name;
    BestTimes bestTimes;
    Kind kind = Kind::Addition;
    // The child of the class roster this child is, by the server's id;
    // none on a machine without a class.
    std::optional<qint64> serverId{};
    // Their number in the class, which tells apart two of one name; 0
    // without a class.
    int number = 0;

    bool operator==(const Child&) const = default;
};

// A child of the class roster, as the server names them.
struct RosterChild
{
    qint64 serverId = 0;
    QString name;
    int number = 0; // in the class, which lists its children by number

    bool operator==(const RosterChild&) const = default;
};

// Which sheets RecordStore::sheets() lists, newest first: every child's
// when `child` is empty; every kind when `kind` is empty; only sheets finished at or after `since`
// when it is valid; only those that come after `after` in that order when it is set; at most
// `limit` when it is not negative.
struct SheetRange
{
    std::optional<qint64> child;
    std::optional<Kind> kind;
    QDateTime since;
    std::optional<StoredSheet> after;
    int limit = -1;

    SheetRange& ofChild(qint64 only)
    {
        child = only;
        return *this;
    }
    SheetRange& ofKind(Kind only)
    {
        kind = only;
        return *this;
    }
    SheetRange& from(const QDateTime& first)
    {
        since = first;
        return *this;
    }
    SheetRange& following(const StoredSheet& last)
    {
        after = last;
        return *this;
    }
    SheetRange& atMost(int sheets)
    {
        limit = sheets;
        return *this;
    }
};

// Every finished sheet, kept in an SQLite database through Qt SQL. Nothing
// here shows anything: every change answers its failure (RecordsUnusable,
// RecordsLocked, SheetNotKept, with the file and SQLite's words), nothing
// when it was made.
class RecordStore
{
public:
    // What the store met, as it tells it in a Failure.
    enum class Problem {
        None,
        CannotOpen, // the file or its folder cannot be opened or created
        Locked, // another program held the database longer than a moment
        Damaged, // the file was no database of ours; it was moved aside
        WriteFailed, // a sheet could not be stored
    };

    // `path` is the database file; its folder is created when needed.
    explicit RecordStore(const QString& path);
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // records.sqlite in the user's data folder.
    static QString defaultPath();

    // Opens (creating or migrating) the database: the failure when it
    // cannot be used (RecordsUnusable, RecordsLocked). A damaged file is
    // renamed aside, never deleted, and a new one begun: the store opens,
    // and answers the RecordsMovedAside notice naming where the old file
    // went. Adding or clearing needs an open store.
    [[nodiscard]] Outcome<Done> open();
    bool isOpen() const;
    QString path() const;

    // The child every sheet belonged to before there were children, who is
    // never removed.
    static constexpr qint64 FirstChild = 1;

    // Whether a stored sheet also waits to be sent to the class server.
    enum class Send { No, ToClass };
    // Stores the sheet as `child`'s in one transaction, with an id of its
    // own; the failure when it was not stored. Sent to the class, it waits in the
    // outbox until the server has it, sent as the roster's child `child` is
    // linked to then: a child not linked yet keeps it waiting for the class.
    // Nothing of a sheet that was not stored stays in the database.
    [[nodiscard]] Done add(
        const FinishedSheet& sheet, qint64 child = FirstChild, Send send = Send::No);
    // The same for several sheets of `child` in one transaction: all of
    // them stored, or none (a copy of sheets kept elsewhere).
    [[nodiscard]] Done add(
        const QList<FinishedSheet>& sheets, qint64 child = FirstChild, Send send = Send::No);

    // Every question below answers nothing (an empty optional) when the
    // database could not be read, never an empty list in its place: an
    // empty list is a store with no such sheets.

    // The sheets `range` asks for, newest first.
    [[nodiscard]] Outcome<QList<StoredSheet>> sheets(const SheetRange& range = {}) const;
    // Every question of one child's records is asked of `child`'s sheets
    // alone.

    // One entry per day with sheets of `kind`, from `from` on (every day
    // when it is null), oldest first.
    [[nodiscard]] Outcome<QList<DayBest>> dailyBest(
        qint64 child, Kind kind, const QDate& from = {}) const;
    // The days from `from` to `to` (both included) with a sheet of any kind.
    [[nodiscard]] Outcome<QList<QDate>> practiceDays(
        qint64 child, const QDate& from, const QDate& to) const;
    // Every fact met in the newest `lastSheets` sheets of `kind`.
    [[nodiscard]] Outcome<QList<FactStat>> facts(
        qint64 child, Kind kind, int lastSheets = 10) const;
    // Which facts of `kind` `child` knows by heart, by their newest
    // KnownOverSheets sheets of the kind done by the end of `upTo` (of all
    // when it is null).
    [[nodiscard]] Outcome<KnownFacts> knownFacts(
        qint64 child, Kind kind, const QDate& upTo = {}) const;
    // How many were known at the end of each of `weeks` weeks, the first the
    // week of `from`, oldest first.
    [[nodiscard]] Outcome<QList<WeekKnown>> knownByWeek(
        qint64 child, Kind kind, const QDate& from, int weeks) const;
    // Every child's sheets.
    [[nodiscard]] Outcome<int> count() const;
    // The number of stored sheets of each kind, in kind order.
    [[nodiscard]] Outcome<std::array<int, 4>> countsByKind(qint64 child) const;
    // The whole stored sheet: operands, time and every answered cell in the
    // order answered, or RecordsUnusable when it could not be read; no
    // sheet when there is no sheet `id`.
    [[nodiscard]] Outcome<std::optional<FinishedSheet>> sheet(qint64 id) const;

    // Every stored sheet of `child` (of every child when empty), one row
    // each, with a header row; UTF-8, CRLF line ends. While there are two
    // or more children each row ends with the child's name; with one child
    // the file is as it was before there were children.
    [[nodiscard]] Outcome<QByteArray> csv(std::optional<qint64> child = {}) const;
    // The same written to `path` in one replacement of the file; false when
    // the store could not be read or the file not written, and then no file
    // is left.
    [[nodiscard]] Done writeCsv(const QString& path, std::optional<qint64> child = {}) const;
    // Deletes every stored sheet of `child` that the class server has or
    // was never to have; the child stays. A sheet still waiting for the
    // class stays too, so that it still goes (sheetCount() says how many).
    [[nodiscard]] Done clear(qint64 child);

    // The children in the order they were added; empty when the store
    // cannot be read.
    [[nodiscard]] Outcome<QList<Child>> children() const;
    // The child chosen last; the first child until another was chosen.
    [[nodiscard]] Outcome<qint64> lastChild() const;
    [[nodiscard]] Done setLastChild(qint64 child);
    // A new child with the best times and kind of a new start; nothing when
    // SheetNotKept when the name is taken or the store cannot be written.
    [[nodiscard]] Outcome<qint64> addChild(const QString& name);
    [[nodiscard]] Done renameChild(qint64 child, const QString& name);
    // Removes the child and every sheet of theirs, those waiting for the
    // class too, in one transaction. The first child cannot be removed.
    [[nodiscard]] Done removeChild(qint64 child);
    [[nodiscard]] Done setChildBests(qint64 child, const BestTimes& bestTimes, Kind kind);
    [[nodiscard]] Outcome<int> sheetCount(qint64 child) const;

    // The sheets the class server does not have yet: waiting, waiting for
    // their child's link, or refused for now. Sending goes through an
    // Outbox of its own.
    [[nodiscard]] Outcome<int> waitingCount() const;
    // When the oldest of them was finished (its local time with the offset
    // it was kept with); invalid when none waits, nothing when the store
    // cannot be read.
    [[nodiscard]] Outcome<QDateTime> oldestWaiting() const;

    // Keeps the roster of `className` as the server gave it, in its order,
    // and gives each of its children a local child: the one already theirs,
    // else a child of the same name not linked to a child of a kept roster
    // (a child taken off the roster and added again is theirs again), else
    // a new one: two children of the class may share a name. Refused sheets
    // of the roster's children wait again.
    [[nodiscard]] Done keepRoster(const QString& className, const QList<RosterChild>& roster);
    // The local children of the roster last kept for `className`, in the
    // roster's order, with their numbers; empty when none was kept.
    [[nodiscard]] Outcome<QList<Child>> rosterChildren(const QString& className) const;

private:
    struct Private;
    Private* d;
};
