#include "run/RecordSelection.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "run/RecordCutter.h"

namespace sifta {

namespace {

constexpr std::string_view kQuote = "\"";
constexpr std::string_view kComma = ",";

std::string_view Bytes(std::string_view line, int from, int to) {
  if (to < from) return {};
  return line.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
}

// The span's bytes and its comma, then one empty item for each item the line
// does not hold.
void AppendSpan(std::string_view line, const ItemSpan& span, std::string& out) {
  out.append(Bytes(line, span.start, span.end));
  out.append(static_cast<size_t>(span.missingItems) + 1, ',');
}

// Calls `write` with (first, last) of every item block of the rule, in
// ascending order. A rule without a positive interval writes one block.
template <typename Write>
void ForEachBlock(const CellRule& rule, Write write) {
  int f = rule.first;
  int l = rule.last;
  for (;;) {
    write(f, l);
    if (rule.interval <= 0) return;
    f += rule.interval;
    l += rule.interval;
    if (f > rule.lastFirst) return;
  }
}

}  // namespace

// ---- The reference forms ----

void ZeroQuotedItems(std::string_view line, const ItemSpan& span, std::string& out) {
  const int e = span.end;
  int p = span.start;
  while (p <= e) {  // an empty span (its end may be 0) holds no quote
    const int q = FindUnquoted(line, p, e, kQuote, "");
    if (q == 0) break;
    const int c = FindUnquoted(line, q, e, kComma, kQuote);
    if (c < 0) {
      // The quote at q never closes: the rest of the span stands as it is.
      break;
    }
    out.append(Bytes(line, p, q - 1));
    out.append("0,");
    if (c == 0) {  // the quoted item was the last of the span
      out.append(static_cast<size_t>(span.missingItems), ',');
      return;
    }
    p = c + 1;
  }
  out.append(Bytes(line, p, e));
  out.append(static_cast<size_t>(span.missingItems) + 1, ',');
}

void ZeroSpecialStrings(const ExtractionPlan& plan, std::string& out, int bodyStart) {
  int p = bodyStart;
  int c = 0;
  do {
    const int length = static_cast<int>(out.size());
    if (p > length + 1) return;
    c = p <= length ? FindUnquoted(out, p, length, kComma, "") : 0;
    const int fieldLength = c != 0 ? c - p : length - p + 1;
    bool replaced = false;
    if (fieldLength >= plan.specialMinLength && fieldLength <= plan.specialMaxLength) {
      const std::string_view field = Bytes(out, p, p + fieldLength - 1);
      for (const SpecialString& special : plan.specialStrings) {
        if (special.length == fieldLength && field == special.text) {
          out[static_cast<size_t>(p - 1)] = '0';
          out.erase(static_cast<size_t>(p), static_cast<size_t>(fieldLength - 1));
          p += 2;
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) p = c + 1;
  } while (c != 0);
}

std::string BuildOutputLine(const ExtractionPlan& plan, std::string_view line, bool zeroing) {
  std::string out;
  for (const NumberRange& range : plan.ridRanges)
    AppendSpan(line, LocateItems(line, 1, range.first, range.last), out);
  const int bodyStart = static_cast<int>(out.size()) + 1;
  const bool zeroQuoted = zeroing && plan.zeroNonNumeric;
  for (const CellRule& rule : plan.cellRules) {
    ForEachBlock(rule, [&](int f, int l) {
      const ItemSpan span = LocateItems(line, 1, f, l);
      if (zeroQuoted)
        ZeroQuotedItems(line, span, out);
      else
        AppendSpan(line, span, out);
    });
  }
  if (!out.empty()) out.pop_back();
  if (zeroing && plan.zeroSpecial) ZeroSpecialStrings(plan, out, bodyStart);
  return out;
}

std::string BuildRecordKey(const ExtractionPlan& plan, std::string_view line) {
  std::string key;
  const int lineLength = static_cast<int>(line.size());
  for (const KeyRange& range : plan.keyRanges) {
    if (plan.recordMode == RecordMode::Code) {
      const int from = range.startPos;
      const int to = std::min(range.startPos + range.length - 1, lineLength);
      if (from >= 1) key.append(Bytes(line, from, to));
    } else {
      const ItemSpan span = LocateItems(line, 1, range.firstItem, range.lastItem);
      key.append(Bytes(line, span.start, span.end));
    }
  }
  DeleteUnquoted(key, kQuote, "");
  DeleteUnquoted(key, kComma, "");
  return key;
}

bool KeyMatches(const ExtractionPlan& plan, std::string_view key) {
  if (plan.recordMode == RecordMode::Value && static_cast<int>(key.size()) != plan.keyLength) return false;
  for (const CodeRange& range : plan.codeRanges)
    if (std::string_view(range.low) <= key && key <= std::string_view(range.high)) return true;
  return false;
}

// ---- The record loop ----

namespace {

// The last record number that a count range can keep; a range open to the end
// keeps every record after its first, however many the file has.
std::int64_t CountRangeLast(const NumberRange& range) {
  return range.last == OpenEndCount ? std::numeric_limits<std::int64_t>::max() : range.last;
}

class RecordLoop {
 public:
  RecordLoop(const ExtractionPlan& plan, LineReader& source, LineWriter& extract, const bool& cancelRequest,
             ServiceHook& service)
      : plan_(plan),
        cutter_(plan),
        source_(source),
        extract_(extract),
        cancelRequest_(cancelRequest),
        service_(service) {}

  FileRunResult Run(HeadingKind headingKind, bool appending) {
    if (headingKind != HeadingKind::None) {
      const std::string_view heading = source_.ReadLine();
      if (Failed()) return Finish();
      if (!appending) {
        cutter_.Load(heading);
        extract_.Append(cutter_.OutputLineWithEnd(false));
        if (Failed()) return Finish();
      }
    }
    if (plan_.recordMode == RecordMode::All || plan_.recordMode == RecordMode::Count)
      CountLoop();
    else
      KeyLoop();
    return Finish();
  }

 private:
  // Reads the next record, counts it, tests the cancel request and services
  // the window. False when the loop must end instead of testing the record.
  bool NextRecord(std::string_view& line) {
    line = source_.ReadLine();
    if (source_.Error()) {  // the line may be cut short: it is no record
      Failed();
      return false;
    }
    ++result_.sourceRecords;
    if (cancelRequest_) return false;
    service_.ServicePendingEvents();
    return true;
  }

  // Writes the loaded record.
  void Write() {
    extract_.Append(cutter_.OutputLineWithEnd(true));
    ++result_.extractRecords;
  }

  void CountLoop() {
    const std::vector<NumberRange>& ranges = plan_.countRanges;
    if (ranges.empty()) return;
    const std::int64_t lastKept = CountRangeLast(ranges.back());
    size_t current = 0;  // the ranges ascend: the first one not yet behind us
    std::string_view line;
    while (!source_.AtEnd()) {
      if (!NextRecord(line)) return;
      const std::int64_t n = result_.sourceRecords;
      while (current < ranges.size() && CountRangeLast(ranges[current]) < n) ++current;
      if (current < ranges.size() && ranges[current].first <= n) {
        cutter_.Load(line);
        Write();
        if (Failed()) return;
      }
      if (lastKept < n) return;  // no later record can be kept
    }
    Failed();
  }

  void KeyLoop() {
    const bool stopsEarly = plan_.grouping == CodeGrouping::GroupedInOrder && !plan_.extractAllExcept;
    std::string_view line;
    while (!source_.AtEnd()) {
      if (!NextRecord(line)) return;
      cutter_.Load(line);
      const std::string_view key = cutter_.Key();
      const bool passedLastRange = stopsEarly && cutter_.BeyondLastRange(key);
      if (cutter_.KeyMatches(key) != plan_.extractAllExcept) {
        Write();
        if (Failed()) return;
      }
      if (passedLastRange) return;
    }
    Failed();
  }

  // Takes the first read or write error into the result; true when there is one.
  bool Failed() {
    if (result_.failure) return true;
    if (source_.Error())
      result_.failure = source_.Error();
    else if (extract_.Error())
      result_.failure = extract_.Error();
    return result_.failure.has_value();
  }

  FileRunResult Finish() {
    Failed();
    result_.cancelled = cancelRequest_;
    return result_;
  }

  const ExtractionPlan& plan_;
  RecordCutter cutter_;
  LineReader& source_;
  LineWriter& extract_;
  const bool& cancelRequest_;
  ServiceHook& service_;
  FileRunResult result_;
};

}  // namespace

FileRunResult ProcessSourceFile(const ExtractionPlan& plan, HeadingKind headingKind, LineReader& source,
                                LineWriter& extract, bool appending, const bool& cancelRequest,
                                ServiceHook& service) {
  return RecordLoop(plan, source, extract, cancelRequest, service).Run(headingKind, appending);
}

}  // namespace sifta
