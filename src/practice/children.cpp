// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/children.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

Children::Children(Child first, QString mark, std::optional<QString> className, QObject* parent)
    : QObject(parent)
    , firstChild(std::move(first))
    , mark(std::move(mark))
    , className(std::move(className))
    , list{firstChild}
{
    firstChild.id = RecordStore::FirstChild;
    list.first().id = RecordStore::FirstChild;
}

const Child* Children::find(qint64 id) const
{
    const auto found
        = std::find_if(list.begin(), list.end(), [id](const Child& each) { return each.id == id; });
    return found == list.end() ? nullptr : &*found;
}

const Child& Children::atBoard() const
{
    // The first child may be on no class roster and still finish a sheet.
    if (current == RecordStore::FirstChild)
        return firstChild;
    const Child* shown = find(current);
    return shown ? *shown : list.first();
}

QString Children::nameShown() const
{
    return several() ? atBoard().name : QString();
}

bool Children::expectsSeveral() const
{
    return several() || className || (!mark.isEmpty() && QFileInfo::exists(mark));
}

void Children::setBestTimes(const BestTimes& times)
{
    if (current == RecordStore::FirstChild)
        firstChild.bestTimes = times;
    if (Child* shown = const_cast<Child*>(find(current)))
        shown->bestTimes = times;
}

void Children::setKind(Kind kind)
{
    if (current == RecordStore::FirstChild)
        firstChild.kind = kind;
    if (Child* shown = const_cast<Child*>(find(current)))
        shown->kind = kind;
}

void Children::read(const RecordStore& store, bool atRest)
{
    QList<Child> found;
    if (className)
        found = store.rosterChildren(*className).value_or(QList<Child>());
    if (found.isEmpty()) {
        const Outcome<QList<Child>> stored = store.children();
        if (!stored || stored->isEmpty() || stored->first().id != RecordStore::FirstChild)
            return;
        found = *stored;
    }
    list = found;
    // The settings file keeps the first child's own.
    for (Child& each : list) {
        if (each.id == RecordStore::FirstChild) {
            firstChild.name = each.name;
            each.bestTimes = firstChild.bestTimes;
            each.kind = firstChild.kind;
        }
    }
    lastChosen = store.lastChild().value_or(RecordStore::FirstChild);
    // A mark beside the records, not a setting: one child leaves the
    // settings file as it always was. A lost mark is found out when the
    // records open.
    if (!mark.isEmpty() && several() != QFileInfo::exists(mark)) {
        if (several())
            QFile(mark).open(QIODevice::WriteOnly);
        else
            QFile::remove(mark);
    }
    // A child who is not on the roster does not practise here: the one of
    // last time does, or the first.
    if (!find(current) && atRest)
        setAtBoard(find(lastChosen) ? lastChosen : list.first().id);
    Q_EMIT changed();
    // A class whose roster came only now, from the server: the child at the
    // board is asked for, once.
    if (className && !offered && several())
        wantChooser(atRest);
}

QStringList Children::namesBeside(qint64 except) const
{
    QStringList names;
    for (const Child& each : list) {
        if (each.id != except)
            names.append(each.name);
    }
    return names;
}

namespace {

// The children cannot be changed here: the roster is the teacher's, or the
// records cannot be used.
Failure notChangeable(bool rosterEditable)
{
    return Failure{Failed::SheetNotKept, {},
        rosterEditable ? u"the records are not open"_s : u"the class roster is the teacher's"_s};
}

} // namespace

Outcome<ChildName::Problem> Children::add(RecordStore* store, const QString& name)
{
    const ChildName::Problem problem = ChildName::check(name, namesBeside(0));
    if (problem != ChildName::Problem::None)
        return problem;
    if (!rosterEditable() || !store)
        return notChangeable(rosterEditable());
    if (const Outcome<qint64> added = store->addChild(ChildName::clean(name)); !added)
        return added.failure();
    read(*store, false);
    return ChildName::Problem::None;
}

Outcome<ChildName::Problem> Children::rename(RecordStore* store, qint64 id, const QString& name)
{
    const ChildName::Problem problem = ChildName::check(name, namesBeside(id));
    if (problem != ChildName::Problem::None)
        return problem;
    if (!rosterEditable() || !store)
        return notChangeable(rosterEditable());
    if (Done failed = store->renameChild(id, ChildName::clean(name)))
        return *std::move(failed);
    read(*store, false);
    return ChildName::Problem::None;
}

bool Children::canRemove(qint64 id) const
{
    return rosterEditable() && id != RecordStore::FirstChild && id != current && find(id);
}

QList<Child> Children::removable() const
{
    QList<Child> found;
    for (const Child& each : list) {
        if (canRemove(each.id))
            found.append(each);
    }
    return found;
}

bool Children::remove(RecordStore* store, qint64 id)
{
    if (!canRemove(id) || !store || store->removeChild(id))
        return false;
    read(*store, false);
    return true;
}

bool Children::choose(RecordStore* store, qint64 id, bool atRest)
{
    if (!atRest || !find(id))
        return false;
    lastChosen = id;
    // The next start offers this child first; a store that cannot keep it
    // offers the one before, which is no harm worth a box.
    if (store)
        (void)store->setLastChild(id);
    setAtBoard(id);
    return true;
}

bool Children::wantChooser(bool atRest)
{
    if (!atRest)
        return false;
    offered = true;
    // The board shows the child the chooser offers first, the one of last
    // time, not another child while the question is open.
    if (find(lastChosen) && lastChosen != current)
        setAtBoard(lastChosen);
    Q_EMIT chooserWanted();
    return true;
}

void Children::setAtBoard(qint64 id)
{
    current = id;
    Q_EMIT atBoardChanged();
}
