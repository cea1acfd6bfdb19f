// ProcessSourceFile over real files: the heading, the count and key loops
// with their early stops, appending, cancel, and read and write failures.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "run/RecordSelection.h"
#include "scan/Cp932.h"
#include "scan/TempFolder.h"

namespace sifta {
namespace {

using testing::TempFolder;

// Counts its calls; sets the cancel request during call number `cancelAt`.
class FakeHook : public ServiceHook {
 public:
  explicit FakeHook(bool& cancelRequest, int cancelAt = 0)
      : cancelRequest_(cancelRequest), cancelAt_(cancelAt) {}
  bool ServicePendingEvents() override {
    if (++calls == cancelAt_) cancelRequest_ = true;
    return cancelRequest_;
  }
  int calls = 0;

 private:
  bool& cancelRequest_;
  int cancelAt_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "r1,1\r\n" ... "rN,N\r\n": record n holds its own number twice.
std::string Records(int count, int from = 1) {
  std::string text;
  for (int n = from; n < from + count; ++n) {
    const std::string number = std::to_string(n);
    text.append("r").append(number).append(",").append(number).append("\r\n");
  }
  return text;
}

ExtractionPlan AllItems() {
  ExtractionPlan plan;
  plan.cellRules = {{1, 2, 0, 0, 0}};
  plan.countRanges = {{1, OpenEndCount}};
  return plan;
}

ExtractionPlan CountPlan(std::vector<NumberRange> ranges) {
  ExtractionPlan plan = AllItems();
  plan.recordMode = RecordMode::Count;
  plan.countRanges = std::move(ranges);
  return plan;
}

// Code mode on the three-digit code of item 2 ("k,100" ...), bytes 3..5.
ExtractionPlan CodePlan(CodeGrouping grouping, bool allExcept) {
  ExtractionPlan plan = AllItems();
  plan.recordMode = RecordMode::Code;
  plan.keyRanges = {{2, 2, 3, 5, 3}};
  plan.keyLength = 3;
  plan.codeRanges = {{"100", "199"}};
  plan.grouping = grouping;
  plan.extractAllExcept = allExcept;
  return plan;
}

struct LoopRun {
  FileRunResult result;
  std::string extract;
  std::string nextLine;  // what the source still held after the loop
  int hookCalls = 0;
};

class RecordLoopTest : public ::testing::Test {
 protected:
  LoopRun RunOn(const ExtractionPlan& plan, HeadingKind heading, const std::string& source,
                bool appending = false, int cancelAt = 0, const std::string& existing = "") {
    const std::string sourcePath = folder_.Write("source.csv", source);
    const std::string extractPath = folder_.Write("extract.csv", existing);
    LineReader reader;
    EXPECT_FALSE(reader.Open(sourcePath));
    LineWriter writer;
    EXPECT_FALSE(writer.Open(extractPath, appending ? LineWriter::Mode::Append : LineWriter::Mode::Create));
    bool cancel = false;
    FakeHook hook(cancel, cancelAt);
    LoopRun run;
    run.result = ProcessSourceFile(plan, heading, reader, writer, appending, hook);
    EXPECT_FALSE(writer.Close());
    run.extract = ReadAll(extractPath);
    run.nextLine = std::string(reader.ReadLine());
    run.hookCalls = hook.calls;
    return run;
  }

  TempFolder folder_;
};

TEST_F(RecordLoopTest, AllWithHeadingWritesTheHeadingAndEveryRecord) {
  const LoopRun run = RunOn(AllItems(), HeadingKind::User, "ID,V\r\n" + Records(3));
  EXPECT_EQ(run.extract, "ID,V\r\n" + Records(3));
  EXPECT_EQ(run.result.sourceRecords, 3);
  EXPECT_EQ(run.result.extractRecords, 3);
  EXPECT_EQ(run.hookCalls, 3);
  EXPECT_FALSE(run.result.Cancelled());
  EXPECT_FALSE(run.result.Failure());
}

TEST_F(RecordLoopTest, ProjectedStandardHeading) {
  ExtractionPlan plan = AllItems();
  plan.ridRanges = {{2, 2}};
  plan.cellRules = {{4, 4, 0, 0, 0}};
  const LoopRun run = RunOn(plan, HeadingKind::Standard, Sj("地域,産業,ｾﾙ1,ｾﾙ2\r\n") + "a,b,1,2\r\n");
  EXPECT_EQ(run.extract, Sj("産業,ｾﾙ2\r\n") + "b,2\r\n");
}

// The early stops: the file (larger than what is read ahead) is not read to
// its end.
TEST_F(RecordLoopTest, CountRangesStopAfterTheFirstRecordBeyondThem) {
  const LoopRun run = RunOn(CountPlan({{3, 3}, {15, 20}}), HeadingKind::None, Records(400000));
  EXPECT_EQ(run.extract, Records(1, 3) + Records(6, 15));
  EXPECT_EQ(run.result.sourceRecords, 21);
  EXPECT_EQ(run.result.extractRecords, 7);
  EXPECT_FALSE(run.nextLine.empty());
}

TEST_F(RecordLoopTest, CountRangeOpenToTheEndReadsTheWholeFile) {
  const LoopRun run = RunOn(CountPlan({{2, 2}, {98, OpenEndCount}}), HeadingKind::None, Records(100));
  EXPECT_EQ(run.extract, Records(1, 2) + Records(3, 98));
  EXPECT_EQ(run.result.sourceRecords, 100);
}

TEST_F(RecordLoopTest, WithoutHeadingLineOneIsRecordOne) {
  const LoopRun run = RunOn(CountPlan({{1, 1}}), HeadingKind::None, Records(5));
  EXPECT_EQ(run.extract, Records(1));
  EXPECT_EQ(run.result.sourceRecords, 2);
}

TEST_F(RecordLoopTest, AppendingWritesNoHeading) {
  const LoopRun run =
      RunOn(AllItems(), HeadingKind::User, "ID,V\r\n" + Records(2, 3), true, 0, "ID,V\r\n" + Records(2));
  EXPECT_EQ(run.extract, "ID,V\r\n" + Records(4));
  EXPECT_EQ(run.result.extractRecords, 2);
}

TEST_F(RecordLoopTest, BlankLineIsARecordOfEmptyItems) {
  const LoopRun run = RunOn(AllItems(), HeadingKind::None, "a,b\r\n\r\nc,d\r\n");
  EXPECT_EQ(run.extract, "a,b\r\n,\r\nc,d\r\n");
  EXPECT_EQ(run.result.sourceRecords, 3);
}

TEST_F(RecordLoopTest, SourceEndingBeforeItsHeadingGivesAHeadingOfCommas) {
  ExtractionPlan plan = AllItems();
  plan.cellRules = {{1, 3, 0, 0, 0}};
  const LoopRun run = RunOn(plan, HeadingKind::User, "");
  EXPECT_EQ(run.extract, ",,\r\n");
  EXPECT_EQ(run.result.sourceRecords, 0);
}

TEST_F(RecordLoopTest, GroupedCodesStopAtTheFirstKeyBeyondTheLastRange) {
  std::string source = "k,050\r\nk,100\r\nk,150\r\nk,200\r\nk,120\r\nk,300\r\n";
  for (int n = 0; n < 400000; ++n) source += "k,120\r\n";
  const LoopRun run = RunOn(CodePlan(CodeGrouping::GroupedInOrder, false), HeadingKind::None, source);
  EXPECT_EQ(run.extract, "k,100\r\nk,150\r\n");
  EXPECT_EQ(run.result.sourceRecords, 4);  // the record with 200 is counted, not written
  EXPECT_EQ(run.nextLine, "k,120");
}

TEST_F(RecordLoopTest, AllExceptReadsTheWholeFile) {
  const std::string source = "k,050\r\nk,100\r\nk,150\r\nk,200\r\nk,120\r\nk,300\r\n";
  for (const CodeGrouping grouping :
       {CodeGrouping::GroupedInOrder, CodeGrouping::Unknown, CodeGrouping::Scattered}) {
    const LoopRun run = RunOn(CodePlan(grouping, true), HeadingKind::None, source);
    EXPECT_EQ(run.extract, "k,050\r\nk,200\r\nk,300\r\n");
    EXPECT_EQ(run.result.sourceRecords, 6);
  }
  const LoopRun scattered = RunOn(CodePlan(CodeGrouping::Scattered, false), HeadingKind::None, source);
  EXPECT_EQ(scattered.extract, "k,100\r\nk,150\r\nk,120\r\n");
}

TEST_F(RecordLoopTest, ValueModeKeepsOnlyKeysOfTheLength) {
  ExtractionPlan plan = AllItems();
  plan.recordMode = RecordMode::Value;
  plan.keyRanges = {{2, 2, 0, 0, 0}};
  plan.keyLength = 3;
  plan.codeRanges = {{"200", "300"}};
  const std::string source = "a,250\r\nb,\"250\"\r\nc,1000\r\nd,99\r\n";
  EXPECT_EQ(RunOn(plan, HeadingKind::None, source).extract, "a,250\r\nb,\"250\"\r\n");
  plan.extractAllExcept = true;
  EXPECT_EQ(RunOn(plan, HeadingKind::None, source).extract, "c,1000\r\nd,99\r\n");
}

// Cancel: the hook confirms the cancel while record k is serviced; record k
// is still tested and written, record k+1 is read and counted, not written.
struct CancelCase {
  const char* name;
  int cancelAt;
  std::int64_t sourceRecords;
  int written;
};

// Names the case in test listings and failures instead of a byte dump.
void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class CancelTest : public RecordLoopTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelTest, StopsAfterTheNextRead) {
  const CancelCase& c = GetParam();
  const LoopRun run = RunOn(AllItems(), HeadingKind::User, "ID,V\r\n" + Records(10), false, c.cancelAt);
  EXPECT_TRUE(run.result.Cancelled());
  EXPECT_EQ(run.result.sourceRecords, c.sourceRecords);
  EXPECT_EQ(run.result.extractRecords, c.written);
  EXPECT_EQ(run.extract, "ID,V\r\n" + Records(c.written));
  EXPECT_EQ(run.hookCalls, std::min(c.cancelAt, 10));
}

INSTANTIATE_TEST_SUITE_P(Records, CancelTest,
                         ::testing::Values(CancelCase{"AtTheFirstRecord", 1, 2, 1},
                                           CancelCase{"InTheMiddle", 4, 5, 4},
                                           CancelCase{"AtTheLastRecord", 10, 10, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

// The cancel request is the service hook's answer: the earliest it can come
// is while the first record is serviced, which is still written.
TEST_F(RecordLoopTest, CancelAtTheFirstServiceCountsTwoRecords) {
  const std::string sourcePath = folder_.Write("source.csv", Records(5));
  LineReader reader;
  ASSERT_FALSE(reader.Open(sourcePath));
  LineWriter writer;
  ASSERT_FALSE(writer.Open(folder_ / "extract.csv", LineWriter::Mode::Create));
  bool cancel = true;
  FakeHook hook(cancel);
  const FileRunResult result = ProcessSourceFile(AllItems(), HeadingKind::None, reader, writer, false, hook);
  EXPECT_TRUE(result.Cancelled());
  EXPECT_EQ(result.sourceRecords, 2);
  EXPECT_EQ(result.extractRecords, 1);
  EXPECT_EQ(hook.calls, 1);
}

TEST_F(RecordLoopTest, WriteFailureEndsTheFileAtOnce) {
  const std::string sourcePath = folder_.Write("source.csv", Records(1000));
  LineReader reader;
  ASSERT_FALSE(reader.Open(sourcePath));
  LineWriter writer(64);  // writes out every 64 bytes
  ASSERT_FALSE(writer.Open("/dev/full", LineWriter::Mode::Create));
  bool cancel = false;
  FakeHook hook(cancel);
  const FileRunResult result = ProcessSourceFile(AllItems(), HeadingKind::None, reader, writer, false, hook);
  ASSERT_TRUE(result.Failure());
  EXPECT_NE(result.Failure()->message.find(Sj("ディスクに空き領域がありません")), std::string::npos);
  EXPECT_LT(result.sourceRecords, 20);
  EXPECT_FALSE(result.Cancelled());
  writer.Close();
}

TEST_F(RecordLoopTest, ReadFailureEndsTheFileBeforeAnyOutput) {
  LineReader reader;
  // Opens, but reading it from offset 0 fails with EIO (nothing is mapped there).
  ASSERT_FALSE(reader.Open("/proc/self/mem"));
  const std::string extractPath = folder_ / "extract.csv";
  LineWriter writer;
  ASSERT_FALSE(writer.Open(extractPath, LineWriter::Mode::Create));
  bool cancel = false;
  FakeHook hook(cancel);
  const FileRunResult result = ProcessSourceFile(AllItems(), HeadingKind::User, reader, writer, false, hook);
  ASSERT_TRUE(result.Failure());
  EXPECT_EQ(result.sourceRecords, 0);
  EXPECT_EQ(hook.calls, 0);
  ASSERT_FALSE(writer.Close());
  EXPECT_EQ(ReadAll(extractPath), "");  // not even the heading
}

// A line past the longest line allowed (32 bytes here) ends the file with
// its message; the heading and the records before it are in the extract.
TEST_F(RecordLoopTest, LineTooLongEndsTheFileKeepingWhatCameBefore) {
  const std::string tooLong(33, 'x');
  const struct {
    std::string source;
    std::string extract;
    int records;
  } cases[] = {
      {"ID,V\r\n" + Records(3) + tooLong + "\r\n" + Records(2, 4), "ID,V\r\n" + Records(3), 3},
      {"ID,V\r\n" + Records(3) + std::string(32, 'y') + "\r\n",
       "ID,V\r\n" + Records(3) + std::string(32, 'y') + ",\r\n", 4},
      {tooLong + "\r\n" + Records(2), "", 0},
  };
  for (const auto& c : cases) {
    const std::string sourcePath = folder_.Write("source.csv", c.source);
    const std::string extractPath = folder_ / "extract.csv";
    LineReader reader(8, 32);
    ASSERT_FALSE(reader.Open(sourcePath));
    LineWriter writer;
    ASSERT_FALSE(writer.Open(extractPath, LineWriter::Mode::Create));
    bool cancel = false;
    FakeHook hook(cancel);
    const FileRunResult result =
        ProcessSourceFile(AllItems(), HeadingKind::User, reader, writer, false, hook);
    ASSERT_FALSE(writer.Close());
    EXPECT_EQ(ReadAll(extractPath), c.extract);
    EXPECT_EQ(result.sourceRecords, c.records);
    EXPECT_EQ(result.extractRecords, c.records);
    const bool tooLongLine = c.source.find(tooLong) != std::string::npos;
    ASSERT_EQ(result.Failure() != nullptr, tooLongLine);
    if (tooLongLine) {
      EXPECT_EQ(result.Failure()->message.find(Sj("1行が長すぎて読めません")), 0u);
    }
  }
}

}  // namespace
}  // namespace sifta
