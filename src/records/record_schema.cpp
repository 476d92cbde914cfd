#include "records/record_schema.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// Migration steps in order: entry n takes version n to n + 1. A new version
// appends a step; a released step is never changed, since files out there
// were built by it.
const std::array<QStringList, 1> migrations = {
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

QByteArray packCell(const AnsweredCell& cell)
{
    const int milliseconds = std::clamp(cell.milliseconds, 0, 0xffffff);
    QByteArray bytes(CellBytes, '\0');
    bytes[0] = char(cell.cell);
    bytes[1] = char(cell.left);
    bytes[2] = char(cell.top);
    bytes[3] = char(cell.answer);
    bytes[4] = char(milliseconds >> 16);
    bytes[5] = char(milliseconds >> 8);
    bytes[6] = char(milliseconds);
    bytes[7] = char(std::clamp(cell.wrongDigits, 0, 255));
    return bytes;
}

AnsweredCell unpackCell(const QByteArray& bytes)
{
    const auto at = [&bytes](int i) { return int(quint8(bytes[i])); };
    return {at(0), at(1), at(2), at(3), at(4) << 16 | at(5) << 8 | at(6), at(7)};
}

QByteArray byteValues()
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

QString factsQuery()
{
    // b(n) reads byte n (1-based) of a packed cell at slot i.
    const auto b = [](int n) {
        return u"(instr(byte_values, substr(cells, %1 * i + %2, 1)) - 1)"_s.arg(CellBytes).arg(n);
    };
    return u"WITH RECURSIVE"
           u" lookup(byte_values) AS (SELECT ?),"
           u" recent(cells) AS (SELECT c.cells FROM sheets s JOIN sheet_cells c ON c.sheet_id = "
           u"s.id"
           u"  WHERE s.kind = ? ORDER BY s.finished_utc DESC, s.id DESC LIMIT ?),"
           u" slot(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM slot WHERE i < 99),"
           u" answered(left_operand, top_operand, milliseconds, wrong_digits) AS ("
           u"  SELECT "_s
        + b(2) + u", "_s + b(3) + u", "_s + b(5) + u" * 65536 + "_s + b(6) + u" * 256 + "_s + b(7)
        + u", "_s + b(8)
        + u" FROM recent, slot, lookup WHERE %1 * i < length(cells))"
          u" SELECT left_operand, top_operand, count(*), avg(milliseconds),"
          u" sum(wrong_digits) FROM answered"
          u" GROUP BY left_operand, top_operand ORDER BY left_operand, top_operand"_s.arg(
              CellBytes);
}
