// Random conditions as a user could type them into the grids (numbers near
// the layout's counts most of the time, so that many plans pass the checks,
// but also zero, negative, hexadecimal, too large and non-numbers), and the
// invariants that every plan BuildExtractionPlan hands out must hold.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "FuzzSupport.h"
#include "run/ExtractionConditions.h"
#include "run/ExtractionPlan.h"
#include "run/RecordSelection.h"
#include "scan/Cp932.h"
#include "scan/NumberText.h"
#include "support/Reference.h"
#include "support/ReferenceSteps.h"

namespace fuzz {

// A text that a grid cell keeps as it is: no double quote character (the plan
// deletes those) and no blank byte at either end (the grid trims those).
inline bool NoQuoteOrBlankEnds(std::string_view text) {
  return ref::Find(text, 1, 0, "\"", "") == 0 && !text.empty() &&
         static_cast<unsigned char>(text.front()) > 0x20 && static_cast<unsigned char>(text.back()) > 0x20;
}

// A grid cell: a number near the layout's counts, a special text, or bytes.
inline std::string Cell(FuzzedDataProvider& in, int near) {
  static const char* const kTexts[] = {"",           "",          "*",        "0",    "-1",
                                       "$A",         "0x3",       "+2",       "abc",  "2147483647",
                                       "2147483648", "999999999", "\x82\x50", "\"\"", "1 2"};
  switch (in.ConsumeIntegralInRange<int>(0, 9)) {
    case 0:
    case 1:
      return kTexts[in.ConsumeIntegralInRange<size_t>(0, std::size(kTexts) - 1)];
    case 2:
      return sifta::GridCellText(in.ConsumeRandomLengthString(6));
    default:
      return std::to_string(in.ConsumeIntegralInRange<int>(1, near + 2));
  }
}

// A code or special string: digits mostly, quotes and blanks sometimes.
inline std::string Code(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange<int>(0, 3) == 0) return sifta::GridCellText(in.ConsumeRandomLengthString(5));
  std::string code;
  const int length = in.ConsumeIntegralInRange<int>(0, 4);
  for (int i = 0; i < length; ++i) code += static_cast<char>('0' + in.ConsumeIntegralInRange<int>(0, 9));
  return code;
}

template <size_t N>
std::vector<std::array<std::string, N>> Rows(FuzzedDataProvider& in, int near) {
  std::vector<std::array<std::string, N>> rows(in.ConsumeIntegralInRange<size_t>(0, 4));
  for (auto& row : rows)
    for (auto& cell : row) cell = in.ConsumeIntegralInRange<int>(0, 2) == 0 ? "" : Cell(in, near);
  return rows;
}

template <typename T>
std::optional<T> Choice(FuzzedDataProvider& in, std::initializer_list<T> values) {
  const size_t pick = in.ConsumeIntegralInRange<size_t>(0, values.size() * 4);
  if (pick >= values.size() * 4) return std::nullopt;
  return values.begin()[pick % values.size()];
}

// Codes of the first record's own key (as the plan will form it from the key
// rows), so that the code rows fit the key length and some records match.
inline void CodesFromFirstRecord(FuzzedDataProvider& in, const sifta::FileLayout& layout,
                                 sifta::ExtractionConditions& c) {
  const bool code = c.recordMode == sifta::RecordMode::Code;
  const long long base = code ? 0 : layout.ridItemCount;
  const long long star = code ? layout.ridItemCount : layout.itemCount;
  std::string key;
  for (const auto& row : c.keyRows) {
    if (row[0].empty() && row[1].empty()) continue;
    const auto first = sifta::ConvertInteger(row[0]);
    const auto last = row[1].empty() || row[1] == "*" ? first : sifta::ConvertInteger(row[1]);
    if (!first || !last || *first < 1 || *last < 1) return;
    const long long f = *first + base;
    const long long l = row[1].empty() ? f : row[1] == "*" ? star : *last + base;
    if (f < 1 || l < f || l > 1000) return;
    const ref::Span span = ref::Locate(layout.firstRecord, static_cast<int>(f), static_cast<int>(l));
    if (span.length > 0)
      key.append(layout.firstRecord, static_cast<size_t>(span.start - 1), static_cast<size_t>(span.length));
    if (!code) break;  // the first key row fixes the value's length
  }
  key = ref::Delete(ref::Delete(key, "\"", ""), ",", "");
  if (key.empty() || !NoQuoteOrBlankEnds(key)) return;
  c.codeRows.clear();
  const int rows = in.ConsumeIntegralInRange<int>(1, 3);
  for (int i = 0; i < rows; ++i) {
    std::string other = key;
    other[in.ConsumeIntegralInRange<size_t>(0, other.size() - 1)] =
        static_cast<char>(in.ConsumeIntegral<uint8_t>());
    if (!NoQuoteOrBlankEnds(other)) other = key;
    c.codeRows.push_back(other < key ? std::array<std::string, 2>{other, key}
                                     : std::array<std::string, 2>{key, other});
  }
}

inline sifta::ExtractionConditions MakeConditions(FuzzedDataProvider& in, const sifta::FileLayout& layout) {
  static const char* const kNames[] = {"in.csv", "in.csv", " in.csv ", "d@.csv", "", "  ", "out@.csv"};
  using sifta::ColumnChoice;
  using sifta::RecordMode;
  sifta::ExtractionConditions c;
  c.sourceNameText = kNames[in.ConsumeIntegralInRange<size_t>(0, 3)];
  c.extractNameText = in.ConsumeIntegralInRange<int>(0, 9) == 0
                          ? kNames[in.ConsumeIntegralInRange<size_t>(0, std::size(kNames) - 1)]
                          : "out.csv";
  const int items = std::max(layout.itemCount, 1);
  c.ridChoice = Choice(in, {ColumnChoice::AllItems, ColumnChoice::ListedItems, ColumnChoice::NoItems});
  c.ridRows = Rows<2>(in, std::max(layout.ridItemCount, 1));
  c.cellChoice = Choice(in, {ColumnChoice::AllItems, ColumnChoice::ListedItems, ColumnChoice::NoItems});
  c.cellRows = Rows<4>(in, std::max(layout.bodyCellCount, 1));
  c.zeroNonNumeric = in.ConsumeBool();
  c.zeroSpecial = in.ConsumeBool();
  c.specialRows.resize(in.ConsumeIntegralInRange<size_t>(0, 3));
  for (auto& s : c.specialRows) s = Code(in);
  c.recordMode = Choice(in, {RecordMode::All, RecordMode::Count, RecordMode::Code, RecordMode::Value});
  c.keyRows = Rows<2>(in, c.recordMode == RecordMode::Count ? 12 : items);
  c.codeRows.resize(in.ConsumeIntegralInRange<size_t>(0, 3));
  for (auto& row : c.codeRows) {
    row[0] = Code(in);
    row[1] = in.ConsumeBool() ? "" : Code(in);
  }
  if (c.recordMode == RecordMode::Code || c.recordMode == RecordMode::Value) {
    // Mostly one or two key rows as the window steers the user to.
    if (in.ConsumeBool()) {
      const int limit =
          std::max(c.recordMode == RecordMode::Code ? layout.ridItemCount : layout.bodyCellCount, 1);
      c.keyRows = {{std::to_string(in.ConsumeIntegralInRange<int>(1, limit)), ""}};
      if (c.recordMode == RecordMode::Code && in.ConsumeBool())
        c.keyRows.push_back(
            {std::to_string(in.ConsumeIntegralInRange<int>(1, limit)), in.ConsumeBool() ? "*" : ""});
    }
    if (in.ConsumeIntegralInRange<int>(0, 2) > 0) CodesFromFirstRecord(in, layout, c);
  }
  c.grouping = in.PickValueInArray(
      {sifta::CodeGrouping::Unknown, sifta::CodeGrouping::GroupedInOrder, sifta::CodeGrouping::Scattered});
  c.extractAllExcept = in.ConsumeIntegralInRange<int>(0, 3) == 0;
  return c;
}

// No double quote character (a byte 0x22 right after a lead byte is no
// character of its own).
inline bool NoQuote(std::string_view text) { return ref::Find(text, 1, 0, "\"", "") == 0; }

inline std::string Text(const sifta::ExtractionPlan& p) {
  std::string s = "plan rid";
  for (auto& r : p.ridRanges) s += " " + std::to_string(r.first) + ".." + std::to_string(r.last);
  s += " cells";
  for (auto& r : p.cellRules)
    s += " " + std::to_string(r.first) + ".." + std::to_string(r.last) + "/" + std::to_string(r.nextFirst) +
         "/" + std::to_string(r.lastFirst) + "/" + std::to_string(r.interval);
  s += " zero " + std::to_string(p.zeroNonNumeric) + std::to_string(p.zeroSpecial) + " special";
  for (auto& x : p.specialStrings) s += " \"" + Printable(x.text) + "\"";
  s += " " + std::to_string(p.specialMinLength) + ".." + std::to_string(p.specialMaxLength);
  s += " mode " + std::to_string(static_cast<int>(p.recordMode)) + " counts";
  for (auto& r : p.countRanges) s += " " + std::to_string(r.first) + ".." + std::to_string(r.last);
  s += " keys";
  for (auto& k : p.keyRanges)
    s += " " + std::to_string(k.firstItem) + ".." + std::to_string(k.lastItem) + "@" +
         std::to_string(k.startPos) + "-" + std::to_string(k.endPos) + "/" + std::to_string(k.length);
  s += " keyLength " + std::to_string(p.keyLength) + " codes";
  for (auto& r : p.codeRanges) s += " \"" + Printable(r.low) + "\"..\"" + Printable(r.high) + "\"";
  s += " grouping " + std::to_string(static_cast<int>(p.grouping)) + " except " +
       std::to_string(p.extractAllExcept);
  return s;
}

inline std::string Text(const sifta::FileLayout& l) {
  return "layout kind " + std::to_string(static_cast<int>(l.headingKind)) + " items " +
         std::to_string(l.itemCount) + " rid " + std::to_string(l.ridItemCount) + " body " +
         std::to_string(l.bodyCellCount) + " first \"" + Printable(l.firstRecord) + "\"";
}

// The invariants stated beside ExtractionPlan, and what follows from the
// checks for the rest of the plan.
inline void CheckPlan(const sifta::ExtractionPlan& p, const sifta::FileLayout& l) {
  using sifta::RecordMode;
  const std::string what = Text(l) + "\n" + Text(p);
  CHECK(l.itemCount >= 1 && l.ridItemCount >= 0 && l.ridItemCount <= l.itemCount,
        "a plan for an unusable layout: " + what);
  for (const auto& r : p.ridRanges)
    CHECK(r.first >= 1 && r.first <= r.last && r.last <= l.ridItemCount, "RID range: " + what);
  for (const auto& r : p.cellRules) {
    CHECK(r.first > l.ridItemCount && r.first <= r.last && r.last <= l.itemCount, "cell rule: " + what);
    if (r.interval == 0) {
      CHECK(r.nextFirst == 0 && r.lastFirst == 0, "cell rule without repetition: " + what);
    } else {
      CHECK(r.interval > 0 && r.nextFirst == r.first + r.interval && r.lastFirst >= r.nextFirst &&
                (r.lastFirst - r.first) % r.interval == 0 && r.lastFirst + (r.last - r.first) <= l.itemCount,
            "repeated cell rule: " + what);
    }
  }
  CHECK(!p.ridRanges.empty() || !p.cellRules.empty(), "nothing to write: " + what);
  if (l.headingKind != sifta::HeadingKind::Standard)
    CHECK(p.ridRanges.empty(), "RID items without a standard heading: " + what);

  if (p.recordMode == RecordMode::All) {
    CHECK(p.countRanges.size() == 1 && p.countRanges[0].first == 1 &&
              p.countRanges[0].last == sifta::OpenEndCount,
          "All: " + what);
  }
  if (p.recordMode == RecordMode::Count) {
    CHECK(!p.countRanges.empty(), "Count without ranges: " + what);
    for (size_t i = 0; i < p.countRanges.size(); ++i) {
      const auto& r = p.countRanges[i];
      CHECK(r.first >= 1 && r.first <= r.last, "count range: " + what);
      if (i > 0) CHECK(p.countRanges[i - 1].last < r.first, "count ranges touch: " + what);
    }
  }
  if (p.recordMode == RecordMode::Code || p.recordMode == RecordMode::Value) {
    CHECK(!p.keyRanges.empty() && !p.codeRanges.empty(), "key mode without keys or codes: " + what);
    for (const auto& k : p.keyRanges) {
      CHECK(k.firstItem >= 1 && k.firstItem <= k.lastItem, "key range: " + what);
      if (p.recordMode == RecordMode::Code) {
        const sifta::ItemSpan span = sifta::LocateItems(l.firstRecord, 1, k.firstItem, k.lastItem);
        CHECK(k.startPos == span.start && k.endPos == span.end && k.length == span.length,
              "key span: " + what);
        CHECK(k.startPos >= 1 && k.startPos <= static_cast<int>(l.firstRecord.size()) + 1 &&
                  k.endPos <= static_cast<int>(l.firstRecord.size()) && k.length >= 0,
              "key span outside the first record: " + what);
      } else {
        CHECK(k.firstItem > l.ridItemCount && k.startPos == 0 && k.endPos == 0 && k.length == 0,
              "value key: " + what);
      }
    }
    if (p.recordMode == RecordMode::Code) {
      const std::string key = sifta::BuildRecordKey(p, l.firstRecord);
      CHECK(static_cast<int>(key.size()) == p.keyLength,
            "the first record's key \"" + Printable(key) + "\" is not keyLength long: " + what);
    }
    for (size_t i = 0; i < p.codeRanges.size(); ++i) {
      const auto& r = p.codeRanges[i];
      CHECK(static_cast<int>(r.low.size()) == p.keyLength && r.high.size() == r.low.size() &&
                r.low <= r.high && NoQuote(r.low) && NoQuote(r.high),
            "code range: " + what);
      if (i > 0 && p.grouping == sifta::CodeGrouping::GroupedInOrder)
        CHECK(p.codeRanges[i - 1].high < r.low, "grouped code ranges do not ascend: " + what);
    }
  }
  if (p.zeroSpecial) CHECK(!p.specialStrings.empty(), "zeroSpecial without strings: " + what);
  int lo = 99, hi = 0;
  for (const auto& s : p.specialStrings) {
    CHECK(s.length == static_cast<int>(s.text.size()) && s.length > 0 && NoQuote(s.text),
          "special string: " + what);
    lo = std::min(lo, s.length);
    hi = std::max(hi, s.length);
  }
  CHECK(p.specialMinLength == lo && p.specialMaxLength == hi, "special lengths: " + what);
  if (p.cellChoice == sifta::ColumnChoice::NoItems)
    CHECK(!p.zeroNonNumeric && !p.zeroSpecial, "zeroing without cells: " + what);
}

}  // namespace fuzz
