// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/record_schema.h"

#include "drill/known_facts.h"

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Migration steps in order: entry n takes version n to n + 1. A new version
// appends a step; a released step is never changed, since files out there
// were built by it.
const std::array<QStringList, 5> migrations = {
    // 0 -> 1: the first layout.
    QStringList{
        u"CREATE TABLE sheets ("
        u" id INTEGER PRIMARY KEY,"
        u" finished_at TEXT NOT NULL," // 2026-12-07T19:30:05+09:00
        u" local_date TEXT NOT NULL," // 2026-12-07, the day as it was where it was done
        u" finished_utc INTEGER NOT NULL," // seconds since 1970 UTC, for the order
        u" kind INTEGER NOT NULL CHECK (kind BETWEEN 0 AND 3),"
        u" seconds INTEGER NOT NULL,"
        u" wrong_digits INTEGER NOT NULL,"
        u" record INTEGER NOT NULL CHECK (record IN (0, 1)))"_s,
        u"CREATE TABLE sheet_cells ("
        u" sheet_id INTEGER PRIMARY KEY REFERENCES sheets (id) ON DELETE CASCADE,"
        u" row_operands BLOB NOT NULL,"
        u" column_operands BLOB NOT NULL,"
        u" cells BLOB NOT NULL)"_s,
        // The sheets of a kind, newest first, and the newest for the facts.
        u"CREATE INDEX sheets_by_kind ON sheets (kind, finished_utc)"_s,
        // The best of each day, read from the index alone.
        u"CREATE INDEX sheets_by_kind_day ON sheets (kind, local_date, seconds)"_s,
        // The days practised, of any kind.
        u"CREATE INDEX sheets_by_day ON sheets (local_date)"_s,
    },
    // 1 -> 2: each child their own. Every sheet kept so far is the first
    // child's. The first child's best times and kind live in the settings
    // file; these columns hold the other children's.
    QStringList{
        u"CREATE TABLE children ("
        u" id INTEGER PRIMARY KEY,"
        u" name TEXT NOT NULL UNIQUE,"
        u" best_addition INTEGER NOT NULL DEFAULT 600,"
        u" best_subtraction INTEGER NOT NULL DEFAULT 600,"
        u" best_multiplication INTEGER NOT NULL DEFAULT 600,"
        u" best_division INTEGER NOT NULL DEFAULT 600,"
        u" kind INTEGER NOT NULL DEFAULT 0 CHECK (kind BETWEEN 0 AND 3),"
        u" chosen INTEGER NOT NULL DEFAULT 0)"_s, // the highest is the last chosen
        u"INSERT INTO children (id, name) VALUES (1, 'ひとりめ')"_s,
        u"ALTER TABLE sheets ADD COLUMN child INTEGER NOT NULL DEFAULT 1"_s,
        // Every question of the records window is one child's.
        u"DROP INDEX IF EXISTS sheets_by_kind"_s,
        u"DROP INDEX IF EXISTS sheets_by_kind_day"_s,
        u"DROP INDEX IF EXISTS sheets_by_day"_s,
        u"CREATE INDEX sheets_by_child_kind ON sheets (child, kind, finished_utc)"_s,
        u"CREATE INDEX sheets_by_child_kind_day ON sheets (child, kind, local_date, seconds)"_s,
        u"CREATE INDEX sheets_by_child_day ON sheets (child, local_date)"_s,
        // Every sheet of a child, or of all, newest first, read a batch at a
        // time by the records window's table.
        u"CREATE INDEX sheets_by_child_time ON sheets (child, finished_utc)"_s,
        u"CREATE INDEX sheets_by_time ON sheets (finished_utc)"_s,
    },
    // 2 -> 3: a class on the school's server. Every sheet carries an id of
    // its own, made when it is stored, so that the server keeps a sheet sent
    // twice once; the sheets kept so far get one made here (a random UUID,
    // as QUuid makes them). The sheets still to be sent wait in `outbox`,
    // oldest first, with the server's id of the child they are sent as.
    // The class roster is kept for when the server is away; a child of the
    // roster is a local child whose `server_id` names it, so their best
    // times and records stay on this machine as any child's do.
    QStringList{
        u"ALTER TABLE sheets ADD COLUMN uuid TEXT"_s,
        u"UPDATE sheets SET uuid = lower(hex(randomblob(4)) || '-' || hex(randomblob(2)) || '-4'"
        u" || substr(hex(randomblob(2)), 2) || '-' || substr('89ab', 1 + abs(random() % 4), 1)"
        u" || substr(hex(randomblob(2)), 2) || '-' || hex(randomblob(6)))"_s,
        u"CREATE UNIQUE INDEX sheets_by_uuid ON sheets (uuid)"_s,
        u"ALTER TABLE children ADD COLUMN server_id INTEGER"_s,
        u"CREATE UNIQUE INDEX children_by_server_id ON children (server_id)"_s,
        u"CREATE TABLE class_roster ("
        u" class TEXT NOT NULL,"
        u" position INTEGER NOT NULL,"
        u" server_id INTEGER NOT NULL,"
        u" name TEXT NOT NULL,"
        u" PRIMARY KEY (class, position))"_s,
        u"CREATE TABLE outbox ("
        u" sheet_id INTEGER PRIMARY KEY REFERENCES sheets (id) ON DELETE CASCADE,"
        u" server_child INTEGER NOT NULL)"_s,
    },
    // 3 -> 4: a sheet is sent as the roster's child its own child is
    // linked to when it goes, so that a sheet done before the roster was
    // read waits for its child's link instead of staying behind, and a
    // child added to the roster again takes their sheets along. A sheet the
    // server will never take as it is (its child is off the roster) stays
    // with the reason in `refused`, out of the queue until a roster lists
    // its child again; `tries` counts the sends that failed.
    QStringList{
        u"ALTER TABLE outbox ADD COLUMN tries INTEGER NOT NULL DEFAULT 0"_s,
        u"ALTER TABLE outbox ADD COLUMN refused TEXT"_s,
        u"ALTER TABLE outbox DROP COLUMN server_child"_s,
    },
    // 4 -> 5: two children of a class may share a name, told apart by their
    // numbers in the class. The children of a roster take the names the
    // server gives them; the children of this machine alone keep a name
    // each (the table is made again without its rule on every name). The
    // roster keeps each child's number.
    QStringList{
        u"CREATE TABLE children_named ("
        u" id INTEGER PRIMARY KEY,"
        u" name TEXT NOT NULL,"
        u" best_addition INTEGER NOT NULL DEFAULT 600,"
        u" best_subtraction INTEGER NOT NULL DEFAULT 600,"
        u" best_multiplication INTEGER NOT NULL DEFAULT 600,"
        u" best_division INTEGER NOT NULL DEFAULT 600,"
        u" kind INTEGER NOT NULL DEFAULT 0 CHECK (kind BETWEEN 0 AND 3),"
        u" chosen INTEGER NOT NULL DEFAULT 0,"
        u" server_id INTEGER)"_s,
        u"INSERT INTO children_named SELECT id, name, best_addition, best_subtraction,"
        u" best_multiplication, best_division, kind, chosen, server_id FROM children"_s,
        u"DROP TABLE children"_s,
        u"ALTER TABLE children_named RENAME TO children"_s,
        u"CREATE UNIQUE INDEX children_by_server_id ON children (server_id)"_s,
        u"CREATE UNIQUE INDEX children_by_name ON children (name) WHERE server_id IS NULL"_s,
        u"ALTER TABLE class_roster ADD COLUMN number INTEGER NOT NULL DEFAULT 0"_s,
    },
};

} // namespace

int schemaVersion()
{
    return int(migrations.size());
}

QStringList migrationStep(int from)
{
    return from >= 0 && from < schemaVersion() ? migrations[from] : QStringList();
}

namespace {

bool fitsByte(int value)
{
    return value >= 0 && value <= 255;
}

QByteArray packCell(const AnsweredCell& cell)
{
    const int milliseconds = std::clamp(cell.milliseconds, 0, 0xffffff);
    const char bytes[CellBytes] = {char(cell.cell), char(cell.left), char(cell.top),
        char(cell.answer), char(milliseconds >> 16), char(milliseconds >> 8), char(milliseconds),
        char(std::clamp(cell.wrongDigits, 0, 255))};
    return QByteArray(bytes, CellBytes);
}

} // namespace

std::optional<PackedSheet> pack(const FinishedSheet& finished)
{
    if (finished.cells.size() > 100)
        return {};
    PackedSheet packed;
    // Qt binds a null array as NULL; a sheet with no answered cell has an
    // empty list, not a missing one.
    packed.cells = QByteArray("");
    for (int row = 0; row < 10; ++row) {
        if (!fitsByte(finished.sheet.rows[row]))
            return {};
        packed.rows += char(finished.sheet.rows[row]);
        for (int column = 0; column < 10; ++column) {
            const int value = finished.sheet.columns[row][column];
            if (!fitsByte(value))
                return {};
            packed.columns += char(value);
        }
    }
    for (const AnsweredCell& cell : finished.cells) {
        if (cell.cell < 0 || cell.cell > 99 || !fitsByte(cell.left) || !fitsByte(cell.top)
            || !fitsByte(cell.answer))
            return {};
        packed.cells += packCell(cell);
    }
    return packed;
}

void unpack(const PackedSheet& packed, FinishedSheet& finished)
{
    const auto byte = [](const QByteArray& bytes, qsizetype at) { return int(quint8(bytes[at])); };
    for (int row = 0; row < 10 && row < packed.rows.size(); ++row)
        finished.sheet.rows[row] = byte(packed.rows, row);
    for (int i = 0; i < 100 && i < packed.columns.size(); ++i)
        finished.sheet.columns[i / 10][i % 10] = byte(packed.columns, i);
    finished.cells.clear();
    for (qsizetype at = 0; at + CellBytes <= packed.cells.size(); at += CellBytes) {
        const auto field = [&](int n) { return byte(packed.cells, at + n); };
        finished.cells.push_back({field(0), field(1), field(2), field(3),
            field(4) << 16 | field(5) << 8 | field(6), field(7)});
    }
}

QByteArray byteValues()
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

QString factsOver(const QString& answered)
{
    // A sheet's first answer is timed from the start, not from the fact:
    // left out of the times. Of the rest, each owner's newest few; the
    // median of those, the mean of the middle two for an even count.
    return u"WITH RECURSIVE "_s + answered
        + u", timed(left_operand, top_operand, milliseconds, newest) AS ("
          u"  SELECT left_operand, top_operand, milliseconds, row_number() OVER ("
          u"   PARTITION BY owner_id, left_operand, top_operand ORDER BY sheet_rank, slot DESC)"
          u"  FROM answered WHERE slot > 0),"
          u" kept(left_operand, top_operand, milliseconds, place, timed_answers) AS ("
          u"  SELECT left_operand, top_operand, milliseconds,"
          u"   row_number() OVER (PARTITION BY left_operand, top_operand ORDER BY milliseconds),"
          u"   count(*) OVER (PARTITION BY left_operand, top_operand)"
          u"  FROM timed WHERE newest <= %1),"
          u" medians(left_operand, top_operand, timed_answers, median) AS ("
          u"  SELECT left_operand, top_operand, max(timed_answers), avg(milliseconds) FROM kept"
          u"  WHERE place IN ((timed_answers + 1) / 2, (timed_answers + 2) / 2)"
          u"  GROUP BY left_operand, top_operand),"
          u" totals(left_operand, top_operand, answers, wrong_digits) AS ("
          u"  SELECT left_operand, top_operand, count(*), sum(wrong_digits) FROM answered"
          u"  GROUP BY left_operand, top_operand)"
          u" SELECT t.left_operand, t.top_operand, t.answers, coalesce(m.timed_answers, 0),"
          u" coalesce(m.median, 0), t.wrong_digits FROM totals t LEFT JOIN medians m"
          u" ON m.left_operand = t.left_operand AND m.top_operand = t.top_operand"
          u" ORDER BY t.left_operand, t.top_operand"_s.arg(TimedAnswers);
}

namespace {

// The answered cells of the sheets `recent` lists (owner_id, sheet_rank,
// cells), read out of the packed bytes: the common table expressions that
// end in `answered`, after the others in `before`.
QString answeredInStore(const QString& before, const QString& recent)
{
    // b(n) reads byte n (1-based) of a packed cell at slot i.
    const auto b = [](int n) {
        return u"(instr(byte_values, substr(cells, %1 * i + %2, 1)) - 1)"_s.arg(CellBytes).arg(n);
    };
    return u" lookup(byte_values) AS (SELECT ?),"_s + before
        + u" recent(owner_id, sheet_rank, cells) AS ("_s + recent
        + u"), slot(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM slot WHERE i < 99),"
          u" answered(owner_id, sheet_rank, slot, left_operand, top_operand, milliseconds,"
          u"  wrong_digits) AS (SELECT owner_id, sheet_rank, i, "_s
        + b(2) + u", "_s + b(3) + u", "_s + b(5) + u" * 65536 + "_s + b(6) + u" * 256 + "_s + b(7)
        + u", "_s + b(8)
        + u" FROM recent, slot, lookup WHERE %1 * i < length(cells))"_s.arg(CellBytes);
}

} // namespace

QString factsQuery()
{
    return factsOver(answeredInStore({},
        u"SELECT 0, row_number() OVER (ORDER BY s.finished_utc DESC, s.id DESC), c.cells"
        u"  FROM sheets s JOIN sheet_cells c ON c.sheet_id = s.id"
        u"  WHERE s.child = ? AND s.kind = ? ORDER BY s.finished_utc DESC, s.id DESC LIMIT ?"_s));
}

QString knownOver(const QString& answered)
{
    // Per owner and fact: its newest few timed answers (a sheet's later
    // answers are its newer), how many of them were quick and right, and
    // whether it was answered at all.
    return u"WITH RECURSIVE "_s + answered
        + u", timed(owner_id, left_operand, top_operand, milliseconds, wrong_digits, newest) AS ("
          u"  SELECT owner_id, left_operand, top_operand, milliseconds, wrong_digits,"
          u"   row_number() OVER (PARTITION BY owner_id, left_operand, top_operand"
          u"    ORDER BY sheet_rank, slot DESC)"
          u"  FROM answered WHERE slot > 0),"
          u" newest(owner_id, left_operand, top_operand, timed_answers, sure) AS ("
          u"  SELECT owner_id, left_operand, top_operand, count(*),"
          u"   sum(CASE WHEN milliseconds <= %2 AND wrong_digits = 0 THEN 1 ELSE 0 END)"
          u"  FROM timed WHERE newest <= %1 GROUP BY owner_id, left_operand, top_operand),"
          u" met(owner_id, left_operand, top_operand) AS ("
          u"  SELECT DISTINCT owner_id, left_operand, top_operand FROM answered)"
          u" SELECT m.owner_id, m.left_operand, m.top_operand, CASE"
          u"  WHEN n.timed_answers IS NULL THEN %3 WHEN n.sure < n.timed_answers THEN %4"
          u"  WHEN n.timed_answers >= %1 THEN %5 ELSE %3 END"
          u" FROM met m LEFT JOIN newest n ON n.owner_id = m.owner_id"
          u"  AND n.left_operand = m.left_operand AND n.top_operand = m.top_operand"
          u" ORDER BY m.owner_id, m.left_operand, m.top_operand"_s.arg(KnownAnswers)
              .arg(KnownWithinMilliseconds)
              .arg(int(FactState::Met))
              .arg(int(FactState::Slow))
              .arg(int(FactState::Known));
}

QString knownQuery()
{
    // Each week an owner: the newest sheets finished by its last day.
    return knownOver(answeredInStore(
        u" weeks(week, last_day) AS (SELECT 0, ? UNION ALL"
        u"  SELECT week + 1, date(last_day, '+7 days') FROM weeks WHERE week + 1 < ?),"
        u" ranked(week, sheet_rank, sheet_id) AS (SELECT w.week, row_number() OVER ("
        u"  PARTITION BY w.week ORDER BY s.finished_utc DESC, s.id DESC), s.id"
        u"  FROM weeks w JOIN sheets s ON s.local_date <= w.last_day"
        u"  WHERE s.child = ? AND s.kind = ?),"_s,
        u"SELECT r.week, r.sheet_rank, c.cells FROM ranked r"
        u"  JOIN sheet_cells c ON c.sheet_id = r.sheet_id WHERE r.sheet_rank <= ?"_s));
}
