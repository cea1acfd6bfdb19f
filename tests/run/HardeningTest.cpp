// Regression tests for what the fuzz targets (fuzz/) found in the run layer:
// each case is the smallest input that showed the fault.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cstdlib>
#include <string>
#include <variant>

#include "run/ExtractionPlan.h"
#include "run/RecordCutter.h"
#include "run/RecordSelection.h"
#include "scan/ItemBoundaries.h"
#include "scan/TempFolder.h"
#include "support/ReferenceSteps.h"

namespace sifta {
namespace {

using testing::TempFolder;

class NoEvents : public ServiceHook {
 public:
  bool ServicePendingEvents() override { return false; }
};

#ifndef _WIN32
// Runs `body` in a child process whose address space is capped at 1 GiB:
// a fault that asks for gigabytes ends the child instead of the machine's
// memory. The child's exit code is what `body` returns.
template <typename Body>
[[noreturn]] void RunCapped(Body& body) {
  rlimit cap;
  cap.rlim_cur = cap.rlim_max = 1ull << 30;
  setrlimit(RLIMIT_AS, &cap);
  std::_Exit(body());
}
#endif

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

template <typename Body>
void WithinOneGiB(Body body) {
#ifdef _WIN32
  // No address-space cap of a child here: the body runs as it is (the
  // cap is Linux's, where a fault shows first).
  EXPECT_EQ(body(), 0);
#else
  // AddressSanitizer's shadow memory alone is larger than the cap.
  if (kAddressSanitizer) GTEST_SKIP() << "no address-space cap beside AddressSanitizer";
  EXPECT_EXIT(RunCapped(body), ::testing::ExitedWithCode(0), "");
#endif
}

FileLayout ThreeCells() {
  FileLayout layout;
  layout.fileName = "in.csv";
  layout.headingKind = HeadingKind::User;
  layout.headingText = "a,b,c";
  layout.firstRecord = "1,2,3";
  layout.itemCount = 3;
  layout.bodyCellCount = 3;
  return layout;
}

// Key cell numbers are not held against the item count, so a user may type
// any number up to 2147483647 as the key cell in Value mode. The line holds
// three items; the key names none of them and is empty. Finding: the item
// boundaries were sized by the item asked for, not by the line, and a key
// cell of 999999999 asked for 8 GB per record.
TEST(HardeningTest, ValueKeyCellFarBeyondTheLineCostsNoMemory) {
  for (const char* keyCell : {"999999999", "2147483647"}) {
    SCOPED_TRACE(keyCell);
    ExtractionConditions conditions;
    conditions.sourceNameText = "in.csv";
    conditions.extractNameText = "out.csv";
    conditions.cellChoice = ColumnChoice::AllItems;
    conditions.recordMode = RecordMode::Value;
    conditions.keyRows = {{keyCell, ""}};
    conditions.codeRows = {{"1", ""}};
    conditions.extractAllExcept = true;
    const PlanResult built = BuildExtractionPlan(conditions, ThreeCells());
    ASSERT_TRUE(std::holds_alternative<ExtractionPlan>(built));
    const ExtractionPlan& plan = std::get<ExtractionPlan>(built);

    WithinOneGiB([&] {
      RecordCutter cutter(plan);
      cutter.Load("1,2,3");
      return cutter.Key().empty() && BuildRecordKey(plan, "1,2,3").empty() ? 0 : 1;
    });
    WithinOneGiB([&] {
      ItemBoundaries items;
      items.Locate("1,2,3", 2147483647);
      return items.Count() == 3 && items.End(3) == 5 ? 0 : 1;
    });

    // The whole loop: no key matches, so with "all except" every record is
    // written.
    TempFolder folder;
    const std::string source = folder.Write("in.csv", "a,b,c\r\n1,2,3\r\n4,5,6\r\n");
    const std::string extract = folder / "out.csv";
    WithinOneGiB([&] {
      LineReader reader;
      LineWriter writer;
      if (reader.Open(source) || writer.Open(extract, LineWriter::Mode::Create)) return 2;
      NoEvents events;
      const FileRunResult result = ProcessSourceFile(plan, HeadingKind::User, reader, writer, false, events);
      if (writer.Close()) return 3;
      return result.sourceRecords == 2 && result.extractRecords == 2 && !result.Failure() ? 0 : 1;
    });
  }
}

}  // namespace
}  // namespace sifta
