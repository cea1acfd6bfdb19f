// The condition grids' set-up operations and Enter steps, over the small grid
// interface so that they run without a window.
//
// A grid is active (enabled, window background, window-text text) or
// inactive (disabled, inactive-border background, grey text); typed cells
// stay in either state. Row n carries the label "(n)" in column 0 once the
// cursor has reached it; a grid grows by one row when Enter moves past its
// last row and never shrinks.
#pragma once

#include <QString>
#include <optional>

#include "run/ExtractionConditions.h"
#include "ui/GridModel.h"

namespace sifta {

// Set-up operations, each idempotent. The cell grid's set-up also sets up its
// header band; the key grid's titles change only when it becomes active in
// the modes Count, Code and Value; the value grid's titles are written for
// the modes Code and Value whether or not it becomes active.
void SetupRidGrid(GridModel& grid, bool active);
void SetupCellGrid(GridModel& grid, GridModel& headerBand, bool active);
void SetupSpecialGrid(GridModel& grid, bool active);
void SetupKeyGrid(GridModel& grid, bool active, RecordMode mode);
void SetupValueGrid(GridModel& grid, bool active, RecordMode mode);

// The key grid's titles before any record mode is chosen.
void WriteKeyGridStartTitles(GridModel& grid);

// "(n)".
QString RowLabel(int row);

// What an Enter step asks the window to show.
struct EnterOutcome {
  enum class Kind {
    Moved,           // the cursor moved (or stays, see FocusValueGrid); the grid keeps the focus
    Refused,         // beep, then an information box with `message`; nothing moves
    NotAnInteger,    // an error box with `message`, no beep; nothing moves
    FocusValueGrid,  // the focus goes to the value grid; the key grid's cursor stays
  };
  Kind kind = Kind::Moved;
  QString message;
};

// The Enter steps, on the cell under the grid's cursor. Half-width blanks are
// left out of the copy that the RID, cell and key grids check; the cell keeps
// its text. `mode` is the selected record mode: in Value mode a good key
// number moves the focus to the value grid; the key grid's second column
// takes "*" in the modes Count and Code (the last record, the last RID item)
// but not in Value mode, which names one cell.
EnterOutcome RidGridEnter(GridModel& grid);
EnterOutcome CellGridEnter(GridModel& grid);
EnterOutcome SpecialGridEnter(GridModel& grid);
EnterOutcome KeyGridEnter(GridModel& grid, RecordMode mode);
EnterOutcome ValueGridEnter(GridModel& grid);

enum class ConditionGrid { Rid, Cell, Special, Key, Value };

// Tab out of a grid: the Enter step's check of the cell under the cursor,
// nothing moved; a cell left empty passes (the run's checks name an
// incomplete row). The refusal to show, or nothing when the grid may be left.
std::optional<EnterOutcome> LeaveCheck(const GridModel& grid, ConditionGrid which, RecordMode mode);

}  // namespace sifta
