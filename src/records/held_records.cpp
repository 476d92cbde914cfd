// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/held_records.h"

#include "records/csv_text.h"
#include "records/sheet_questions.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

// The copy's one child, whoever a question is about.
constexpr qint64 HeldChild = RecordStore::FirstChild;

// Qt binds a null array as NULL, which the cells' columns refuse: a sheet
// with no answered cell has an empty list.
QByteArray notNull(const QByteArray& bytes)
{
    return bytes.isNull() ? QByteArray("") : bytes;
}

} // namespace

struct HeldRecords::Private
{
    QString connection;
    QSqlDatabase db;
    SheetQuestions questions{db};
    QString name;

    bool run(const QString& sql) const { return QSqlQuery(db).exec(sql); }
    // The store's tables, made as a new store makes them, and the sheets in
    // them in one transaction.
    bool hold(const QList<KeptSheet>& sheets) const;
};

bool HeldRecords::Private::hold(const QList<KeptSheet>& sheets) const
{
    for (int from = 0; from < schemaVersion(); ++from) {
        for (const QString& sql : migrationStep(from)) {
            if (!run(sql))
                return false;
        }
    }
    if (!run(u"BEGIN"_s))
        return false;
    QSqlQuery sheet(db);
    QSqlQuery cells(db);
    if (!sheet.prepare(u"INSERT INTO sheets (finished_at, local_date, finished_utc, kind, "
                       u"seconds, wrong_digits, record, child) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s)
        || !cells.prepare(u"INSERT INTO sheet_cells (sheet_id, row_operands, column_operands, "
                          u"cells) VALUES (last_insert_rowid(), ?, ?, ?)"_s))
        return false;
    // In the order they were done: the ids order the sheets of one second
    // as the store's do.
    for (const KeptSheet& kept : sheets) {
        const QVariantList values = {isoWithOffset(kept.finishedAt),
            dayColumn(kept.finishedAt.date()), kept.finishedAt.toSecsSinceEpoch(),
            kindNumber(kept.kind), kept.seconds, kept.wrongDigits, int(kept.record), HeldChild};
        for (int i = 0; i < values.size(); ++i)
            sheet.bindValue(i, values[i]);
        cells.bindValue(0, notNull(kept.packed.rows));
        cells.bindValue(1, notNull(kept.packed.columns));
        cells.bindValue(2, notNull(kept.packed.cells));
        if (!sheet.exec() || !cells.exec())
            return false;
    }
    sheet.finish();
    cells.finish();
    return run(u"COMMIT"_s);
}

HeldRecords::HeldRecords(const QList<KeptSheet>& sheets, const QString& name)
    : d(std::make_unique<Private>())
{
    static std::atomic<int> copies = 0;
    d->connection = u"varolin-held-%1"_s.arg(++copies);
    d->name = name;
    d->db = QSqlDatabase::addDatabase(u"QSQLITE"_s, d->connection);
    d->db.setDatabaseName(u":memory:"_s);
    // A copy that could not be made whole is none: a part of it would be
    // read as the child's whole practice.
    if (d->db.open() && !d->hold(sheets))
        d->db.close();
}

HeldRecords::~HeldRecords()
{
    d->db.close();
    d->db = QSqlDatabase();
    QSqlDatabase::removeDatabase(d->connection);
}

Outcome<QList<StoredSheet>> HeldRecords::sheets(const SheetRange& range) const
{
    SheetRange ofTheChild = range;
    if (ofTheChild.child)
        ofTheChild.child = HeldChild;
    return d->questions.sheets(ofTheChild);
}

Outcome<QList<DayBest>> HeldRecords::dailyBest(qint64, Kind kind, const QDate& from) const
{
    return d->questions.dailyBest(HeldChild, kind, from);
}

Outcome<QList<QDate>> HeldRecords::practiceDays(qint64, const QDate& from, const QDate& to) const
{
    return d->questions.practiceDays(HeldChild, from, to);
}

Outcome<QList<FactStat>> HeldRecords::facts(qint64, Kind kind, int lastSheets) const
{
    return d->questions.facts(HeldChild, kind, lastSheets);
}

Outcome<KnownFacts> HeldRecords::knownFacts(qint64, Kind kind, const QDate& upTo) const
{
    return d->questions.knownFacts(HeldChild, kind, upTo);
}

Outcome<QList<WeekKnown>> HeldRecords::knownByWeek(
    qint64, Kind kind, const QDate& from, int weeks) const
{
    return d->questions.knownByWeek(HeldChild, kind, from, weeks);
}

Outcome<std::array<int, 4>> HeldRecords::countsByKind(qint64) const
{
    return d->questions.countsByKind(HeldChild);
}

bool HeldRecords::readable() const
{
    return d->db.isOpen();
}

Done HeldRecords::writeCsv(const QString& path, std::optional<qint64>) const
{
    const auto newestFirst = sheets(SheetRange());
    if (!newestFirst)
        return newestFirst.failure();
    // As the class's CSV has it: each line names the child.
    QString text = csvHeader(true);
    for (auto sheet = newestFirst->crbegin(); sheet != newestFirst->crend(); ++sheet) {
        text += csvLine(sheet->finishedAt, sheet->kind, sheet->seconds, sheet->wrongDigits,
            sheet->record, d->name);
    }
    if (!writeTextFile(path, text.toUtf8()))
        return Failure{Failed::FileNotWritten, path};
    return {};
}

void HeldRecords::forget()
{
    if (!d->run(u"DELETE FROM sheet_cells"_s) || !d->run(u"DELETE FROM sheets"_s))
        d->db.close();
}
