// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/finished_sheet.h"
#include "drill/kind.h"
#include "drill/sheet.h"

#include <QObject>
#include <QRandomGenerator>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

// The drill itself, with no window in sight: the sheet on the board, the
// session (idle, running, paused while the stop question is open, finished),
// the open cell, the judging of every typed character and the elapsed time.
// The window shows what the signals say and forwards clicks and keys here.
//
// Randomness and time come from outside: the seed every sheet is drawn from,
// and a monotonic clock in milliseconds. Elapsed time is measured from the
// start less the time spent paused, never by counting timer ticks, so a
// program that stalled shows the true time at its next refresh.
class Drill : public QObject
{
    Q_OBJECT

public:
    enum class Phase { Idle, Running, Paused, Finished };

    // Milliseconds from any fixed point; never goes back.
    using Clock = std::function<qint64()>;

    // The clock never counts past this, about nine hours.
    static constexpr int MaxSeconds = 32767;
    static constexpr int NoCell = -1;

    // Draws the first sheet of `kind`.
    Drill(Kind kind, std::uint32_t seed, Clock clock, QObject* parent = nullptr);
    ~Drill() override;

    Kind kind() const { return current.kind; }
    const Sheet& sheet() const { return current; }
    Phase phase() const { return state; }
    // Running or paused: a sheet is under way.
    bool isActive() const { return state == Phase::Running || state == Phase::Paused; }
    // The cell taking input, or NoCell.
    int openCell() const { return open; }
    // The board shows the column operands of this row (division changes
    // them row by row).
    int shownRow() const { return row; }
    int shownColumnOperand(int column) const { return current.columns[row][column]; }
    const QString& cellText(int cell) const { return cells[cell]; }
    // Whole seconds of the sheet under way, or of the one just finished;
    // 0 before the first start and after a stop.
    int elapsedSeconds() const;
    // Milliseconds until elapsedSeconds() next changes while running.
    int millisecondsToNextSecond() const;

    // Commands. Those that change the sheet act only while idle.
    void switchKind();
    void setKind(Kind kind);
    void newNumbers();
    // Puts a given sheet on the board instead of a drawn one.
    void useSheet(const Sheet& sheet);
    void start();
    // The stop question is open: the clock holds.
    void pause();
    // The stop question was answered No: the sheet goes on.
    void resume();
    // The stop question was answered Yes: the sheet is given up, the board
    // emptied and the clock set back to 0.
    void abandon();
    // The verdict of a finished sheet was read: the board is emptied and
    // the drill idle again. Until then a finished sheet stays on the board
    // and nothing starts.
    void clearBoard();

    // One typed character for the open cell. Digits (also full-width ones)
    // are judged; Backspace (U+0008) empties the cell; anything else is
    // ignored.
    void type(QChar character);
    // Characters one after the other; after a right answer the rest goes to
    // the cell opened next. Stops when the sheet ends.
    void typeText(const QString& text);

Q_SIGNALS:
    void kindChanged(Kind kind);
    // The row operands or the column operands shown changed.
    void operandsChanged();
    void cellTextChanged(int cell, const QString& text);
    // The cell taking input moved; NoCell when none does.
    void openCellChanged(int previous, int cell);
    void phaseChanged(Drill::Phase phase);
    // A wrong digit was typed and taken back.
    void wrongDigit();
    // The last answer was right. Emitted once the drill is finished (every
    // answer on the board, the clock stopped); it stays so until
    // clearBoard().
    void sheetFinished(const FinishedSheet& sheet);

private:
    qint64 activeMilliseconds() const;
    void setPhase(Phase phase);
    void setCellText(int cell, const QString& text);
    void clearCells();
    void moveOpenCell(int cell);
    void showRow(int newRow);
    void drawNewSheet();
    void accept(int cell);
    void finish();

    Clock clock;
    QRandomGenerator random;
    Sheet current;
    Phase state = Phase::Idle;
    int open = NoCell;
    int row = 0;
    std::array<QString, 100> cells;
    // A tens digit typed and held for its ones digit.
    int heldDigits = 0;
    QChar firstDigit;

    // Time, in clock milliseconds.
    qint64 startedAt = 0;
    qint64 pausedAt = 0;
    qint64 pausedFor = 0;
    int frozenSeconds = 0;

    // What the finished sheet reports.
    qint64 cellOpenedAt = 0;
    int cellWrongDigits = 0;
    FinishedSheet progress;
};
