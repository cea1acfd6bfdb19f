// The checked, expanded form of the conditions that one run applies to every
// record. Only BuildExtractionPlan makes one; the record loop never checks it
// again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "inspect/FileLayout.h"
#include "run/ExtractionConditions.h"
#include "run/FileOutput.h"

namespace sifta {

// Stands for the last record in record counts.
inline constexpr int OpenEndCount = 999999999;

struct NumberRange {
  int first = 0;
  int last = 0;
  bool operator==(const NumberRange&) const = default;
};

// BODY cells first..last (absolute item numbers). With repetition
// (interval > 0) the blocks first+k*interval .. last+k*interval for k = 0, 1,
// ... while first+k*interval <= lastFirst; without it nextFirst, lastFirst and
// interval are 0.
struct CellRule {
  int first = 0;
  int last = 0;
  int nextFirst = 0;
  int lastFirst = 0;
  int interval = 0;
  bool operator==(const CellRule&) const = default;
};

// Calls `block(first, last)` for every item block of `rule` in ascending
// order: first..last, then one interval further each time while the block's
// first item stays within lastFirst. A rule without a positive interval has
// one block.
template <typename Block>
void ForEachBlock(const CellRule& rule, Block block) {
  int f = rule.first;
  int l = rule.last;
  for (;;) {
    block(f, l);
    if (rule.interval <= 0) return;
    f += rule.interval;
    l += rule.interval;
    if (f > rule.lastFirst) return;
  }
}

struct SpecialString {
  int length = 0;
  std::string text;  // holds no double quote
  bool operator==(const SpecialString&) const = default;
};

// Items firstItem..lastItem form (part of) the key. In Code mode startPos,
// endPos and length are the byte span of those items in the layout's first
// record (1-based); in Value mode they are 0.
struct KeyRange {
  int firstItem = 0;
  int lastItem = 0;
  int startPos = 0;
  int endPos = 0;
  int length = 0;
  bool operator==(const KeyRange&) const = default;
};

// low <= high byte-wise, both of the same length, no double quotes.
struct CodeRange {
  std::string low;
  std::string high;
  bool operator==(const CodeRange&) const = default;
};

// Invariants, established by BuildExtractionPlan and relied on by the record
// loop without further checks:
//  - the layout was usable: itemCount >= 1 and 0 <= ridItemCount <= itemCount
//    (a line 1 whose double quote never closes is refused);
//  - every item number and record number is >= 1 and fits 32 bits;
//  - ridRanges lie within 1..ridItemCount, each with first <= last; there are
//    none unless the heading is Standard (ridChoice is then nothing);
//  - cellRules lie within ridItemCount+1..itemCount, each with first <= last.
//    Without repetition nextFirst, lastFirst and interval are 0. A repeated
//    rule has interval = nextFirst - first > last - first (its blocks never
//    overlap), lastFirst = first + k*interval for some k >= 1 and
//    lastFirst + (last - first) <= itemCount. The step past the last block,
//    lastFirst + interval, may exceed 32 bits: count the blocks
//    ((lastFirst - first) / interval + 1) or step in 64 bits;
//  - ridRanges and cellRules are not both empty;
//  - countRanges (modes All and Count only) ascend without touching, each
//    first <= last; All is the single range 1..OpenEndCount;
//  - keyRanges and codeRanges (modes Code and Value only) are not empty. Each
//    key range has firstItem <= lastItem (not bounded by itemCount); in Code
//    mode startPos >= 1, length = endPos - startPos + 1 >= 0 and endPos is at
//    most the length of the layout's firstRecord; in Value mode the three are
//    0. Every code range has low <= high, both of keyLength bytes, and with
//    GroupedInOrder the ranges ascend strictly (previous high < next low);
//  - specialStrings is not empty exactly when zeroSpecial; each is non-empty
//    and holds no double quote; specialMinLength <= each length <=
//    specialMaxLength (99 and 0 when there are none);
//  - zeroNonNumeric and zeroSpecial are false when cellChoice is NoItems.
// A count range whose last is OpenEndCount reaches to the end of the file.
struct ExtractionPlan {
  std::string sourceName;  // trimmed; UTF-8 path, may hold '@'
  bool sourceIsSeries = false;
  std::string extractName;
  bool extractIsSeries = false;

  std::optional<ColumnChoice> ridChoice;
  std::vector<NumberRange> ridRanges;
  std::optional<ColumnChoice> cellChoice;
  std::vector<CellRule> cellRules;

  bool zeroNonNumeric = false;
  bool zeroSpecial = false;
  std::vector<SpecialString> specialStrings;
  int specialMinLength = 99;
  int specialMaxLength = 0;

  RecordMode recordMode = RecordMode::All;
  std::vector<NumberRange> countRanges;
  std::vector<KeyRange> keyRanges;
  int keyLength = 0;
  std::vector<CodeRange> codeRanges;
  CodeGrouping grouping = CodeGrouping::Unknown;
  bool extractAllExcept = false;

  // The extract's form (FileOutput), as the conditions ask.
  OutputEncoding outputEncoding = OutputEncoding::Cp932;
  bool sourceColumn = false;
  // Each extract written as parts NAME_001.csv, NAME_002.csv, ... of at most
  // kExcelRows lines, each with the heading.
  bool splitForExcel = false;
};

// Which record numbers the count ranges of a plan keep. The ranges ascend;
// the cursor stays at the range of the number asked last, so numbers asked
// in rising order (a pass over a file, or one chunk after another) cost a
// step per record however many ranges there are.
class CountRangeCursor {
 public:
  explicit CountRangeCursor(std::vector<NumberRange> ranges) : ranges_(std::move(ranges)) {}

  // Whether record `n` (1 for the first record) lies in a range.
  bool Keeps(std::int64_t n) {
    while (current_ > 0 && Last(ranges_[current_ - 1]) >= n) --current_;
    while (current_ < ranges_.size() && Last(ranges_[current_]) < n) ++current_;
    return current_ < ranges_.size() && ranges_[current_].first <= n;
  }
  // Whether no record after `n` can be kept.
  bool PassedLast(std::int64_t n) const { return ranges_.empty() || Last(ranges_.back()) < n; }

 private:
  static std::int64_t Last(const NumberRange& range) {
    return range.last == OpenEndCount ? std::numeric_limits<std::int64_t>::max() : range.last;
  }
  std::vector<NumberRange> ranges_;
  std::size_t current_ = 0;  // the first range not yet behind the numbers asked
};

enum class FocusTarget {
  SourceButton,   // Button1 "元ﾌｧｲﾙの選択"
  ExtractButton,  // Button2 "抽出ﾌｧｲﾙの選択"
  Unchanged,
};

// The first fault found: shown with one beep, then the focus moves.
struct PlanError {
  std::string message;  // code page 932, the full text shown
  FocusTarget focus = FocusTarget::Unchanged;
};

// A text that should be a number is not one: "'%s' は整数ではありません",
// shown without a beep and without moving the focus.
struct ConversionError {
  std::string message;
};

using PlanResult = std::variant<ExtractionPlan, PlanError, ConversionError>;

// Checks the conditions against the layout in the fixed order and expands them.
// Of the layout it reads headingKind, ridItemCount, itemCount and firstRecord.
PlanResult BuildExtractionPlan(const ExtractionConditions& conditions, const FileLayout& layout);

}  // namespace sifta
