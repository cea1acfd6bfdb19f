// ProcessSourceFile over random files and plans: the layout is learnt from
// the file's first lines, the plan built from random conditions, and the
// run, with small read blocks and write buffers, appending or not, with a
// cancel at some record, must write exactly what the written algorithm says:
// the projected heading, then the literal BuildOutputLine of each kept
// record, with counts to match, and must not crash or read outside a line.
// The record cutter of the loop is also held against the literal steps on
// every line, each line in a heap block of exactly its size.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <variant>
#include <vector>

#include "Conditions.h"
#include "FuzzSupport.h"
#include "inspect/FileLayout.h"
#include "run/RecordCutter.h"
#include "run/RecordSelection.h"
#include "support/Reference.h"
#include "support/ReferenceSteps.h"

using fuzz::Printable;
using sifta::HeadingKind;
using sifta::RecordMode;

namespace {

// Sets the cancel request when it is called for the `cancelAt`-th time.
class Hook : public sifta::ServiceHook {
 public:
  Hook(bool& cancel, int cancelAt) : cancel_(cancel), cancelAt_(cancelAt) {}
  bool ServicePendingEvents() override {
    if (++calls == cancelAt_) cancel_ = true;
    return cancel_;
  }
  int calls = 0;

 private:
  bool& cancel_;
  int cancelAt_;
};

// The layout as ReadFileLayout gives it (file_layout_fuzz holds the two
// together), without opening the file.
std::optional<sifta::FileLayout> LayoutOf(const std::vector<std::string>& lines, HeadingKind answer) {
  sifta::FileLayout layout;
  const std::string line1 = lines.empty() ? std::string() : lines[0];
  layout.itemCount = sifta::CountUnquoted(line1, 1, 0, ",", "\"") + 1;
  if (const auto standard = sifta::DetectStandardHeading(line1)) {
    layout.headingKind = HeadingKind::Standard;
    layout.ridItemCount = standard->ridItemCount;
  } else {
    layout.headingKind = answer;
  }
  layout.bodyCellCount = layout.itemCount - layout.ridItemCount;
  if (layout.headingKind == HeadingKind::None) {
    layout.firstRecord = line1;
  } else {
    if (lines.size() < 2) return std::nullopt;  // no data
    layout.headingText = line1;
    layout.firstRecord = lines[1];
  }
  return layout;
}

// BuildOutputLine once more, by its written steps on the models of
// support/Reference.h, to hold the engine's own reference form against: items the
// line does not hold are written empty, and a quote that never closes leaves
// the rest of its span as it stands.
void ModelSpan(std::string_view line, const ref::Span& span, std::string& out) {
  if (span.end >= span.start)
    out.append(line.substr(static_cast<size_t>(span.start - 1), static_cast<size_t>(span.length)));
  out.append(static_cast<size_t>(span.missing) + 1, ',');
}

void ModelZeroQuoted(std::string_view line, const ref::Span& span, std::string& out) {
  const int e = span.end;
  auto bytes = [&](int from, int to) {
    if (to >= from)
      out.append(line.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1)));
  };
  int p = span.start;
  for (;;) {
    const int q = p <= e ? ref::Find(line, p, e, "\"", "") : 0;
    if (q == 0) break;
    const int c = ref::Find(line, q, e, ",", "\"");
    if (c < 0) break;  // never closes: the rest as it stands
    bytes(p, q - 1);
    out += "0,";
    if (c == 0) {
      out.append(static_cast<size_t>(span.missing), ',');
      return;
    }
    p = c + 1;
  }
  bytes(p, e);
  out.append(static_cast<size_t>(span.missing) + 1, ',');
}

void ModelZeroSpecial(const sifta::ExtractionPlan& plan, std::string& out, int bodyStart) {
  int p = bodyStart;
  int c = 0;
  do {
    const int length = static_cast<int>(out.size());
    c = p <= length ? ref::Find(out, p, length, ",", "") : 0;
    const int field = c != 0 ? c - p : length - p + 1;
    bool replaced = false;
    if (field >= plan.specialMinLength && field <= plan.specialMaxLength) {
      for (const auto& special : plan.specialStrings) {
        if (special.length == field &&
            out.compare(static_cast<size_t>(p - 1), static_cast<size_t>(field), special.text) == 0) {
          out.replace(static_cast<size_t>(p - 1), static_cast<size_t>(field), "0");
          p += 2;
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) p = c + 1;
  } while (c != 0);
}

std::string ModelOutputLine(const sifta::ExtractionPlan& plan, std::string_view line, bool zeroing) {
  std::string out;
  for (const auto& range : plan.ridRanges) ModelSpan(line, ref::Locate(line, range.first, range.last), out);
  const int bodyStart = static_cast<int>(out.size()) + 1;
  for (const auto& rule : plan.cellRules) {
    int f = rule.first, l = rule.last;
    do {
      const ref::Span span = ref::Locate(line, f, l);
      if (zeroing && plan.zeroNonNumeric)
        ModelZeroQuoted(line, span, out);
      else
        ModelSpan(line, span, out);
      f += rule.interval;
      l += rule.interval;
    } while (rule.interval > 0 && f <= rule.lastFirst);
  }
  out.pop_back();
  if (zeroing && plan.zeroSpecial) ModelZeroSpecial(plan, out, bodyStart);
  return out;
}

struct Expected {
  std::string file;
  std::int64_t sourceRecords = 0;
  std::int64_t extractRecords = 0;
  bool cancelled = false;
  int serviceCalls = 0;
};

// The record loop by its written steps, on the literal cutting operations.
Expected Run(const sifta::ExtractionPlan& plan, HeadingKind kind, const std::vector<std::string>& lines,
             bool appending, int cancelAt) {
  Expected e;
  size_t next = 0;
  if (kind != HeadingKind::None) {
    const std::string heading = lines.empty() ? std::string() : lines[0];  // past the end: empty
    next = lines.empty() ? 0 : 1;
    if (!appending) e.file += sifta::BuildOutputLine(plan, heading, false) + "\r\n";
  }
  bool cancel = false;
  bool passed = false;
  while (next < lines.size() && !passed) {
    const std::string& line = lines[next++];
    const std::int64_t n = ++e.sourceRecords;
    if (cancel) break;
    if (++e.serviceCalls == cancelAt) cancel = true;
    bool write = false;
    if (plan.recordMode == RecordMode::All || plan.recordMode == RecordMode::Count) {
      if (plan.countRanges.back().last < n) passed = true;
      for (const auto& range : plan.countRanges)
        if (range.first <= n && n <= range.last) {
          write = true;
          break;
        }
    } else {
      const std::string key = sifta::BuildRecordKey(plan, line);
      if (plan.grouping == sifta::CodeGrouping::GroupedInOrder && !plan.extractAllExcept &&
          key > plan.codeRanges.back().high)
        passed = true;
      write = sifta::KeyMatches(plan, key) != plan.extractAllExcept;
    }
    if (write) {
      e.file += sifta::BuildOutputLine(plan, line, true) + "\r\n";
      ++e.extractRecords;
    }
  }
  e.cancelled = cancel;
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryFile source("process-source");
  static fuzz::MemoryFile extract("process-extract");
  static const std::string kPrior = "earlier,content\r\n";

  FuzzedDataProvider in(data, size);
  const HeadingKind answer = in.ConsumeBool() ? HeadingKind::User : HeadingKind::None;
  const bool appending = in.ConsumeIntegralInRange<int>(0, 3) == 0;
  const int cancelAt = in.ConsumeIntegralInRange<int>(0, 7) == 0 ? in.ConsumeIntegralInRange<int>(1, 6) : 0;
  const size_t block = in.ConsumeBool() ? sifta::LineReader::kDefaultBlockSize / 1024
                                        : in.ConsumeIntegralInRange<size_t>(1, 40);
  const size_t buffer = in.ConsumeIntegralInRange<size_t>(1, 64);
  // A third of the files get a standard heading of k RID items and m cells,
  // which random bytes hardly ever hold.
  std::string heading;
  if (in.ConsumeIntegralInRange<int>(0, 2) == 0) {
    const int k = in.ConsumeIntegralInRange<int>(0, 4), m = in.ConsumeIntegralInRange<int>(1, 6);
    for (int i = 1; i <= k; ++i) heading += (i > 1 ? ",R" : "R") + std::to_string(i);
    for (int i = 1; i <= m; ++i) heading += (i > 1 || k > 0 ? ",\xBE\xD9" : "X,\xBE\xD9") + std::to_string(i);
    heading += "\r\n";
  }
  const std::string bytes = heading + in.ConsumeRandomLengthString(1500);
  const std::vector<std::string> lines = ref::Lines(bytes);
  const std::optional<sifta::FileLayout> layout = LayoutOf(lines, answer);
  if (!layout) return 0;
  const sifta::ExtractionConditions conditions = fuzz::MakeConditions(in, *layout);
  const sifta::PlanResult built = sifta::BuildExtractionPlan(conditions, *layout);
  const auto* planPointer = std::get_if<sifta::ExtractionPlan>(&built);
  if (!planPointer) return 0;
  const sifta::ExtractionPlan& plan = *planPointer;
  fuzz::CheckPlan(plan, *layout);
  fuzz::Stats::Count("plan");
  const std::string what = "file \"" + Printable(bytes) + "\"\n" + fuzz::Text(*layout) + "\n" +
                           fuzz::Text(plan) + "\nappending " + std::to_string(appending) + " cancel at " +
                           std::to_string(cancelAt) + " block " + std::to_string(block);

  // The cutter of the loop against the literal steps, line by line.
  {
    sifta::RecordCutter cutter(plan);
    const bool keyed = plan.recordMode == RecordMode::Code || plan.recordMode == RecordMode::Value;
    for (const std::string& owned : lines) {
      const fuzz::ExactBytes exact(owned);
      const std::string_view line = exact.View();
      const std::string l = "line \"" + Printable(line) + "\" " + fuzz::Text(plan);
      cutter.Load(line);
      if (keyed) {
        const std::string key(cutter.Key());
        const std::string want = sifta::BuildRecordKey(plan, line);
        CHECK(key == want, l + ": key \"" + Printable(key) + "\" want \"" + Printable(want) + "\"");
        CHECK(cutter.KeyMatches(key) == sifta::KeyMatches(plan, key), l + ": key match");
        CHECK(cutter.BeyondLastRange(key) == (key > plan.codeRanges.back().high), l + ": beyond");
      }
      for (bool zeroing : {true, false}) {
        const std::string got(cutter.OutputLine(zeroing));
        const std::string want = sifta::BuildOutputLine(plan, line, zeroing);
        const std::string model = ModelOutputLine(plan, line, zeroing);
        CHECK(want == model, l + (zeroing ? " zeroing" : "") + ": BuildOutputLine \"" + Printable(want) +
                                 "\" but the written steps give \"" + Printable(model) + "\"");
        CHECK(got == want, l + (zeroing ? " zeroing" : "") + ": \"" + Printable(got) + "\" want \"" +
                               Printable(want) + "\"");
      }
    }
  }

  // The whole loop.
  source.Set(bytes);
  extract.Set(kPrior);
  const Expected want = Run(plan, layout->headingKind, lines, appending, cancelAt);
  bool cancel = false;
  Hook hook(cancel, cancelAt);
  const int freeBefore = fuzz::LowestFreeDescriptor();
  sifta::FileRunResult got;
  {
    sifta::LineReader reader(block);
    sifta::LineWriter writer(buffer);
    CHECK(!reader.Open(source.Path()), what);
    CHECK(!writer.Open(extract.Path(),
                       appending ? sifta::LineWriter::Mode::Append : sifta::LineWriter::Mode::Create),
          what);
    got = sifta::ProcessSourceFile(plan, layout->headingKind, reader, writer, appending, hook);
    CHECK(!writer.Close(), what);
  }
  CHECK(fuzz::LowestFreeDescriptor() == freeBefore, what + ": a descriptor was left open");
  CHECK(!got.Failure(), what + ": failure " + got.Failure()->message);
  const std::string file = extract.Get();
  const std::string wantFile = (appending ? kPrior : std::string()) + want.file;
  CHECK(file == wantFile,
        what + "\nwritten \"" + Printable(file) + "\"\nwant    \"" + Printable(wantFile) + "\"");
  CHECK(got.sourceRecords == want.sourceRecords && got.extractRecords == want.extractRecords &&
            got.Cancelled() == want.cancelled && hook.calls == want.serviceCalls,
        what + "\ncounts " + std::to_string(got.sourceRecords) + "/" + std::to_string(got.extractRecords) +
            " cancelled " + std::to_string(got.Cancelled()) + " serviced " + std::to_string(hook.calls) +
            " want " + std::to_string(want.sourceRecords) + "/" + std::to_string(want.extractRecords) +
            " cancelled " + std::to_string(want.cancelled) + " serviced " +
            std::to_string(want.serviceCalls));
  if (want.extractRecords > 0) fuzz::Stats::Count("records written");
  static const char* const kModes[] = {"mode All", "mode Count", "mode Code", "mode Value"};
  fuzz::Stats::Count(kModes[static_cast<int>(plan.recordMode)]);
  const size_t dataLines = lines.size() - (layout->headingKind == HeadingKind::None ? 0 : 1);
  if (!want.cancelled && static_cast<size_t>(want.sourceRecords) < dataLines)
    fuzz::Stats::Count("stopped early");
  if (want.cancelled) fuzz::Stats::Count("cancelled");
  if (plan.zeroSpecial || plan.zeroNonNumeric)
    for (const std::string& line : lines)
      if (sifta::BuildOutputLine(plan, line, true) != sifta::BuildOutputLine(plan, line, false)) {
        fuzz::Stats::Count(plan.zeroSpecial ? "zeroed (special strings on)" : "zeroed (quoted items)");
        break;
      }
  return 0;
}
