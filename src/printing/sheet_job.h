// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"
#include "drill/sheet.h"

#include <QString>

#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPrinter;
class QRandomGenerator;

// A print job of sheets: the sheet on the board, or fresh sheets drawn as
// the board draws them, with or without their answer keys.
struct SheetJob
{
    enum class Source { Board, Fresh };

    static constexpr int MaxFreshSheets = 40;

    Kind kind = Kind::Addition; // of fresh sheets; the board's sheet has its own
    Source source = Source::Board;
    int freshSheets = 1; // 1..MaxFreshSheets
    bool answerKeys = false;
    // Written after 「なまえ：」 on every page of the job; none when empty.
    QString name;
};

// The sheets `job` prints, numbered 1, 2, ... in this order: `board`, or
// fresh sheets drawn one after the other from `random`.
std::vector<Sheet> jobSheets(const SheetJob& job, const Sheet& board, QRandomGenerator& random);

// Called before the first page and after every page with the pages done and
// the pages to print; returning false stops the job.
using PrintProgress = std::function<bool(int done, int total)>;

// The pages of `sheets` as one document: every sheet, then, with
// `answerKeys`, every key in the same order, so that the sheets can be handed
// out as they come and the keys stay together (and a two-sided printer
// never puts a key on the back of its sheet).
int pageCount(int sheets, bool answerKeys);

// Prints the pages of `job`, its answer keys and the name on them, for
// `sheets` as jobSheets drew them, on `printer` as one job, upright or on
// their side as the kind needs; only the pages in the printer's page ranges
// when it has any.
// PrintCancelled when `progress` stops it, PrintFailed when there is no
// printer or it fails; either way nothing is printed, and a file printed to
// is left as it was (no partial file).
[[nodiscard]] Done printSheets(QPrinter* printer, const std::vector<Sheet>& sheets,
    const SheetJob& job, const PrintProgress& progress = {});

// The same pages on any paged device, a painter begun and ended here. A
// stopped or failed job leaves the device's output to the caller.
[[nodiscard]] Done paintSheets(QPagedPaintDevice& device, const std::vector<Sheet>& sheets,
    const SheetJob& job, const PrintProgress& progress = {});
