#include "ui/GridSteps.h"

#include <optional>
#include <string>

#include "scan/Cp932.h"
#include "scan/NumberText.h"
#include "scan/Scanning.h"
#include "ui/QtText.h"
#include "ui/WindowMessages.h"

namespace sifta {

namespace {

void SetTitles(GridModel& grid, const QString& first, const QString& second) {
  grid.SetCell(1, 0, first);
  grid.SetCell(2, 0, second);
}

void SetActive(GridModel& grid, bool active) {
  grid.SetEnabled(active);
  grid.SetBackgroundColour(active ? SystemColour::Window : SystemColour::InactiveBorder);
  grid.SetTextColour(active ? SystemColour::WindowText : SystemColour::GrayText);
}

void SetTextColourFor(GridModel& grid, bool active) {
  grid.SetTextColour(active ? SystemColour::WindowText : SystemColour::GrayText);
}

// The copy of the cell under the cursor that a number column checks: code
// page 932, every half-width blank removed. A character without a code page
// 932 form cannot be a digit; its stand-in makes the check say so.
std::string NumberCopy(const GridModel& grid) {
  std::string copy = Utf8ToCp932ForDisplay(grid.Cell(grid.Column(), grid.Row()).toStdString());
  DeleteUnquoted(copy, " ", "");
  return copy;
}

enum class Check { Required, OptionalNumber, OptionalNumberOrStar };

// The number check of one column; nothing when the copy passes.
std::optional<EnterOutcome> CheckNumberColumn(const GridModel& grid, Check check) {
  const std::string copy = NumberCopy(grid);
  if (check != Check::Required && copy.empty()) return std::nullopt;
  const NumberCheck result = CheckNumberText(copy, check == Check::OptionalNumberOrStar ? "*" : "");
  switch (result.kind) {
    case NumberCheck::Kind::Allowed:
    case NumberCheck::Kind::Number:
      return std::nullopt;
    case NumberCheck::Kind::Refused: {
      static const QString head = Ui(window_messages::kCellRefusedHead);
      return EnterOutcome{EnterOutcome::Kind::Refused, head + FromSj(result.message)};
    }
    case NumberCheck::Kind::NotAnInteger:
      return EnterOutcome{EnterOutcome::Kind::NotAnInteger, FromSj(result.message)};
  }
  return std::nullopt;
}

EnterOutcome MoveToColumn(GridModel& grid, int column) {
  grid.SetColumn(column);
  return {};
}

// To the next row: appended when the cursor is on the last one, labelled,
// the cursor in `column` of it.
EnterOutcome MoveToNextRow(GridModel& grid, int column) {
  const int next = grid.Row() + 1;
  if (next > grid.RowCount() - 1) grid.AppendRow();
  grid.SetCell(0, next, RowLabel(next));
  grid.SetColumn(column);
  grid.SetRow(next);
  return {};
}

}  // namespace

QString RowLabel(int row) { return QStringLiteral("(%1)").arg(row); }

void SetupRidGrid(GridModel& grid, bool active) {
  SetTextColourFor(grid, active);
  SetTitles(grid, QStringLiteral("始め番号"), QStringLiteral("終り番号"));
  grid.SetCell(0, 1, RowLabel(1));
  SetActive(grid, active);
}

void SetupCellGrid(GridModel& grid, GridModel& headerBand, bool active) {
  SetTextColourFor(grid, active);
  SetTextColourFor(headerBand, active);
  SetTitles(grid, QStringLiteral("始め番号"), QStringLiteral("終り番号"));
  grid.SetCell(3, 0, QStringLiteral("次の始め番号"));
  grid.SetCell(4, 0, QStringLiteral("ﾗｽﾄ始め番号"));
  headerBand.SetCell(0, 0, QStringLiteral("      最初の指定"));
  headerBand.SetCell(1, 0, QStringLiteral("     繰り返しのとき指定"));
  grid.SetCell(0, 1, RowLabel(1));
  SetActive(grid, active);
  SetActive(headerBand, active);
}

void SetupSpecialGrid(GridModel& grid, bool active) {
  SetTextColourFor(grid, active);
  grid.SetCell(1, 0, QStringLiteral("   特定文字"));
  grid.SetCell(0, 1, RowLabel(1));
  SetActive(grid, active);
}

void SetupKeyGrid(GridModel& grid, bool active, RecordMode mode) {
  SetTextColourFor(grid, active);
  if (active) {
    switch (mode) {
      case RecordMode::Count:
        SetTitles(grid, QStringLiteral(" 始めｶｳﾝﾄ"), QStringLiteral(" 終りｶｳﾝﾄ"));
        break;
      case RecordMode::Code:
        SetTitles(grid, QStringLiteral(" 始め番号"), QStringLiteral(" 終り番号"));
        break;
      case RecordMode::Value:
        SetTitles(grid, QStringLiteral(" セル番号"), QString());
        break;
      case RecordMode::All:
        break;
    }
  }
  grid.SetCell(0, 1, RowLabel(1));
  SetActive(grid, active);
}

void SetupValueGrid(GridModel& grid, bool active, RecordMode mode) {
  SetTextColourFor(grid, active);
  if (mode == RecordMode::Code)
    SetTitles(grid, QStringLiteral(" 　始めコード値"), QStringLiteral(" 　終りコード値"));
  else if (mode == RecordMode::Value)
    SetTitles(grid, QStringLiteral("　　始めセル値"), QStringLiteral("　　終りセル値"));
  grid.SetCell(0, 1, RowLabel(1));
  SetActive(grid, active);
}

void WriteKeyGridStartTitles(GridModel& grid) {
  SetTitles(grid, QStringLiteral("　左番号"), QStringLiteral("　右番号"));
}

EnterOutcome RidGridEnter(GridModel& grid) {
  switch (grid.Column()) {
    case 1:
      if (auto refused = CheckNumberColumn(grid, Check::Required)) return *refused;
      return MoveToColumn(grid, 2);
    case 2:
      if (auto refused = CheckNumberColumn(grid, Check::OptionalNumberOrStar)) return *refused;
      return MoveToNextRow(grid, 1);
  }
  return {};
}

EnterOutcome CellGridEnter(GridModel& grid) {
  switch (grid.Column()) {
    case 1:
      if (auto refused = CheckNumberColumn(grid, Check::Required)) return *refused;
      return MoveToColumn(grid, 2);
    case 2:
      if (auto refused = CheckNumberColumn(grid, Check::OptionalNumberOrStar)) return *refused;
      return MoveToColumn(grid, 3);
    case 3:
      if (auto refused = CheckNumberColumn(grid, Check::OptionalNumber)) return *refused;
      return MoveToColumn(grid, 4);
    case 4:
      if (auto refused = CheckNumberColumn(grid, Check::OptionalNumber)) return *refused;
      return MoveToNextRow(grid, 1);
  }
  return {};
}

EnterOutcome SpecialGridEnter(GridModel& grid) {
  if (grid.Column() < 1) return {};
  return MoveToNextRow(grid, grid.Column());
}

EnterOutcome KeyGridEnter(GridModel& grid, RecordMode mode) {
  switch (grid.Column()) {
    case 1:
      if (auto refused = CheckNumberColumn(grid, Check::Required)) return *refused;
      if (mode == RecordMode::Value) return {EnterOutcome::Kind::FocusValueGrid, {}};
      return MoveToColumn(grid, 2);
    case 2: {
      const Check check = mode == RecordMode::Value ? Check::OptionalNumber : Check::OptionalNumberOrStar;
      if (auto refused = CheckNumberColumn(grid, check)) return *refused;
      return MoveToNextRow(grid, 1);
    }
  }
  return {};
}

std::optional<EnterOutcome> LeaveCheck(const GridModel& grid, ConditionGrid which, RecordMode mode) {
  if (NumberCopy(grid).empty()) return std::nullopt;
  const int column = grid.Column();
  switch (which) {
    case ConditionGrid::Rid:
    case ConditionGrid::Cell:
      if (column == 1) return CheckNumberColumn(grid, Check::Required);
      if (column == 2) return CheckNumberColumn(grid, Check::OptionalNumberOrStar);
      return CheckNumberColumn(grid, Check::OptionalNumber);
    case ConditionGrid::Key:
      if (column == 1) return CheckNumberColumn(grid, Check::Required);
      return CheckNumberColumn(
          grid, mode == RecordMode::Value ? Check::OptionalNumber : Check::OptionalNumberOrStar);
    case ConditionGrid::Special:
    case ConditionGrid::Value:
      break;
  }
  return std::nullopt;
}

EnterOutcome ValueGridEnter(GridModel& grid) {
  switch (grid.Column()) {
    case 1:
      if (grid.Cell(1, grid.Row()).isEmpty())
        return {EnterOutcome::Kind::Refused, Ui(window_messages::kCellEmpty)};
      return MoveToColumn(grid, 2);
    case 2:
      return MoveToNextRow(grid, 1);
  }
  return {};
}

}  // namespace sifta
