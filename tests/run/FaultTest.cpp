// Faults and bad input, each through a whole run as the main window makes it:
// the layout read from the chosen file (ReadFileLayout, with the heading
// question answered), then RunExtraction with a fake window layer. Each case
// states what the user is shown and what the files hold afterwards; a failed
// run never changes a source file. Read and write errors come from the
// platform's fault seam (support/Faults.h), so they are the same on Linux
// and under Wine.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "inspect/FileLayout.h"
#include "run/FileSeries.h"
#include "run/FileSeriesFake.h"
#include "scan/Cp932.h"
#include "support/Faults.h"
#include "support/Fixtures.h"

namespace sifta::testing {
namespace {

namespace fs = std::filesystem;

const std::string kFinished = "** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。";
const std::string kIncomplete = "** 次の抽出ﾌｧｲﾙは不完全です：";

// The layout as choosing the file gives it; `answer` is the reply to the
// heading question (asked only when line 1 is no standard heading).
LayoutResult ChooseSource(const std::string& path, std::optional<HeadingKind> answer = HeadingKind::User) {
  return ReadFileLayout(path, [answer] { return answer; });
}

FileLayout LayoutOf(const std::string& path, std::optional<HeadingKind> answer = HeadingKind::User) {
  LayoutResult result = ChooseSource(path, answer);
  if (auto* layout = std::get_if<FileLayout>(&result)) return *layout;
  ADD_FAILURE() << "no layout for " << path;
  return {};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// "name,<n>" lines after a standard heading.
std::string Numbered(const std::string& name, int count) {
  std::string text = Sj("ID,ｾﾙ1") + "\r\n";
  for (int n = 1; n <= count; ++n) text += name + "," + std::to_string(n) + "\r\n";
  return text;
}

class FaultTest : public ::testing::Test {
 protected:
  RunOutcome Run(const std::string& source, const std::string& extract, const FileLayout& layout) {
    return RunExtraction(Everything(source, extract), layout, windows, record);
  }

  RunFolder folder;
  FakeWindows windows;
  RunRecord record;
};

// ---- Source files that go missing or cannot be read during a series ----

// Removes a file while the first file of the series is being cut.
class RemovingWindows : public FakeWindows {
 public:
  explicit RemovingWindows(std::string victim) : victim_(std::move(victim)) {}
  bool ServicePendingEvents() override {
    const bool cancel = FakeWindows::ServicePendingEvents();
    if (progressShowings == 1) fs::remove(victim_);
    return cancel;
  }

 private:
  std::string victim_;
};

TEST_F(FaultTest, SourceThatDisappearsDuringASeriesStopsTheRunAfterTheFilesDone) {
  const std::string one = Numbered("a", 3), two = Numbered("b", 3), three = Numbered("c", 3);
  WriteBytes("data01.csv", one);
  WriteBytes("data02.csv", two);
  WriteBytes("data03.csv", three);
  RemovingWindows removing("data02.csv");
  removing.entries = {LastEntry("01", "03")};
  EXPECT_EQ(RunExtraction(Everything("data@.csv", "out.csv"), LayoutOf("data01.csv"), removing, record),
            RunOutcome::Failed);
  ASSERT_EQ(removing.messages.size(), 1u);
  EXPECT_TRUE(Contains(removing.messages[0], "ファイルが見つかりません")) << removing.messages[0];
  EXPECT_TRUE(Contains(removing.messages[0], "data02.csv")) << removing.messages[0];
  // The first file is complete in the extract; the third was never opened.
  EXPECT_EQ(ReadBytes("out.csv"), one);
  EXPECT_EQ(ReadBytes("data01.csv"), one);
  EXPECT_EQ(ReadBytes("data03.csv"), three);
  EXPECT_EQ(removing.list.size(), 6u + 2u);  // the block of 01, the series lines of 02
  EXPECT_FALSE(removing.inProgress);
  EXPECT_FALSE(removing.progressOpen);
}

TEST_F(FaultTest, SourceThatCannotBeReadDuringASeries) {
  const std::string one = Numbered("a", 2);
  struct Case {
    const char* name;
    void (*make)();
    const char* shown;  // part of the message
    bool namesExtract;  // the message says which extract file is incomplete
  };
  const Case cases[] = {
      {"a folder", [] { fs::create_directory("data02.csv"); }, "フォルダーはファイルとして開けません", false},
      // Opens as a file, but every read fails.
      {"a read error", [] { WriteBytes("data02.csv", Numbered("b", 2)); }, "入出力エラーです", true},
  };
  Faults faults;
  faults.reads = {{"data02.csv", 0, platform::SystemError{platform::ErrorKind::Io, 5}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all("data02.csv");
    fs::remove("out.csv");
    WriteBytes("data01.csv", one);
    c.make();
    FakeWindows series;
    series.entries = {LastEntry("01", "02")};
    EXPECT_EQ(RunExtraction(Everything("data@.csv", "out.csv"), LayoutOf("data01.csv"), series, record),
              RunOutcome::Failed);
    ASSERT_EQ(series.messages.size(), 1u);
    EXPECT_TRUE(Contains(series.messages[0], c.shown)) << series.messages[0];
    EXPECT_EQ(Contains(series.messages[0], kIncomplete + "\r\nout.csv"), c.namesExtract)
        << series.messages[0];
    EXPECT_EQ(ReadBytes("out.csv"), one);
    EXPECT_EQ(ReadBytes("data01.csv"), one);
    EXPECT_FALSE(series.inProgress);
  }
}

// ---- Extract files that cannot be made or written ----

TEST_F(FaultTest, ExtractThatCannotBeCreated) {
  const std::string source = Numbered("a", 2);
  WriteBytes("data.csv", source);
  WriteBytes("blocker", "");  // a file where a folder of the path should be
  fs::create_directory("folder.csv");
  struct Case {
    const char* extract;
    const char* shown;
  };
  const Case cases[] = {{"blocker/sub/out.csv", "パスが見つかりません"},
                        {"folder.csv", "フォルダーはファイルとして開けません"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extract);
    FakeWindows refused;
    EXPECT_EQ(RunExtraction(Everything("data.csv", c.extract), LayoutOf("data.csv"), refused, record),
              RunOutcome::Failed);
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_TRUE(Contains(refused.messages[0], c.shown)) << refused.messages[0];
    EXPECT_TRUE(Contains(refused.messages[0], c.extract)) << refused.messages[0];
    EXPECT_FALSE(Contains(refused.messages[0], kIncomplete)) << refused.messages[0];
    EXPECT_EQ(ReadBytes("data.csv"), source);
    EXPECT_EQ(ReadBytes("blocker"), "");
    EXPECT_TRUE(fs::is_empty("folder.csv"));
  }
}

// The extract's disk is full from the first byte on, or the extract reaches
// a size limit in the middle of a line (as a disk that fills up during the
// run): the run says so and names the extract file; what was written before
// stays.
TEST_F(FaultTest, ExtractCutShortByAFullDisk) {
  constexpr std::int64_t kLimit = 64 * 1024;
  std::string source = Sj("ID,ｾﾙ1") + "\r\n";
  for (int n = 1; n <= 20000; ++n) source += "record" + std::to_string(n) + "," + std::to_string(n) + "\r\n";
  WriteBytes("big.csv", source);
  struct Case {
    const char* name;
    std::int64_t at;
    platform::ErrorKind error;
    const char* shown;
  };
  const Case cases[] = {{"a full disk", 0, platform::ErrorKind::DiskFull, "ディスクに空き領域がありません"},
                        {"a size limit", kLimit, platform::ErrorKind::TooLarge, "ファイルが大きすぎます"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Faults faults;
    faults.writes = {{".sifta-tmp", c.at, platform::SystemError{c.error, 28}}};
    FakeWindows full;
    EXPECT_EQ(RunExtraction(Everything("big.csv", "out.csv"), LayoutOf("big.csv"), full, record),
              RunOutcome::Failed);
    ASSERT_EQ(full.messages.size(), 1u);
    EXPECT_TRUE(Contains(full.messages[0], c.shown)) << full.messages[0];
    EXPECT_TRUE(Contains(full.messages[0], kIncomplete + "\r\nout.csv")) << full.messages[0];
    EXPECT_EQ(ReadBytes("out.csv"), source.substr(0, static_cast<std::size_t>(c.at)));
    EXPECT_EQ(ReadBytes("big.csv"), source);
    EXPECT_FALSE(full.inProgress || full.progressOpen);
  }
}

// ---- Source files with bad content ----

struct ContentCase {
  const char* name;
  std::string source;
  std::optional<HeadingKind> answer;  // to the heading question
  std::string extract;                // what the extract file holds afterwards
  std::int64_t sourceRecords;
  bool endedAtMark = false;  // the user is told that bytes after a 0x1A were not read
};

// Names the case in test listings and failures instead of a byte dump.
void PrintTo(const ContentCase& c, std::ostream* os) { *os << c.name; }

class BadContent : public ::testing::TestWithParam<ContentCase> {};

TEST_P(BadContent, IsCutByTheByteRulesAndCopiedByteForByte) {
  const ContentCase& c = GetParam();
  RunFolder folder;
  WriteBytes("data.csv", c.source);
  FakeWindows windows;
  RunRecord record;
  EXPECT_EQ(RunExtraction(Everything("data.csv", "out.csv"), LayoutOf("data.csv", c.answer), windows, record),
            RunOutcome::Finished);
  std::vector<std::string> messages{kFinished};
  if (c.endedAtMark)
    messages.insert(messages.begin(),
                    "** 次の元ﾌｧｲﾙは途中にある文字ｺｰﾄﾞ1A（EOF）で終わりとみなし、"
                    "その後ろは読んでいません：\r\ndata.csv");
  EXPECT_EQ(windows.messages, messages);
  EXPECT_EQ(ReadBytes("out.csv"), c.extract);
  EXPECT_EQ(record.sourceTotal, c.sourceRecords);
  EXPECT_EQ(ReadBytes("data.csv"), c.source);
}

const std::string kHeading = Sj("ID,ｾﾙ1") + "\r\n";

// A literal with its NUL bytes.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

INSTANTIATE_TEST_SUITE_P(
    FaultTest, BadContent,
    ::testing::Values(
        ContentCase{"NulBytes",
                    kHeading + Bytes("A\0B,1\0\r\n\0,\0\r\n"),
                    {},
                    kHeading + Bytes("A\0B,1\0\r\n\0,\0\r\n"),
                    2},
        // Bytes that are no code page 932 character pass through unchanged.
        ContentCase{"InvalidCodePage932",
                    kHeading + "\x80\xA0,\xFD\xFE\xFF\r\n\x81\x20,\x85\x7F\r\n",
                    {},
                    kHeading + "\x80\xA0,\xFD\xFE\xFF\r\n\x81\x20,\x85\x7F\r\n",
                    2},
        // The CR ends the line even after a lead byte.
        ContentCase{"LeadByteAtTheEndOfALine",
                    kHeading + "A,1\x81\r\nB,2\x9F\r\n",
                    {},
                    kHeading + "A,1\x81\r\nB,2\x9F\r\n",
                    2},
        // A lead byte takes the comma after it as its trail byte: the record
        // holds one item, and the cell it lacks is written empty.
        ContentCase{"LeadByteBeforeAComma", kHeading + "A\x81,1\r\n", {}, kHeading + "A\x81,1,\r\n", 1},
        // 0x1A ends the text: what follows it is not read.
        ContentCase{"Lone1AInTheMiddle",
                    kHeading + "A,1\r\nB\x1A,2\r\nC,3\r\n",
                    {},
                    kHeading + "A,1\r\nB,\r\n",
                    2,
                    true},
        ContentCase{"EndMarkAtTheEnd", kHeading + "A,1\r\n\x1A", {}, kHeading + "A,1\r\n", 1},
        ContentCase{
            "NoLineEndAfterTheLastRecord", kHeading + "A,1\r\nB,2", {}, kHeading + "A,1\r\nB,2\r\n", 2},
        // LF alone ends no line: without heading the whole file is one record.
        ContentCase{"LfOnlyLineEnds", "a,b\nc,d\n", HeadingKind::None, "a,b\nc,d\n\r\n", 1},
        // Missing items are written empty; items past the heading's are not written.
        ContentCase{"RecordsShorterAndLongerThanTheHeading",
                    Sj("ID,ｾﾙ1,ｾﾙ2") + "\r\nA\r\nB,1,2,3,4\r\n\r\n\"C,1\r\n",
                    {},
                    Sj("ID,ｾﾙ1,ｾﾙ2") + "\r\nA,,\r\nB,1,2\r\n,,\r\n\"C,1,,\r\n",
                    4}),
    [](const ::testing::TestParamInfo<ContentCase>& info) { return std::string(info.param.name); });

TEST_F(FaultTest, SourceWithoutDataIsRefusedWhenChosen) {
  // A heading alone, a heading without line end, a standard heading with LF
  // line ends (the whole file is line 1): no record to cut.
  for (const std::string& bytes : {kHeading, Sj("ID,ｾﾙ1"), Sj("ID,ｾﾙ1\nA,1\nB,2\n")}) {
    WriteBytes("data.csv", bytes);
    LayoutResult result = ChooseSource("data.csv");
    EXPECT_TRUE(std::holds_alternative<LayoutNoData>(result)) << Utf8(bytes);
  }
}

TEST_F(FaultTest, UnclosedQuoteInTheHeadingIsRefusedBeforeAnyFileIsMade) {
  const std::string refusal = "** 元ﾌｧｲﾙの1行目に閉じていない「\"」があります。ﾌｧｲﾙを確認してください。";
  struct Case {
    const char* name;
    std::string heading;
    int ridItemCount;
    int bodyCellCount;
  };
  const Case cases[] = {{"before the cell marker", Sj("ID,\"NAME,ｾﾙ1"), -1, 1},
                        {"after the cell marker", Sj("ID,ｾﾙ1,\"X"), 1, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = c.heading + "\r\nA,B,1\r\n";
    WriteBytes("data.csv", source);
    const FileLayout layout = LayoutOf("data.csv");
    EXPECT_EQ(layout.itemCount, 0);
    EXPECT_EQ(layout.ridItemCount, c.ridItemCount);
    EXPECT_EQ(layout.bodyCellCount, c.bodyCellCount);
    FakeWindows refused;
    EXPECT_EQ(RunExtraction(Everything("data.csv", "out.csv"), layout, refused, record), RunOutcome::Refused);
    EXPECT_EQ(refused.messages, std::vector<std::string>{refusal});
    EXPECT_FALSE(fs::exists("out.csv"));
    EXPECT_EQ(ReadBytes("data.csv"), source);
  }
}

TEST_F(FaultTest, HeadingOfHundredThousandItems) {
  constexpr int kCells = 99999;
  const std::string marker = Sj(",ｾﾙ");
  std::string heading = "ID";
  std::string record = "A";
  for (int n = 1; n <= kCells; ++n) {
    heading.append(marker).append(std::to_string(n));
    record.push_back(',');
    record.push_back(static_cast<char>('0' + n % 10));
  }
  const std::string source = heading + "\r\n" + record + "\r\nB,1\r\n";
  WriteBytes("data.csv", source);
  const FileLayout layout = LayoutOf("data.csv");
  ASSERT_EQ(layout.itemCount, kCells + 1);
  EXPECT_EQ(layout.ridItemCount, 1);

  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Run("data.csv", "out.csv", layout), RunOutcome::Finished);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));  // no quadratic work
  EXPECT_EQ(windows.messages, std::vector<std::string>{kFinished});
  // The short record gets every missing cell as an empty item.
  EXPECT_EQ(ReadBytes("out.csv"),
            heading + "\r\n" + record + "\r\nB,1" + std::string(kCells - 1, ',') + "\r\n");
}

// Line ends of LF alone: the whole file is one line, however long. A few
// megabytes here; SIFTA_LARGE_TESTS=1 makes it ~300 MB.
TEST_F(FaultTest, LfOnlyFileIsOneLongRecord) {
  const bool large = std::getenv("SIFTA_LARGE_TESTS") != nullptr;
  const size_t lines = large ? 20'000'000 : 400'000;  // 15 bytes each
  std::string source;
  source.reserve(lines * 15);
  for (size_t n = 0; n < lines; ++n) source += "12345,67890,ab\n";
  WriteBytes("data.csv", source);
  const FileLayout layout = LayoutOf("data.csv", HeadingKind::None);
  EXPECT_EQ(layout.itemCount, static_cast<int>(2 * lines + 1));
  EXPECT_EQ(Run("data.csv", "out.csv", layout), RunOutcome::Finished);
  EXPECT_EQ(windows.messages, std::vector<std::string>{kFinished});
  EXPECT_EQ(record.sourceTotal, 1);
  const std::optional<std::string> written = ReadBytes("out.csv");
  ASSERT_TRUE(written);
  EXPECT_EQ(written->size(), source.size() + 2);
  EXPECT_TRUE(*written == source + "\r\n");
}

// ---- The extract is the source under another name ----

TEST_F(FaultTest, ExtractThatIsTheSourceUnderAnotherNameIsRefused) {
  const std::string source = Numbered("a", 2);
  WriteBytes("data.csv", source);
  const std::string refusal = "** 抽出ﾌｧｲﾙが元ﾌｧｲﾙと同じです。";
  struct Case {
    const char* name;
    std::string sourceName;
    std::string extractName;
    std::vector<SubstitutionTexts> entries;
  };
  const std::vector<Case> cases{
      {"with blanks around it", "data.csv", "  data.csv ", {}},
      {"doubled separators", "data.csv", ".//.//./data.csv", {}},
      {"the same @ pattern", "dat@.csv", "dat@.csv", {LastEntry("a")}},
#ifndef _WIN32  // folders linked by the user, and the links of Linux
      {"through a linked folder", "data.csv", "here/data.csv", {}},
      {"through /proc/self/cwd", "data.csv", "/proc/self/cwd/data.csv", {}},
      {"doubled separators through a link", "data.csv", ".//here//./data.csv", {}},
      {"another @ pattern", "dat@.csv", "here/dat@.csv", {LastEntry("a")}},
#endif
  };
#ifndef _WIN32
  fs::create_directory_symlink(".", "here");
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeWindows refused;
    refused.entries.assign(c.entries.begin(), c.entries.end());
    EXPECT_EQ(RunExtraction(Everything(c.sourceName, c.extractName), LayoutOf("data.csv"), refused, record),
              RunOutcome::Failed);
    EXPECT_EQ(refused.messages, std::vector<std::string>{refusal});
    EXPECT_EQ(ReadBytes("data.csv"), source);
    EXPECT_EQ(refused.progressShowings, 0);
  }
}

}  // namespace
}  // namespace sifta::testing
