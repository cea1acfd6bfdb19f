// sifta-cut SOURCE.csv [FIRST_CELL LAST_CELL ...]
//
// Where the time of the record loop goes, phase by phase, over one cached
// file of sifta-gen's layout (5 RID items): reading the lines alone, then
// splitting them into items, then cutting the output line, then the whole
// ProcessSourceFile into /dev/null. The plan keeps RID item 1 and the given
// cell ranges (default: cells 1-5 and 20-25, task T1 of bench/throughput.sh)
// of every record. Prints seconds and MB/s per phase.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "run/RecordCutter.h"
#include "run/RecordSelection.h"

namespace {

using Clock = std::chrono::steady_clock;

class NoEvents : public sifta::ServiceHook {
 public:
  bool ServicePendingEvents() override { return false; }
};

template <typename PerLine>
double TimeLines(const std::string& path, std::int64_t& bytes, PerLine perLine) {
  sifta::LineReader reader;
  if (auto error = reader.Open(path)) {
    std::fprintf(stderr, "sifta-cut: cannot open %s\n", path.c_str());
    std::exit(2);
  }
  const auto start = Clock::now();
  while (!reader.AtEnd()) perLine(reader.ReadLine());
  bytes = reader.Consumed();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void Report(const char* phase, double seconds, std::int64_t bytes) {
  std::printf("%-28s %7.3f s %8.0f MB/s\n", phase, seconds, static_cast<double>(bytes) / 1e6 / seconds);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc % 2 != 0) {
    std::fprintf(stderr, "usage: sifta-cut SOURCE.csv [FIRST_CELL LAST_CELL ...]\n");
    return 64;
  }
  const std::string path = argv[1];
  constexpr int kRid = 5;
  sifta::ExtractionPlan plan;
  plan.ridRanges = {{1, 1}};
  if (argc == 2) {
    plan.cellRules = {{kRid + 1, kRid + 5, 0, 0, 0}, {kRid + 20, kRid + 25, 0, 0, 0}};
  } else {
    for (int i = 2; i + 1 < argc; i += 2)
      plan.cellRules.push_back({kRid + std::atoi(argv[i]), kRid + std::atoi(argv[i + 1]), 0, 0, 0});
  }
  plan.countRanges = {{1, sifta::OpenEndCount}};
  int wanted = 1;
  for (const auto& rule : plan.cellRules) wanted = std::max(wanted, rule.last);

  std::int64_t bytes = 0;
  std::size_t sink = 0;
  Report("read lines", TimeLines(path, bytes, [&](std::string_view line) { sink += line.size(); }), bytes);

  sifta::ItemBoundaries items;
  Report("+ locate items",
         TimeLines(path, bytes,
                   [&](std::string_view line) {
                     items.Locate(line, wanted, true, false);
                     sink += static_cast<std::size_t>(items.Count());
                   }),
         bytes);

  sifta::RecordCutter cutter(plan);
  Report("+ cut the output line",
         TimeLines(path, bytes,
                   [&](std::string_view line) {
                     cutter.Load(line);
                     sink += cutter.OutputLineWithEnd(true).size();
                   }),
         bytes);

  sifta::LineReader reader;
  sifta::LineWriter writer;
  if (reader.Open(path) || writer.Open("/dev/null", sifta::LineWriter::Mode::Create)) return 2;
  NoEvents events;
  const auto start = Clock::now();
  const sifta::FileRunResult result =
      sifta::ProcessSourceFile(plan, sifta::HeadingKind::Standard, reader, writer, false, events);
  writer.Close();
  Report("ProcessSourceFile", std::chrono::duration<double>(Clock::now() - start).count(), reader.Consumed());
  std::printf("records %lld written %lld (%zu)\n", static_cast<long long>(result.sourceRecords),
              static_cast<long long>(result.extractRecords), sink % 10);
  return 0;
}
