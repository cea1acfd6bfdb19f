// The record loop's fast path (RecordCutter over ItemBoundaries) against the
// reference steps built literally on the scanning operations, on generated
// lines and plans: every output line, key and decision must be the same,
// byte for byte. Then whole files through ProcessSourceFile against a loop
// written from the reference steps alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "inspect/SequentialLines.h"
#include "platform/CodePage932.h"
#include "run/ChunkPipeline.h"
#include "run/RecordCutter.h"
#include "run/RecordSelection.h"
#include "scan/TempFolder.h"
#include "support/Printing.h"
#include "support/ReferenceSteps.h"

namespace sifta {
namespace {

using Random = std::mt19937;

int Uniform(Random& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}
bool Chance(Random& random, int percent) { return Uniform(random, 1, 100) <= percent; }

template <typename T>
const T& Pick(Random& random, const std::vector<T>& from) {
  return from[static_cast<size_t>(Uniform(random, 0, static_cast<int>(from.size()) - 1))];
}

// Double-byte characters chosen for their trail bytes: 0x5C (backslash),
// 0x40 (@), 0x7C (|), 0x22-like and 0x2C-like trail positions after a lead
// byte, and ordinary ones.
const std::vector<std::string> kDoubleByte = {
    "\x95\x5C", "\x83\x5C", "\x81\x40", "\x82\x40", "\x81\x7C", "\x8A\xBF",
    "\xE0\x40", "\xFC\x4B", "\x88\x9F", "\x82\xA0", "\x81\x81", "\x9F\xFC",
};
// Bytes that are not ordinary ASCII: lead-byte values, half-width katakana,
// the bytes that are never lead bytes.
const std::vector<std::string> kOddBytes = {"\x81", "\x9F", "\xE0", "\xFC", "\xA1",
                                            "\xDF", "\x80", "\xFD", "\xFF", "\xB2"};

std::string RandomText(Random& random, int maxPieces, bool commas) {
  std::string text;
  const int pieces = Uniform(random, 0, maxPieces);
  for (int i = 0; i < pieces; ++i) {
    switch (Uniform(random, 0, 9)) {
      case 0:
      case 1:
      case 2:
        text += std::to_string(Uniform(random, 0, 999));
        break;
      case 3:
        text += Pick(random, kDoubleByte);
        break;
      case 4:
        text += static_cast<char>('A' + Uniform(random, 0, 25));
        break;
      case 5:
        text += commas ? "," : ".";
        break;
      case 6:
        text += Pick(random, kOddBytes);
        break;
      case 7:
        text += "X";
        break;
      case 8:
        text += " ";
        break;
      default:
        text += "-";
        break;
    }
  }
  return text;
}

std::string RandomItem(Random& random) {
  switch (Uniform(random, 0, 11)) {
    case 0:
      return "";
    case 1:
    case 2:
    case 3:
      return std::to_string(Uniform(random, 0, 99999));
    case 4:
      return "\"" + RandomText(random, 3, true) + "\"";  // quoted, maybe with commas
    case 5:
      return "\"" + RandomText(random, 2, false) + "\"\"" + RandomText(random, 2, true) +
             "\"";  // doubled quote
    case 6:
      return RandomText(random, 4, false);  // double-byte text
    case 7:
      return RandomText(random, 2, false) + "\"" + RandomText(random, 2, true) + "\"";  // 12"3"
    case 8:
      return "\"X\"";
    case 9:
      return "\"-\"";
    case 10:
      return "\"" + RandomText(random, 2, true) + "\"" + RandomText(random, 2, false);
    default:
      return Pick(random, kDoubleByte) + ",";  // a lead byte and a 0x2C-like trail byte
  }
}

// A line of roughly `items` items, sometimes spoilt: an unterminated quote,
// a lone lead byte at the end, a stray quote after a lead byte, raw bytes.
std::string RandomLine(Random& random, int items) {
  const int kind = Uniform(random, 0, 19);
  if (kind == 0) return "";
  std::string line;
  if (kind == 1) {  // a soup of the bytes that matter
    static const std::vector<std::string> soup = {",",    "\"",   "a",    "1",    "\x81", "\x5C",
                                                  "\x40", "\xE0", "\xA1", "\x80", "\xFF", ","};
    const int n = Uniform(random, 1, 40);
    for (int i = 0; i < n; ++i) line += Pick(random, soup);
    return line;
  }
  if (kind == 6) {
    // A lead byte anywhere near a block boundary, its trail byte a comma or a
    // quote, then plain items: the trail must not separate or open a stretch.
    line = std::string(static_cast<size_t>(Uniform(random, 0, 140)), '7') + Pick(random, kOddBytes) +
           (Chance(random, 70) ? "," : "\"");
    for (int i = 0; i < items; ++i) line += std::to_string(Uniform(random, 0, 999)) + ",";
    return line;
  }
  const int count = std::max(1, items + Uniform(random, -3, 3));
  for (int i = 0; i < count; ++i) {
    if (i > 0) line += ',';
    line += RandomItem(random);
  }
  switch (kind) {
    case 2:
      line.insert(static_cast<size_t>(Uniform(random, 0, static_cast<int>(line.size()))), "\"");
      break;
    case 3:
      line += Pick(random, kOddBytes);
      break;  // maybe a lead byte at the line end
    case 4:
      line += "\x81\"";
      break;  // a quote that is a trail byte
    case 5:
      line = "\x82" + line;
      break;  // the first comma may become a trail byte
    default:
      break;
  }
  return line;
}

struct Layout {
  int itemCount;
  int ridItemCount;
};

// A plan as BuildExtractionPlan makes them: every invariant of ExtractionPlan
// holds.
ExtractionPlan RandomPlan(Random& random, const Layout& layout, const std::vector<std::string>& lines) {
  ExtractionPlan plan;
  const int rid = layout.ridItemCount;
  const int n = layout.itemCount;
  if (rid > 0 && Chance(random, 80)) {
    const int ranges = Uniform(random, 1, 3);
    for (int i = 0; i < ranges; ++i) {
      const int first = Uniform(random, 1, rid);
      plan.ridRanges.push_back({first, Uniform(random, first, rid)});
    }
  }
  if (n > rid && (plan.ridRanges.empty() || Chance(random, 85))) {
    const int rules = Uniform(random, 1, 3);
    for (int i = 0; i < rules; ++i) {
      CellRule rule;
      rule.first = Uniform(random, rid + 1, n);
      rule.last = Uniform(random, rule.first, std::min(n, rule.first + 3));
      const int width = rule.last - rule.first;
      if (Chance(random, 40) && rule.first + width + 1 + width <= n) {
        rule.interval = Uniform(random, width + 1, std::max(width + 1, (n - rule.first - width) / 1));
        const int steps = (n - width - rule.first) / rule.interval;
        if (steps >= 1) {
          rule.nextFirst = rule.first + rule.interval;
          rule.lastFirst = rule.first + rule.interval * Uniform(random, 1, steps);
        } else {
          rule.interval = 0;
        }
      }
      plan.cellRules.push_back(rule);
    }
    plan.zeroNonNumeric = Chance(random, 50);
    plan.zeroSpecial = Chance(random, 50);
    if (plan.zeroSpecial) {
      static const std::vector<std::string> pool = {"0",     "1",        "X", "-",   "12",  "101",
                                                    "200.5", "\x82\x40", "A", "abc", "\xA1"};
      const int count = Uniform(random, 1, 3);
      // Sometimes one longer than a word, which no field here equals: the
      // others are then compared the long way.
      const bool longOne = Chance(random, 30);
      plan.specialMinLength = 99;
      plan.specialMaxLength = 0;
      for (int i = 0; i < count + (longOne ? 1 : 0); ++i) {
        std::string text = i == count ? "123456789" : Pick(random, pool);
        if (i < count && Chance(random, 20)) text = std::to_string(Uniform(random, 0, 99));
        const int length = static_cast<int>(text.size());
        plan.specialStrings.push_back({length, text});
        plan.specialMinLength = std::min(plan.specialMinLength, length);
        plan.specialMaxLength = std::max(plan.specialMaxLength, length);
      }
    }
  }
  if (plan.ridRanges.empty() && plan.cellRules.empty()) plan.ridRanges.push_back({1, 1});

  const int mode = Uniform(random, 0, 3);
  plan.recordMode = mode == 0   ? RecordMode::All
                    : mode == 1 ? RecordMode::Count
                    : mode == 2 ? RecordMode::Code
                                : RecordMode::Value;
  if (plan.recordMode == RecordMode::All) {
    plan.countRanges.push_back({1, OpenEndCount});
  } else if (plan.recordMode == RecordMode::Count) {
    int next = 1;
    const int ranges = Uniform(random, 1, 3);
    for (int i = 0; i < ranges; ++i) {
      const int first = next + Uniform(random, 0, 3);
      const int last = Chance(random, 15) ? OpenEndCount : first + Uniform(random, 0, 3);
      plan.countRanges.push_back({first, last});
      if (last == OpenEndCount) break;
      next = last + 1;
    }
  } else {
    const int keyRows = Uniform(random, 1, 2);
    for (int i = 0; i < keyRows; ++i) {
      KeyRange key;
      key.firstItem = Uniform(random, 1, n + 1);
      key.lastItem = Uniform(random, key.firstItem, key.firstItem + 1);
      if (plan.recordMode == RecordMode::Code) {
        // The span in the first record, as the plan learns it.
        const ItemSpan span = LocateItems(lines.front(), 1, key.firstItem, key.lastItem);
        key.startPos = span.start;
        key.endPos = span.end;
        key.length = span.length;
        if (Chance(random, 10)) key.length += Uniform(random, 1, 3);  // reach past short lines
      }
      plan.keyRanges.push_back(key);
    }
    plan.grouping = Chance(random, 50)   ? CodeGrouping::GroupedInOrder
                    : Chance(random, 50) ? CodeGrouping::Unknown
                                         : CodeGrouping::Scattered;
    plan.extractAllExcept = Chance(random, 30);
    // Codes taken from keys that the lines have, so that some match.
    std::vector<std::string> keys;
    for (const std::string& line : lines) {
      std::string key = BuildRecordKey(plan, line);
      if (!key.empty() && key.find('"') == std::string::npos) keys.push_back(key);
    }
    if (keys.empty()) keys.push_back("1");
    plan.keyLength = static_cast<int>(BuildRecordKey(plan, lines.front()).size());
    if (plan.recordMode == RecordMode::Value || plan.keyLength == 0)
      plan.keyLength = static_cast<int>(Pick(random, keys).size());
    std::vector<std::string> sameLength;
    for (const std::string& key : keys)
      if (static_cast<int>(key.size()) == plan.keyLength) sameLength.push_back(key);
    if (sameLength.empty()) sameLength.push_back(std::string(static_cast<size_t>(plan.keyLength), '5'));
    std::sort(sameLength.begin(), sameLength.end());
    const int ranges = Uniform(random, 1, 3);
    for (int i = 0; i < ranges; ++i) {
      std::string low = Pick(random, sameLength);
      std::string high = Pick(random, sameLength);
      if (high < low) std::swap(low, high);
      plan.codeRanges.push_back({low, high});
    }
    if (plan.grouping == CodeGrouping::GroupedInOrder) {
      // Strictly ascending: sort, then drop ranges that touch the one before.
      std::sort(plan.codeRanges.begin(), plan.codeRanges.end(),
                [](const CodeRange& a, const CodeRange& b) { return a.low < b.low; });
      std::vector<CodeRange> ascending;
      for (const CodeRange& range : plan.codeRanges)
        if (ascending.empty() || ascending.back().high < range.low) ascending.push_back(range);
      plan.codeRanges = ascending;
    }
  }
  return plan;
}

std::string Visible(std::string_view bytes) {
  std::ostringstream out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F)
      out << c;
    else
      out << "\\x" << std::hex << static_cast<int>(c) << std::dec;
  }
  return out.str();
}

std::string Describe(const ExtractionPlan& plan) {
  std::ostringstream out;
  out << "rid:";
  for (const NumberRange& r : plan.ridRanges) out << ' ' << r.first << '-' << r.last;
  out << " cells:";
  for (const CellRule& r : plan.cellRules)
    out << ' ' << r.first << '-' << r.last << '/' << r.interval << '/' << r.lastFirst;
  out << " zero:" << plan.zeroNonNumeric << plan.zeroSpecial << " specials:";
  for (const SpecialString& s : plan.specialStrings) out << ' ' << Visible(s.text);
  out << " mode:" << static_cast<int>(plan.recordMode) << " keys:";
  for (const KeyRange& k : plan.keyRanges)
    out << ' ' << k.firstItem << '-' << k.lastItem << '@' << k.startPos << '+' << k.length;
  out << " codes:";
  for (const CodeRange& c : plan.codeRanges) out << ' ' << Visible(c.low) << ".." << Visible(c.high);
  return out.str();
}

// ---- Line by line ----

// Each instruction set of the item scan that this processor has, in turn.
class FastPathDifferentialTest : public ::testing::TestWithParam<ScanInstructions> {
 protected:
  void SetUp() override {
    if (GetParam() > BestScanInstructions()) GTEST_SKIP() << "not in this build or not on this processor";
    UseScanInstructions(GetParam());
  }
  void TearDown() override { UseScanInstructions(BestScanInstructions()); }
};

INSTANTIATE_TEST_SUITE_P(Scan, FastPathDifferentialTest,
                         ::testing::Values(ScanInstructions::Scalar, ScanInstructions::Sse2,
                                           ScanInstructions::Avx2, ScanInstructions::Avx2FastPdep,
                                           ScanInstructions::Avx512),
                         [](const auto& info) { return std::string(ScanInstructionsName(info.param)); });

TEST_P(FastPathDifferentialTest, LinesKeysAndDecisionsEqualTheReference) {
  Random random(20240601);
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    const int itemCount = Uniform(random, 1, round % 10 == 0 ? 40 : 10);
    const Layout layout{itemCount, Uniform(random, 0, itemCount - 1)};
    std::vector<std::string> lines;
    const int lineCount = Uniform(random, 1, 8);
    for (int i = 0; i < lineCount; ++i) lines.push_back(RandomLine(random, itemCount));
    const ExtractionPlan plan = RandomPlan(random, layout, lines);
    RecordCutter cutter(plan);
    for (const std::string& line : lines) {
      SCOPED_TRACE("plan " + Describe(plan) + "\nline " + Visible(line));
      cutter.Load(line);
      for (const bool zeroing : {false, true})
        ASSERT_EQ(Visible(cutter.OutputLine(zeroing)), Visible(BuildOutputLine(plan, line, zeroing)))
            << "zeroing " << zeroing;
      if (plan.recordMode == RecordMode::Code || plan.recordMode == RecordMode::Value) {
        const std::string fast(cutter.Key());
        const std::string reference = BuildRecordKey(plan, line);
        ASSERT_EQ(Visible(fast), Visible(reference));
        ASSERT_EQ(cutter.KeyMatches(fast), KeyMatches(plan, reference));
        ASSERT_EQ(cutter.BeyondLastRange(fast), reference > plan.codeRanges.back().high);
        // The line again after the key: the items are located once.
        ASSERT_EQ(Visible(cutter.OutputLine(true)), Visible(BuildOutputLine(plan, line, true)));
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 10000);
}

TEST(FastPathDifferentialKeys, KeyDecisionsEqualTheReferenceOnMixedKeys) {
  Random random(7);
  static const std::vector<std::string> alphabet = {"0", "1", "5", "9", "\x81", "\xFF", "A"};
  for (int round = 0; round < 2000; ++round) {
    ExtractionPlan plan;
    plan.ridRanges.push_back({1, 1});
    plan.recordMode = Chance(random, 50) ? RecordMode::Code : RecordMode::Value;
    plan.keyRanges.push_back({1, 1, 1, 1, 3});
    plan.keyLength = 3;
    auto code = [&](int length) {
      std::string text;
      for (int i = 0; i < length; ++i) text += Pick(random, alphabet);
      return text;
    };
    const int ranges = Uniform(random, 1, 4);
    for (int i = 0; i < ranges; ++i) {
      std::string low = code(3), high = code(3);
      if (high < low) std::swap(low, high);
      plan.codeRanges.push_back({low, high});
    }
    if (Chance(random, 50)) {
      std::sort(plan.codeRanges.begin(), plan.codeRanges.end(),
                [](const CodeRange& a, const CodeRange& b) { return a.low < b.low; });
    }
    RecordCutter cutter(plan);
    for (int i = 0; i < 10; ++i) {
      const std::string key = code(Uniform(random, 0, 4));
      ASSERT_EQ(cutter.KeyMatches(key), KeyMatches(plan, key)) << Describe(plan) << " key " << Visible(key);
    }
  }
}

// ---- Whole files ----

class CountingHook : public ServiceHook {
 public:
  bool ServicePendingEvents() override {
    ++calls;
    return false;
  }
  std::int64_t calls = 0;
};

// The record loop written from the reference steps alone, over the lines of
// a file (already split by the line rule).
struct ReferenceRun {
  std::string output;
  std::int64_t sourceRecords = 0;
  std::int64_t extractRecords = 0;
};

ReferenceRun RunByReference(const ExtractionPlan& plan, bool hasHeading,
                            const std::vector<std::string>& lines) {
  ReferenceRun run;
  size_t next = 0;
  auto atEnd = [&] { return next >= lines.size(); };
  if (hasHeading) {
    const std::string heading = atEnd() ? std::string() : lines[next++];
    run.output += BuildOutputLine(plan, heading, false) + "\r\n";
  }
  bool passedLastRange = false;
  while (!atEnd() && !passedLastRange) {
    const std::string& line = lines[next++];
    const std::int64_t n = ++run.sourceRecords;
    bool write = false;
    if (plan.recordMode == RecordMode::All || plan.recordMode == RecordMode::Count) {
      const NumberRange& last = plan.countRanges.back();
      if (last.last != OpenEndCount && last.last < n) passedLastRange = true;
      for (const NumberRange& range : plan.countRanges)
        if (range.first <= n && (n <= range.last || range.last == OpenEndCount)) {
          write = true;
          break;
        }
    } else {
      const std::string key = BuildRecordKey(plan, line);
      if (plan.grouping == CodeGrouping::GroupedInOrder && !plan.extractAllExcept &&
          key > plan.codeRanges.back().high)
        passedLastRange = true;
      write = KeyMatches(plan, key) != plan.extractAllExcept;
    }
    if (write) {
      run.output += BuildOutputLine(plan, line, true) + "\r\n";
      ++run.extractRecords;
    }
  }
  return run;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_P(FastPathDifferentialTest, WholeFilesEqualTheReferenceLoop) {
  testing::TempFolder folder;
  Random random(99);
  for (int round = 0; round < 120; ++round) {
    const int itemCount = Uniform(random, 1, 12);
    const Layout layout{itemCount, Uniform(random, 0, itemCount - 1)};
    std::vector<std::string> lines;
    const int lineCount = Uniform(random, 1, 30);
    for (int i = 0; i < lineCount; ++i) lines.push_back(RandomLine(random, itemCount));
    if (round % 3 == 0) std::sort(lines.begin(), lines.end());  // keys grouped in order
    const ExtractionPlan plan = RandomPlan(random, layout, lines);
    const bool hasHeading = Chance(random, 70);

    std::string file;
    for (const std::string& line : lines) file += line + "\r\n";
    const std::string source = folder.Write("source.csv", file);
    const std::string extract = folder / "extract.csv";

    LineReader reader(static_cast<size_t>(Uniform(random, 1, 64)));
    ASSERT_FALSE(reader.Open(source));
    LineWriter writer(static_cast<size_t>(Uniform(random, 1, 64)));
    ASSERT_FALSE(writer.Open(extract, LineWriter::Mode::Create));
    CountingHook hook;
    const FileRunResult result = ProcessSourceFile(plan, hasHeading ? HeadingKind::User : HeadingKind::None,
                                                   reader, writer, false, hook);
    ASSERT_FALSE(writer.Close());

    const ReferenceRun expected = RunByReference(plan, hasHeading, lines);
    SCOPED_TRACE("plan " + Describe(plan));
    EXPECT_FALSE(result.Failure());
    EXPECT_FALSE(result.Cancelled());
    EXPECT_EQ(result.sourceRecords, expected.sourceRecords);
    EXPECT_EQ(result.extractRecords, expected.extractRecords);
    EXPECT_EQ(hook.calls, expected.sourceRecords);
    ASSERT_EQ(Visible(ReadAll(extract)), Visible(expected.output));
  }
}

// ---- The records cut on several threads ----

// Sets the cancel request at its n-th call (never when n is 0).
class CancellingHook : public ServiceHook {
 public:
  CancellingHook(bool& cancel, std::int64_t at) : cancel_(cancel), at_(at) {}
  bool ServicePendingEvents() override {
    if (++calls == at_) cancel_ = true;
    return cancel_;
  }
  std::int64_t calls = 0;

 private:
  bool& cancel_;
  std::int64_t at_;
};

struct LoopRun {
  FileRunResult result;
  std::int64_t serviceCalls = 0;
  std::string extract;
};

LoopRun RunLoop(const ExtractionPlan& plan, bool hasHeading, const std::string& source,
                const std::string& extract, size_t block, size_t longest, size_t writeBuffer,
                unsigned workers, std::int64_t cancelAt, size_t chunkOutputLimit = kChunkOutputLimit,
                const FileOutput& output = {}) {
  LoopRun run;
  WorkerPool pool(workers);
  LineReader reader(block, longest);
  EXPECT_FALSE(reader.Open(source));
  LineWriter writer(writeBuffer);
  EXPECT_FALSE(writer.Open(extract, LineWriter::Mode::Create));
  bool cancel = false;
  CancellingHook hook(cancel, cancelAt);
  run.result = ProcessSourceFile(plan, hasHeading ? HeadingKind::User : HeadingKind::None, reader, writer,
                                 false, hook, pool, chunkOutputLimit, output);
  writer.Close();
  run.serviceCalls = hook.calls;
  if (extract.rfind("/dev/", 0) != 0) run.extract = ReadAll(extract);
  return run;
}

void ExpectSameRun(const LoopRun& parallel, const LoopRun& single) {
  EXPECT_EQ(parallel.result.sourceRecords, single.result.sourceRecords);
  EXPECT_EQ(parallel.result.extractRecords, single.result.extractRecords);
  EXPECT_EQ(parallel.result.Cancelled(), single.result.Cancelled());
  EXPECT_EQ(parallel.result.Failure() != nullptr, single.result.Failure() != nullptr);
  if (parallel.result.Failure() && single.result.Failure()) {
    EXPECT_EQ(parallel.result.Failure()->message, single.result.Failure()->message);
  }
  EXPECT_EQ(parallel.result.EndMarkBeforeEnd(), single.result.EndMarkBeforeEnd());
  EXPECT_EQ(parallel.serviceCalls, single.serviceCalls);
  EXPECT_EQ(Visible(parallel.extract), Visible(single.extract));
}

// Any chunk size, any number of workers, a cancel at any record, early
// stops, the end mark and the line limit: everything the loop says and
// writes is what it says and writes on one thread.
TEST(ParallelCutDifferential, EqualsTheLoopOnOneThread) {
  testing::TempFolder folder;
  Random random(2024);
  for (int round = 0; round < 60; ++round) {
    const int itemCount = Uniform(random, 1, 10);
    const Layout layout{itemCount, Uniform(random, 0, itemCount - 1)};
    std::vector<std::string> lines;
    const int lineCount = Uniform(random, 1, 25);
    for (int i = 0; i < lineCount; ++i) lines.push_back(RandomLine(random, itemCount));
    if (round % 2 == 0) std::sort(lines.begin(), lines.end());  // keys grouped in order
    ExtractionPlan plan = RandomPlan(random, layout, lines);
    if (round % 4 == 1) {
      // Every item as it stands: a line of that many items ending in CR LF
      // is written from where it lies, the others are cut.
      plan.ridRanges.clear();
      plan.cellRules.clear();
      if (layout.ridItemCount > 0) plan.ridRanges.push_back({1, layout.ridItemCount});
      if (itemCount > layout.ridItemCount) plan.cellRules.push_back({layout.ridItemCount + 1, itemCount});
      plan.zeroNonNumeric = plan.zeroSpecial = false;
    }
    const bool hasHeading = Chance(random, 50);

    // Line ends of every kind, a last line without one, an end mark with
    // bytes after it.
    std::string file;
    for (const std::string& line : lines) {
      const int end = Uniform(random, 0, 9);
      file += line + (end == 0 ? "\r" : end == 1 ? "\n\r\n" : "\r\n");
    }
    if (Chance(random, 30)) file.resize(file.size() - (file.back() == '\n' ? 2 : 1));
    if (Chance(random, 25))
      file.insert(static_cast<size_t>(Uniform(random, 0, static_cast<int>(file.size()))), 1, '\x1A');
    if (Chance(random, 20)) file += "\x1A,junk\r\n";
    const std::string source = folder.Write("source.csv", file);
    const std::string extract = folder / "extract.csv";
    const size_t longest = Chance(random, 15) ? static_cast<size_t>(Uniform(random, 5, 40)) : 1u << 20;
    SCOPED_TRACE("plan " + Describe(plan) + "\nfile " + Visible(file));

    const LoopRun single = RunLoop(plan, hasHeading, source, extract, 4096, longest, 4096, 0, 0);
    const std::int64_t records = single.result.sourceRecords;
    for (size_t block = 1; block <= 70; block += block < 12 ? 1 : 7) {
      const unsigned workers = static_cast<unsigned>(1 + block % 3);
      // Chunks whose output passes the limit after any line, so that the
      // reading thread cuts the rest.
      const size_t outputLimit = std::vector<size_t>{kChunkOutputLimit, 1, 9, 40}[block % 4];
      // A cancel at every record with one chunk size, elsewhere at one.
      std::vector<std::int64_t> cancels = {0, Uniform(random, 1, static_cast<int>(records) + 1)};
      if (block == 3)
        for (std::int64_t at = 1; at <= records; ++at) cancels.push_back(at);
      for (const std::int64_t at : cancels) {
        SCOPED_TRACE("block " + std::to_string(block) + ", workers " + std::to_string(workers) +
                     ", output limit " + std::to_string(outputLimit) + ", cancel at " + std::to_string(at));
        const LoopRun expected =
            at == 0 ? single : RunLoop(plan, hasHeading, source, extract, 4096, longest, 4096, 0, at);
        ExpectSameRun(
            RunLoop(plan, hasHeading, source, extract, block, longest, 4096, workers, at, outputLimit),
            expected);
      }
    }
    // A write error at a buffer boundary stops both loops at the same record.
    if (std::filesystem::exists("/dev/full")) {
      const size_t buffer = static_cast<size_t>(Uniform(random, 1, 40));
      ExpectSameRun(
          RunLoop(plan, hasHeading, source, "/dev/full", 5, longest, buffer, 2, 0, Uniform(random, 1, 40)),
          RunLoop(plan, hasHeading, source, "/dev/full", 4096, longest, buffer, 0, 0));
    }
  }
}

// A loop that stops early (a grouped key, a count range) at the record just
// before the end mark has met the end of the text (on one thread the reader
// meets the mark reading that record, when no line end comes between); one
// that stops earlier has not. The parallel loop must say the same wherever
// the chunks end and whoever cuts the stopping record.
TEST(ParallelCutDifferential, EarlyStopBeforeTheEndMark) {
  testing::TempFolder folder;
  ExtractionPlan grouped;
  grouped.ridRanges.push_back({1, 2});
  grouped.recordMode = RecordMode::Value;
  KeyRange key;
  key.firstItem = key.lastItem = 1;
  grouped.keyRanges.push_back(key);
  grouped.keyLength = 2;
  grouped.codeRanges.push_back({"k1", "k2"});
  grouped.grouping = CodeGrouping::GroupedInOrder;
  ExtractionPlan counted;
  counted.ridRanges.push_back({1, 2});
  counted.recordMode = RecordMode::Count;
  counted.countRanges.push_back({2, 2});
  for (const ExtractionPlan& plan : {grouped, counted})
    for (const std::string file : {"k1,a\r\nk2,b\r\nk9,c\x1A,junk\r\n", "k1,a\r\nk9,b\r\nk9,c\x1A,junk",
                                   "k1,a\r\nk2,b\r\nk9,c\r\n\x1A,junk"}) {
      const std::string source = folder.Write("source.csv", file);
      const std::string extract = folder / "extract.csv";
      const LoopRun single = RunLoop(plan, false, source, extract, 4096, 1u << 20, 4096, 0, 0);
      for (size_t block = 1; block <= 24; ++block)
        for (const size_t outputLimit : {size_t{1}, kChunkOutputLimit}) {
          SCOPED_TRACE(Describe(plan) + Visible(file) + ", block " + std::to_string(block) +
                       ", output limit " + std::to_string(outputLimit));
          ExpectSameRun(RunLoop(plan, false, source, extract, block, 1u << 20, 4096, 2, 0, outputLimit),
                        single);
        }
    }
}

// A line too long for the reader lies ahead of records that the reading
// thread cuts itself (their chunk's output reached its limit): the error
// counts only once they are written, as on one thread.
TEST(ParallelCutDifferential, ReadErrorAheadOfTheRecordsCutHere) {
  testing::TempFolder folder;
  ExtractionPlan plan;
  plan.ridRanges.push_back({1, 1});
  plan.countRanges.push_back({1, OpenEndCount});
  const std::string source = folder.Write("source.csv", "a\r\nb\r\nc\r\nd\r\ntoo long\r\ne\r\n");
  const std::string extract = folder / "extract.csv";
  const LoopRun single = RunLoop(plan, false, source, extract, 4096, 5, 4096, 0, 0);
  for (size_t block = 1; block <= 24; ++block) {
    SCOPED_TRACE("block " + std::to_string(block));
    ExpectSameRun(RunLoop(plan, false, source, extract, block, 5, 4096, 1, 0, 1), single);
  }
}

// Long lines here and there: once their chunks are taken, no chunk keeps
// a buffer of their size (memory would grow by a long line per chunk).
TEST(ParallelCutDifferential, ChunksGiveBackTheBuffersOfLongLines) {
  testing::TempFolder folder;
  ExtractionPlan plan;
  plan.ridRanges.push_back({1, 2});
  plan.countRanges.push_back({1, OpenEndCount});
  std::string file;
  for (int i = 0; i < 4; ++i) {
    file += std::string(9u << 20, 'x') + ",y\r\n";
    for (int k = 0; k < 2000; ++k) file += "a,b,c\r\n";
  }
  LineReader reader(1u << 16);
  ASSERT_FALSE(reader.Open(folder.Write("source.csv", file)));
  SequentialLines lines(reader);
  WorkerPool workers(2);
  RecordCutter cutter(plan);
  ChunkPipeline pipeline(plan, lines, workers, 1u << 16, cutter);
  std::vector<const CutChunk*> seen;
  while (const CutChunk* chunk = pipeline.Next()) {
    if (std::find(seen.begin(), seen.end(), chunk) == seen.end()) seen.push_back(chunk);
    pipeline.Release();
  }
  for (const CutChunk* chunk : seen) {
    EXPECT_LT(chunk->input.size(), 9u << 20);
    EXPECT_LT(chunk->output.size(), 9u << 20);
  }
}

// The source column and UTF-8: each line as the code page 932 extract has
// it, behind its prefix, through the system's conversion; on any number of
// workers and chunk sizes. A line the system cannot convert fails the file
// there, after every line before it, with the same message everywhere.
TEST(ParallelCutDifferential, SourceColumnAndUtf8AreTheCp932LinesConverted) {
  testing::TempFolder folder;
  Random random(932);
  FileOutput output;
  output.utf8 = true;
  output.headingPrefix = "\x8C\xB3,";  // 元
  output.recordPrefix = "\xB1\x5C,";   // ｱ and a backslash
  output.sourceShown = "source.csv";
  for (int round = 0; round < 40; ++round) {
    const int itemCount = Uniform(random, 1, 10);
    const Layout layout{itemCount, Uniform(random, 0, itemCount - 1)};
    std::vector<std::string> lines;
    const int lineCount = Uniform(random, 1, 25);
    for (int i = 0; i < lineCount; ++i) lines.push_back(RandomLine(random, itemCount));
    const ExtractionPlan plan = RandomPlan(random, layout, lines);
    const bool hasHeading = Chance(random, 50);
    std::string file;
    for (const std::string& line : lines) file += line + "\r\n";
    const std::string source = folder.Write("source.csv", file);
    const std::string extract = folder / "extract.csv";
    SCOPED_TRACE("plan " + Describe(plan) + "\nfile " + Visible(file));

    const LoopRun plain = RunLoop(plan, hasHeading, source, extract, 4096, 1u << 20, 4096, 0, 0);
    std::string expected;
    bool convertible = true;
    std::size_t at = 0;
    for (bool first = true; at < plain.extract.size() && convertible; first = false) {
      const std::size_t end = plain.extract.find("\r\n", at) + 2;
      const std::string& prefix = first && hasHeading ? output.headingPrefix : output.recordPrefix;
      const std::optional<std::string> line =
          platform::ConvertCp932ToUtf8(prefix + plain.extract.substr(at, end - at));
      if (line)
        expected += *line;
      else
        convertible = false;
      at = end;
    }
    std::optional<LoopRun> first;
    for (const unsigned workers : {0u, 3u}) {
      for (const size_t block : {size_t{5}, size_t{64}, size_t{4096}}) {
        const LoopRun run =
            RunLoop(plan, hasHeading, source, extract, block, 1u << 20, 64, workers, 0, 48, output);
        ASSERT_EQ(run.result.Failure() == nullptr, convertible);
        ASSERT_EQ(Visible(run.extract), Visible(expected));
        if (first)
          ExpectSameRun(run, *first);
        else
          first = run;
      }
    }
  }
}

}  // namespace
}  // namespace sifta
