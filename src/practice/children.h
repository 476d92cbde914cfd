// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "practice/child_name.h"
#include "practice/shown_child.h"
#include "records/record_store.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// The children of this machine and who practises: the list as the records
// (or a class's roster) have it, the child at the board, the one chosen last
// time, and when the chooser is wanted. The first child's best times and
// kind are the settings file's, kept here while the program runs.
//
// Whether the child at the board may change now is not known here: the
// caller says so (only between sheets).
class Children : public QObject
{
    Q_OBJECT

public:
    // `first` is the first child as the settings keep them. `mark` is a
    // file beside the records that says there were several children, so
    // that the next start asks who practises before opening the records;
    // none when empty. With `className` the children are the class roster.
    Children(Child first, QString mark, std::optional<QString> className = std::nullopt,
        QObject* parent = nullptr);

    // In the order they were added, or the roster's order.
    const QList<Child>& all() const { return list; }
    bool several() const { return namesShown(list.size()); }
    const Child* find(qint64 id) const;
    const Child& atBoard() const;
    const Child& first() const { return firstChild; }
    qint64 last() const { return lastChosen; }
    // The name the board and the printed sheets show: none while the child
    // is the only one, who never sees their name anywhere else.
    QString nameShown() const;
    // A class's roster is the teacher's, kept on the server.
    bool rosterEditable() const { return !className; }
    // Whether the chooser comes when the window shows, which opens the
    // records then: several children last time, or a class.
    bool expectsSeveral() const;

    // The child at the board's best times and kind changed.
    void setBestTimes(const BestTimes& times);
    void setKind(Kind kind);

    // Reads the children again from `store`. With a class, the roster as
    // last kept; until it was kept once, the children of this machine. A
    // child at the board who is not among them makes way for the one of
    // last time when `atRest`.
    void read(const RecordStore& store, bool atRest);

    // A name against the rule is its problem; a store that cannot keep it,
    // or a roster that is the teacher's, a failure.
    [[nodiscard]] Outcome<ChildName::Problem> add(RecordStore* store, const QString& name);
    [[nodiscard]] Outcome<ChildName::Problem> rename(
        RecordStore* store, qint64 id, const QString& name);
    // Neither the first child, nor the child at the board, nor a child of a
    // class's roster.
    bool canRemove(qint64 id) const;
    QList<Child> removable() const;
    // Removes the child and their sheets when canRemove() allows; false
    // when it did not or the store failed.
    [[nodiscard]] bool remove(RecordStore* store, qint64 id);
    // The child at the board from now on, remembered as the last chosen;
    // only `atRest`.
    [[nodiscard]] bool choose(RecordStore* store, qint64 id, bool atRest);

    // Asks for the chooser when `atRest`, with the child of last time at
    // the board while it is open. False when it is not the time.
    bool wantChooser(bool atRest);
    bool chooserOffered() const { return offered; }

Q_SIGNALS:
    // Read, renamed, added or removed.
    void changed();
    // Another child is at the board.
    void atBoardChanged();
    void chooserWanted();

private:
    QStringList namesBeside(qint64 except) const;
    void setAtBoard(qint64 id);

    Child firstChild;
    QString mark;
    std::optional<QString> className;
    QList<Child> list;
    qint64 current = RecordStore::FirstChild;
    qint64 lastChosen = RecordStore::FirstChild;
    bool offered = false;
};
