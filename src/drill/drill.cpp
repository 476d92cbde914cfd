// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/drill.h"

#include "drill/arithmetic.h"

#include <algorithm>
#include <optional>

namespace {

constexpr QChar Backspace = QChar(8);

// Full-width digits, which a Japanese keyboard setting may still produce,
// count as the digits they are.
QChar plainDigit(QChar character)
{
    const char16_t unit = character.unicode();
    if (unit >= u'０' && unit <= u'９')
        return QChar(u'0' + (unit - u'０'));
    return character;
}

} // namespace

Drill::Drill(Kind kind, std::uint32_t seed, Clock clock, QObject* parent)
    : QObject(parent)
    , clock(std::move(clock))
    , random(seed)
{
    current.kind = kind;
    drawNewSheet();
}

Drill::~Drill() = default;

qint64 Drill::activeMilliseconds() const
{
    const qint64 end = state == Phase::Paused ? pausedAt : clock();
    return std::max<qint64>(0, end - startedAt - pausedFor);
}

int Drill::elapsedSeconds() const
{
    if (!isActive())
        return frozenSeconds;
    return static_cast<int>(std::min<qint64>(MaxSeconds, activeMilliseconds() / 1000));
}

int Drill::millisecondsToNextSecond() const
{
    return 1000 - static_cast<int>(activeMilliseconds() % 1000);
}

void Drill::setPhase(Phase phase)
{
    if (state == phase)
        return;
    state = phase;
    Q_EMIT phaseChanged(phase);
}

void Drill::setCellText(int cell, const QString& text)
{
    if (cells[cell] == text)
        return;
    cells[cell] = text;
    Q_EMIT cellTextChanged(cell, text);
}

void Drill::clearCells()
{
    for (int cell = 0; cell < static_cast<int>(cells.size()); ++cell)
        setCellText(cell, QString());
}

void Drill::moveOpenCell(int cell)
{
    const int previous = open;
    open = cell;
    Q_EMIT openCellChanged(previous, cell);
}

void Drill::showRow(int newRow)
{
    if (row == newRow)
        return;
    row = newRow;
    Q_EMIT operandsChanged();
}

void Drill::drawNewSheet()
{
    current = drawSheet(current.kind, random);
    row = 0;
    Q_EMIT operandsChanged();
}

void Drill::switchKind()
{
    if (state != Phase::Idle)
        return;
    setKind(static_cast<Kind>((kindNumber(current.kind) + 1) % 4));
}

void Drill::setKind(Kind kind)
{
    if (state != Phase::Idle)
        return;
    current.kind = kind;
    Q_EMIT kindChanged(kind);
    drawNewSheet();
}

void Drill::newNumbers()
{
    if (state == Phase::Idle)
        drawNewSheet();
}

void Drill::useSheet(const Sheet& sheet)
{
    if (state != Phase::Idle)
        return;
    const bool otherKind = sheet.kind != current.kind;
    current = sheet;
    row = 0;
    if (otherKind)
        Q_EMIT kindChanged(sheet.kind);
    Q_EMIT operandsChanged();
}

void Drill::start()
{
    if (state != Phase::Idle)
        return;
    clearCells();
    // A tens digit held when the last sheet was stopped belongs to that
    // sheet, not to this one.
    heldDigits = 0;
    // The board has shown later rows of a division sheet: the child has seen
    // them, so every row gets new multiples.
    if (current.kind == Kind::Division && row != 0) {
        redrawDivisionRows(current, random);
        row = 0;
        Q_EMIT operandsChanged();
    }
    startedAt = clock();
    pausedFor = 0;
    progress = FinishedSheet{};
    progress.sheet = current;
    cellOpenedAt = 0;
    cellWrongDigits = 0;
    moveOpenCell(0);
    setPhase(Phase::Running);
}

void Drill::pause()
{
    if (state != Phase::Running)
        return;
    pausedAt = clock();
    setPhase(Phase::Paused);
}

void Drill::resume()
{
    if (state != Phase::Paused)
        return;
    pausedFor += std::max<qint64>(0, clock() - pausedAt);
    setPhase(Phase::Running);
}

void Drill::abandon()
{
    if (!isActive())
        return;
    frozenSeconds = 0;
    moveOpenCell(NoCell);
    clearCells();
    setPhase(Phase::Idle);
}

void Drill::typeText(const QString& text)
{
    // Text left over when the sheet ends belonged to that sheet.
    for (const QChar character : text) {
        if (state != Phase::Running)
            break;
        type(character);
    }
}

void Drill::type(QChar character)
{
    if (state != Phase::Running || open == NoCell)
        return;
    const int cell = open;
    if (character == Backspace) {
        setCellText(cell, QString());
        heldDigits = 0;
        return;
    }
    const QChar digit = plainDigit(character);
    if (digit < u'0' || digit > u'9')
        return;

    const std::optional<int> answer
        = expectedAnswer(current.left(cell), current.columns[row][cell % 10], current.kind);
    if (heldDigits == 1) {
        heldDigits = 0;
        const QString typed = cells[cell] + digit;
        if (!answer || typed.toInt() != *answer) {
            // Back to the tens digit, waiting for another ones digit.
            setCellText(cell, QString(firstDigit));
            heldDigits = 1;
            ++cellWrongDigits;
            Q_EMIT wrongDigit();
            return;
        }
        setCellText(cell, typed);
        accept(cell);
        return;
    }

    const int value = digit.unicode() - u'0';
    firstDigit = digit;
    setCellText(cell, QString(digit));
    if (answer && value == *answer) {
        accept(cell);
    } else if (answer && *answer >= 10 && value == *answer / 10) {
        heldDigits = 1; // the ones digit follows
    } else {
        setCellText(cell, QString());
        ++cellWrongDigits;
        Q_EMIT wrongDigit();
    }
}

void Drill::accept(int cell)
{
    const qint64 now = activeMilliseconds();
    progress.cells.push_back({cell, current.left(cell), current.columns[row][cell % 10],
        cells[cell].toInt(), static_cast<int>(now - cellOpenedAt), cellWrongDigits});
    progress.wrongDigits += cellWrongDigits;
    cellOpenedAt = now;
    cellWrongDigits = 0;

    // Multiplication and division use nine columns: the tenth is skipped.
    const int next = cell + (current.size() == 9 && cell % 10 == 8 ? 2 : 1);
    if (cell == current.lastCell() || next >= static_cast<int>(cells.size())) {
        finish();
        return;
    }
    if (next / 10 != row && current.kind == Kind::Division)
        showRow(next / 10);
    moveOpenCell(next);
}

void Drill::finish()
{
    frozenSeconds = elapsedSeconds();
    // In division the sheet's columns are those the child answered.
    progress.seconds = frozenSeconds;
    progress.sheet = current;
    moveOpenCell(NoCell);
    setPhase(Phase::Finished);
    const FinishedSheet finished = std::move(progress);
    progress = FinishedSheet{};
    // The step is over before anyone hears of it: whatever a handler does,
    // it meets a finished drill that takes no input and starts nothing.
    Q_EMIT sheetFinished(finished);
}

void Drill::clearBoard()
{
    if (state != Phase::Finished)
        return;
    clearCells();
    setPhase(Phase::Idle);
}
