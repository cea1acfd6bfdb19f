// The conditions of one run as the main window holds them: file names as
// typed, the choices of the three condition tabs and every grid row. Read
// once when the run button is pressed; BuildExtractionPlan checks them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run/FileOutput.h"
#include "run/PlanMessages.h"
#include "scan/Scanning.h"

namespace sifta {

enum class ColumnChoice { AllItems, ListedItems, NoItems };

enum class RecordMode { All, Count, Code, Value };

enum class CodeGrouping {
  Unknown,         // any order: every record of every file is read
  GroupedInOrder,  // equal codes lie together, ascending: the loop may stop early
  Scattered,       // as Unknown
};

// Grid cells are code page 932 texts with the bytes 0..32 removed at both
// ends (GridCellText); a cell is empty when nothing remains. Rows are every
// data row of the grid, row 1 first, as many as the grid has. The file names
// are kept as typed (UTF-8 paths), untrimmed. A choice that no radio button
// holds is nothing.
//
// A typed text that has no code page 932 form cannot be a condition: the
// window names the first such cell it read in `unreadableCell` (that cell
// then reads as empty), and the plan refuses it after the file names.
struct UnreadableCell {
  PlanTab tab = PlanTab::Rid;
  int row = 0;
  friend bool operator==(const UnreadableCell&, const UnreadableCell&) = default;
};

struct ExtractionConditions {
  std::string sourceNameText;   // Edit1
  std::string extractNameText;  // Edit2

  std::optional<ColumnChoice> ridChoice;            // RadioButton1 / 2 / 11
  std::vector<std::array<std::string, 2>> ridRows;  // StringGrid1: first, last

  std::optional<ColumnChoice> cellChoice;            // RadioButton3 / 4 / 12
  std::vector<std::array<std::string, 4>> cellRows;  // StringGrid2: first, last, next first, last first

  bool zeroNonNumeric = false;           // CheckBox1
  bool zeroSpecial = false;              // CheckBox2
  std::vector<std::string> specialRows;  // StringGrid3, column 1

  std::optional<RecordMode> recordMode;              // RadioButton5 / 6 / 7 / 13
  std::vector<std::array<std::string, 2>> keyRows;   // StringGrid4
  std::vector<std::array<std::string, 2>> codeRows;  // StringGrid5
  CodeGrouping grouping = CodeGrouping::Unknown;     // RadioButton8 / 9 / 10; none = Unknown
  bool extractAllExcept = false;                     // CheckBox3

  // Beside the extract name: the extract's encoding (ComboBox1), the source
  // column (CheckBox4), parts of Excel's rows (CheckBox5).
  OutputEncoding outputEncoding = OutputEncoding::Cp932;
  bool sourceColumn = false;
  bool splitForExcel = false;

  std::optional<UnreadableCell> unreadableCell;

  friend bool operator==(const ExtractionConditions&, const ExtractionConditions&) = default;
};

// A grid cell as the conditions hold it.
inline std::string GridCellText(std::string_view typed) { return TrimBlanks("B", typed); }

}  // namespace sifta
