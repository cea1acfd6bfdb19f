#include "run/RecordSelection.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "run/RecordCutter.h"

namespace sifta {

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
