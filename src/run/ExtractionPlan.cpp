// BuildExtractionPlan: the checks of the run button, in their fixed order.
//
// Every number is worked with in 64 bits: a cell may hold any 32-bit value,
// and adding the RID item count to it, or stepping a repetition to its end,
// must not wrap around into a number that then passes a check. A result is
// narrowed to 32 bits only after the checks have bounded it by the item count.
#include "run/ExtractionPlan.h"

#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

#include "run/PlanMessages.h"
#include "scan/NumberText.h"
#include "scan/Scanning.h"

namespace sifta {
namespace {

using Wide = std::int64_t;
constexpr Wide kIntMax = std::numeric_limits<int>::max();

// The cell text that stands for "up to the end" in a last-number column.
constexpr std::string_view kStar = "*";

// A cell holding a number of its own (not empty, not the star).
bool HoldsNumber(const std::string& cell) { return !cell.empty() && cell != kStar; }

// Byte-wise comparison: std::char_traits<char> compares as unsigned char, and
// a proper prefix is the smaller.
bool ByteLess(std::string_view a, std::string_view b) { return a < b; }

// The text with every double quote deleted (quotes in the grids only protect
// blanks from the trimming).
std::string WithoutQuotes(std::string text) {
  DeleteUnquoted(text, "\"", "");
  return text;
}

using Failure = std::variant<PlanError, ConversionError>;

class PlanBuilder {
 public:
  PlanBuilder(const ExtractionConditions& conditions, const FileLayout& layout)
      : in_(conditions), layout_(layout) {}

  PlanResult Build() {
    // In Value mode the grouping box is off: a grouping chosen earlier in
    // Code mode cannot be seen there, so it must not stop the loop early or
    // order the value rows. This is the one place that decides it.
    grouping_ = in_.recordMode == RecordMode::Value ? CodeGrouping::Unknown : in_.grouping;
    if (!TakeFileNames() || !CheckLayout() || !CheckCellTexts() || !TakeRidTab() || !TakeCellTab() ||
        !TakeZeroing() || !CheckSomethingWritten() || !TakeRecordTab())
      return std::visit([](auto& failure) -> PlanResult { return std::move(failure); }, failure_);
    plan_.grouping = grouping_;
    plan_.extractAllExcept = in_.extractAllExcept;
    plan_.outputEncoding = in_.outputEncoding;
    plan_.sourceColumn = in_.sourceColumn;
    plan_.splitForExcel = in_.splitForExcel;
    return std::move(plan_);
  }

 private:
  // Each step returns false when it has set failure_.

  bool TakeFileNames() {
    if (in_.sourceNameText.empty()) return Refuse(PlanText::SourceNameMissing, FocusTarget::SourceButton);
    plan_.sourceName = TrimBlanks("B", in_.sourceNameText);
    plan_.sourceIsSeries = plan_.sourceName.find('@') != std::string::npos;
    if (in_.extractNameText.empty()) return Refuse(PlanText::ExtractNameMissing, FocusTarget::ExtractButton);
    plan_.extractName = TrimBlanks("B", in_.extractNameText);
    plan_.extractIsSeries = plan_.extractName.find('@') != std::string::npos;
    if (plan_.extractIsSeries && !plan_.sourceIsSeries)
      return Refuse(PlanText::ExtractSeriesWithoutSource, FocusTarget::ExtractButton);
    return true;
  }

  // A text the window could not turn into code page 932 is no condition at
  // all; it is named before anything is read from the tabs.
  bool CheckCellTexts() {
    if (!in_.unreadableCell) return true;
    return RefuseRow(in_.unreadableCell->tab, in_.unreadableCell->row, PlanText::NoCp932Form);
  }

  // A double quote that never closes on line 1 leaves no item count (0) and,
  // after the cell marker, a negative cell count: nothing can be cut by it.
  bool CheckLayout() {
    if (layout_.itemCount < 1 || layout_.ridItemCount < 0 || layout_.bodyCellCount < 0 ||
        layout_.ridItemCount > layout_.itemCount)
      return Refuse(PlanText::LayoutUnclosedQuote, FocusTarget::SourceButton);
    return true;
  }

  bool TakeRidTab() {
    if (layout_.headingKind != HeadingKind::Standard) return true;  // the tab is hidden
    plan_.ridChoice = in_.ridChoice;
    if (!in_.ridChoice) return Refuse(PlanText::RidChoiceMissing);
    const Wide rid = layout_.ridItemCount;
    if (*in_.ridChoice == ColumnChoice::NoItems) return true;
    if (*in_.ridChoice == ColumnChoice::AllItems) {
      if (rid >= 1) plan_.ridRanges.push_back({1, static_cast<int>(rid)});
      return true;
    }
    int row = 0;
    for (const auto& cells : in_.ridRows) {
      ++row;
      if (cells[0].empty() && cells[1].empty()) continue;
      Wide first = 0;
      Wide last = 0;
      if (!TakeRange(cells, 0, rid, PlanTab::Rid, row, first, last)) return false;
      if (first > rid || last > rid) return RefuseRow(PlanTab::Rid, row, PlanText::RidNumberTooLarge);
      if (last < first) return RefuseRow(PlanTab::Rid, row, PlanText::RidReversed);
      plan_.ridRanges.push_back({static_cast<int>(first), static_cast<int>(last)});
    }
    if (plan_.ridRanges.empty()) return RefuseRow(PlanTab::Rid, 0, PlanText::RidNoRows);
    return true;
  }

  bool TakeCellTab() {
    plan_.cellChoice = in_.cellChoice;
    if (!in_.cellChoice) return Refuse(PlanText::CellChoiceMissing);
    const Wide rid = layout_.ridItemCount;
    const Wide items = layout_.itemCount;
    if (*in_.cellChoice == ColumnChoice::NoItems) return true;
    if (*in_.cellChoice == ColumnChoice::AllItems) {
      if (items > rid)
        plan_.cellRules.push_back({static_cast<int>(rid + 1), static_cast<int>(items), 0, 0, 0});
      return true;
    }
    int row = 0;
    for (const auto& cells : in_.cellRows) {
      ++row;
      if (cells[0].empty() && cells[1].empty() && cells[2].empty() && cells[3].empty()) continue;
      // The numbers as typed (cell numbers), then as absolute item numbers.
      Wide typed[4] = {0, 0, 0, 0};
      if (!Number(cells[0], typed[0])) return false;
      if (HoldsNumber(cells[1]) && !Number(cells[1], typed[1])) return false;
      if (!cells[2].empty() && !Number(cells[2], typed[2])) return false;
      if (!cells[3].empty() && !Number(cells[3], typed[3])) return false;
      if (typed[0] < 1 || (HoldsNumber(cells[1]) && typed[1] < 1) || (!cells[2].empty() && typed[2] < 1) ||
          (!cells[3].empty() && typed[3] < 1))
        return RefuseRow(PlanTab::Cell, row, PlanText::NumberBelowOne);
      const Wide first = typed[0] + rid;
      const Wide last = cells[1].empty() ? first : cells[1] == kStar ? items : typed[1] + rid;
      const Wide nextFirst = cells[2].empty() ? 0 : typed[2] + rid;
      const Wide lastFirst = cells[3].empty() ? 0 : typed[3] + rid;

      if (first > items || last > items || nextFirst > items || lastFirst > items)
        return RefuseRow(PlanTab::Cell, row, PlanText::CellNumberTooLarge);
      if (last < first) return RefuseRow(PlanTab::Cell, row, PlanText::CellReversed);
      if (nextFirst == 0) {
        if (lastFirst > 0) return RefuseRow(PlanTab::Cell, row, PlanText::NextFirstMissing);
      } else {
        if (lastFirst == 0) return RefuseRow(PlanTab::Cell, row, PlanText::LastFirstMissing);
        if (nextFirst <= last) return RefuseRow(PlanTab::Cell, row, PlanText::NextFirstNotBeyond);
        if (lastFirst < nextFirst) return RefuseRow(PlanTab::Cell, row, PlanText::LastFirstBeforeNextFirst);
      }
      const Wide interval = nextFirst != 0 ? nextFirst - first : 0;
      if (interval > 0) {
        // The walk nextFirst, nextFirst + interval, ... meets lastFirst exactly
        // when the distance is a whole number of steps.
        if ((lastFirst - nextFirst) % interval != 0)
          return RefuseRow(PlanTab::Cell, row, PlanText::StepsMissLastFirst);
        if (lastFirst + (last - first) > items)
          return RefuseRow(PlanTab::Cell, row, PlanText::BeyondLastCell);
      }
      plan_.cellRules.push_back({static_cast<int>(first), static_cast<int>(last), static_cast<int>(nextFirst),
                                 static_cast<int>(lastFirst), static_cast<int>(interval)});
    }
    if (plan_.cellRules.empty()) return RefuseRow(PlanTab::Cell, 0, PlanText::CellNoRows);
    return true;
  }

  bool TakeZeroing() {
    if (*in_.cellChoice == ColumnChoice::NoItems) return true;  // the check boxes are ignored
    plan_.zeroNonNumeric = in_.zeroNonNumeric;
    plan_.zeroSpecial = in_.zeroSpecial;
    if (!plan_.zeroSpecial) return true;
    for (const std::string& cell : in_.specialRows) {
      std::string text = WithoutQuotes(cell);
      if (text.empty()) continue;
      const int length = static_cast<int>(text.size());
      if (length < plan_.specialMinLength) plan_.specialMinLength = length;
      if (length > plan_.specialMaxLength) plan_.specialMaxLength = length;
      plan_.specialStrings.push_back({length, std::move(text)});
    }
    if (plan_.specialStrings.empty()) return Refuse(PlanText::SpecialStringsMissing);
    return true;
  }

  bool CheckSomethingWritten() {
    if (plan_.ridRanges.empty() && plan_.cellRules.empty()) return Refuse(PlanText::NothingToExtract);
    return true;
  }

  bool TakeRecordTab() {
    if (!in_.recordMode) return Refuse(PlanText::RecordModeMissing);
    plan_.recordMode = *in_.recordMode;
    switch (plan_.recordMode) {
      case RecordMode::All:
        plan_.countRanges.push_back({1, OpenEndCount});
        return true;
      case RecordMode::Count:
        return TakeCountRows();
      case RecordMode::Code:
      case RecordMode::Value:
        return TakeKeyRows() && TakeCodeRows();
    }
    return true;
  }

  bool TakeCountRows() {
    int row = 0;
    for (const auto& cells : in_.keyRows) {
      ++row;
      if (cells[0].empty() && cells[1].empty()) continue;
      Wide first = 0;
      Wide last = 0;
      if (!TakeRange(cells, 0, OpenEndCount, PlanTab::Record, row, first, last)) return false;
      if (first > last) return RefuseRow(PlanTab::Record, row, PlanText::CountReversed);
      if (!plan_.countRanges.empty() && plan_.countRanges.back().last >= first)
        return RefuseRow(PlanTab::Record, row, PlanText::CountNotAscending);
      plan_.countRanges.push_back({static_cast<int>(first), static_cast<int>(last)});
    }
    if (plan_.countRanges.empty()) return RefuseRow(PlanTab::Record, 0, PlanText::CountNoRows);
    return true;
  }

  // Code mode numbers RID items absolutely and learns where the key lies in
  // the layout's first record; Value mode numbers BODY cells and locates the
  // key anew in every record.
  bool TakeKeyRows() {
    const bool code = plan_.recordMode == RecordMode::Code;
    const Wide base = code ? 0 : layout_.ridItemCount;
    const Wide star = code ? layout_.ridItemCount : layout_.itemCount;
    int row = 0;
    for (const auto& cells : in_.keyRows) {
      ++row;
      if (cells[0].empty() && cells[1].empty()) continue;
      Wide firstItem = 0;
      Wide lastItem = 0;
      if (!TakeRange(cells, base, star, PlanTab::Record, row, firstItem, lastItem)) return false;
      // Key numbers are not held against the item count, but one that does not
      // even fit an item number names nothing.
      if (firstItem > kIntMax || lastItem > kIntMax)
        return RefuseRow(PlanTab::Record, row, PlanText::KeyCellTooLarge);
      if (lastItem < firstItem) return RefuseRow(PlanTab::Record, row, PlanText::KeyReversed);
      KeyRange key{static_cast<int>(firstItem), static_cast<int>(lastItem), 0, 0, 0};
      if (code) {
        const ItemSpan span = LocateItems(layout_.firstRecord, 1, key.firstItem, key.lastItem);
        key.startPos = span.start;
        key.endPos = span.end;
        key.length = span.length;
      }
      plan_.keyRanges.push_back(key);
    }
    if (plan_.keyRanges.empty()) return RefuseRow(PlanTab::Record, 0, PlanText::KeyNoRows);

    if (code) {
      // The key of the first record, formed as the record loop forms it.
      const std::string_view record = layout_.firstRecord;
      std::string key;
      for (const KeyRange& range : plan_.keyRanges)
        key.append(record.substr(static_cast<size_t>(range.startPos - 1), static_cast<size_t>(range.length)));
      DeleteUnquoted(key, "\"", "");
      DeleteUnquoted(key, ",", "");
      plan_.keyLength = static_cast<int>(key.size());
    }
    return true;
  }

  bool TakeCodeRows() {
    const bool grouped = grouping_ == CodeGrouping::GroupedInOrder;
    // In Value mode the first row fixes the length for all rows, an empty
    // value (keyLength 0) included.
    bool lengthFixed = plan_.recordMode == RecordMode::Code;
    int row = 0;
    for (const auto& cells : in_.codeRows) {
      ++row;
      if (cells[0].empty() && cells[1].empty()) continue;
      std::string low = WithoutQuotes(cells[0]);
      std::string high = cells[1].empty() ? low : WithoutQuotes(cells[1]);
      if (low.size() != high.size()) return RefuseRow(PlanTab::Record, row, PlanText::CodeLengthsDiffer);
      if (ByteLess(high, low)) return RefuseRow(PlanTab::Record, row, PlanText::CodeReversed);
      if (!lengthFixed) {
        plan_.keyLength = static_cast<int>(low.size());
        lengthFixed = true;
      }
      if (low.size() != static_cast<size_t>(plan_.keyLength))
        return RefuseRow(PlanTab::Record, row, PlanText::CodeLengthNotKeyLength);
      if (grouped && !plan_.codeRanges.empty() && !ByteLess(plan_.codeRanges.back().high, low))
        return RefuseRow(PlanTab::Record, row, PlanText::CodeNotAscending);
      plan_.codeRanges.push_back({std::move(low), std::move(high)});
    }
    if (plan_.codeRanges.empty()) return RefuseRow(PlanTab::Record, 0, PlanText::CodeNoRows);
    return true;
  }

  // The number a cell holds; a conversion failure otherwise.
  // The numbers of a first/last row: first = its number + base; last = first
  // when the last cell is empty, `star` when it is "*", else its number + base.
  // False, with the refusal made, for a text that is no number or a number
  // below 1.
  bool TakeRange(const std::array<std::string, 2>& cells, Wide base, Wide star, PlanTab tab, int row,
                 Wide& first, Wide& last) {
    Wide typedFirst = 0;
    Wide typedLast = 0;
    if (!Number(cells[0], typedFirst)) return false;
    if (HoldsNumber(cells[1]) && !Number(cells[1], typedLast)) return false;
    if (typedFirst < 1 || (HoldsNumber(cells[1]) && typedLast < 1))
      return RefuseRow(tab, row, PlanText::NumberBelowOne);
    first = typedFirst + base;
    last = cells[1].empty() ? first : cells[1] == kStar ? star : typedLast + base;
    return true;
  }

  bool Number(const std::string& cell, Wide& value) {
    const std::optional<std::int32_t> converted = ConvertInteger(cell);
    if (!converted) {
      failure_ = ConversionError{NotAnIntegerMessage(cell)};
      return false;
    }
    value = *converted;
    return true;
  }

  bool Refuse(PlanText text, FocusTarget focus = FocusTarget::Unchanged) {
    failure_ = PlanError{PlanMessage(text), focus};
    return false;
  }

  bool RefuseRow(PlanTab tab, int row, PlanText detail) {
    failure_ = PlanError{PlanRowMessage(tab, row, detail), FocusTarget::Unchanged};
    return false;
  }

  const ExtractionConditions& in_;
  const FileLayout& layout_;
  ExtractionPlan plan_;
  CodeGrouping grouping_ = CodeGrouping::Unknown;
  Failure failure_;
};

}  // namespace

PlanResult BuildExtractionPlan(const ExtractionConditions& conditions, const FileLayout& layout) {
  return PlanBuilder(conditions, layout).Build();
}

}  // namespace sifta
