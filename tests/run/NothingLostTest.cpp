// Nothing lost: a run never changes a file it reads, never reports records
// its extract does not hold, and never mixes its records with another run's.
// Every case checks the files the run read, byte for byte, afterwards, and
// that no temporary file is left in the folder.
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/types.h>
#endif

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inspect/FileLayout.h"
#include "run/ExtractFile.h"
#include "run/FileSeries.h"
#include "run/FileSeriesFake.h"
#include "support/Faults.h"
#include "support/Fixtures.h"

namespace sifta::testing {
namespace {

namespace fs = std::filesystem;

const std::string kRefusal = "** 抽出ﾌｧｲﾙが元ﾌｧｲﾙと同じです。";
const std::string kFinished = "** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。";

// "<name>,<n>" records after a standard heading.
std::string Numbered(const std::string& name, int count) {
  std::string text = Sj("ID,ｾﾙ1") + "\r\n";
  for (int n = 1; n <= count; ++n) text += name + "," + std::to_string(n) + "\r\n";
  return text;
}

FileLayout Layout(const std::string& fileName) { return OneCellLayout(fileName, "a,1"); }

// Every regular file under the current folder with its bytes.
std::map<std::string, std::string> Files() {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator("."))
    if (entry.is_regular_file() && !entry.is_symlink())
      files[entry.path().lexically_normal().string()] = *ReadBytes(entry.path().string());
  return files;
}

std::vector<std::string> TemporaryFiles() {
  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator("."))
    if (entry.path().string().find(".sifta-tmp") != std::string::npos ||
        entry.path().string().find(".sifta-lock") != std::string::npos)
      left.push_back(entry.path().lexically_normal().generic_string());
  return left;
}

// d01.csv .. d03.csv, each with records of its own.
void WriteSeries() {
  WriteBytes("d01.csv", Numbered("a", 2));
  WriteBytes("d02.csv", Numbered("b", 3));
  WriteBytes("d03.csv", Numbered("c", 1));
}

class NothingLostTest : public ::testing::Test {
 protected:
  RunFolder folder;
  RunRecord record;
};

// A later source of the series turns out to be the extract being written:
// refused when it comes up, with the extract's records so far dropped and
// the source as it was.
TEST_F(NothingLostTest, LaterSourceThatIsTheExtractIsRefusedUntouched) {
  struct Case {
    const char* name;
    std::string extract;
    std::vector<SubstitutionTexts> entries;
  };
  const std::vector<Case> cases{
      {"entries one by one", "d03.csv", {Entry("01"), Entry("02"), LastEntry("03")}},
      {"a range, then the text", "d03.csv", {Entry("01", "02"), LastEntry("03")}},
      {"a hard link, within the range", "hard.csv", {LastEntry("01", "03")}},
      {"another spelling", "./sub/../d03.csv", {Entry("01"), LastEntry("03")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all("sub");
    fs::remove("hard.csv");
    WriteSeries();
    fs::create_directory("sub");
    fs::create_hard_link("d03.csv", "hard.csv");
    const auto before = Files();
    FakeWindows windows;
    windows.entries.assign(c.entries.begin(), c.entries.end());
    EXPECT_EQ(RunExtraction(Everything("d@.csv", c.extract), Layout("d01.csv"), windows, record),
              RunOutcome::Failed);
    EXPECT_EQ(windows.messages, std::vector<std::string>{kRefusal});
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
    EXPECT_FALSE(windows.inProgress);
  }
}

TEST_F(NothingLostTest, ExtractThatIsTheChosenFileIsRefusedBeforeWriting) {
  WriteSeries();
  std::vector<std::string> extracts{"d01.csv", "./d01.csv"};
#ifndef _WIN32
  fs::create_symlink("d01.csv", "link.csv");
  extracts.push_back("link.csv");
#endif
  for (const std::string& extract : extracts) {
    SCOPED_TRACE(extract);
    const auto before = Files();
    FakeWindows windows;
    windows.entries = {LastEntry("02")};
    EXPECT_EQ(RunExtraction(Everything("d@.csv", extract), Layout("d01.csv"), windows, record),
              RunOutcome::Failed);
    EXPECT_EQ(windows.messages, std::vector<std::string>{kRefusal});
    EXPECT_EQ(windows.progressShowings, 0);
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
  }
}

// Another spelling of the previous iteration's extract file appends to it,
// so the totals count only records the file holds.
TEST_F(NothingLostTest, SameExtractFileUnderAnotherSpellingAppends) {
  WriteSeries();
  struct Case {
    const char* name;
    std::string extract;
  };
  const std::vector<Case> cases{{"through a folder of the entry", "x@/../out.csv"},
#ifndef _WIN32
                                {"through a linked folder", "x@/../here/out.csv"},
#endif
                                {"doubled separators", "x@/..//./out.csv"}};
#ifndef _WIN32
  fs::create_directory_symlink(".", "here");
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove("out.csv");
    FakeWindows windows;
    windows.entries = {LastEntry("01", "03")};
    EXPECT_EQ(RunExtraction(Everything("d@.csv", c.extract), Layout("d01.csv"), windows, record),
              RunOutcome::Finished);
    EXPECT_EQ(ReadBytes("out.csv"), Numbered("a", 2) + "b,1\r\nb,2\r\nb,3\r\nc,1\r\n");
    EXPECT_EQ(record.extractTotal, 6);
    EXPECT_EQ(record.informationExtractCount, 6);
    EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
  }
}

// What the run sees while it works: the older extract file stays as it was
// until the run is done with it.
class PeekingWindows : public FakeWindows {
 public:
  bool ServicePendingEvents() override {
    const bool cancel = FakeWindows::ServicePendingEvents();
    seen.push_back(*ReadBytes("out.csv"));
    return cancel;
  }
  std::vector<std::string> seen;
};

#ifndef _WIN32  // the permissions and the link of the older file are POSIX's
TEST_F(NothingLostTest, OlderExtractStaysUntilTheRunIsDoneWithIt) {
  WriteSeries();
  WriteBytes("out.csv", "older\r\n");
  ::chmod("out.csv", 0640);
  fs::create_symlink("out.csv", "link.csv");
  PeekingWindows windows;
  windows.entries = {LastEntry("01", "02")};
  EXPECT_EQ(RunExtraction(Everything("d@.csv", "link.csv"), Layout("d01.csv"), windows, record),
            RunOutcome::Finished);
  EXPECT_EQ(windows.seen, std::vector<std::string>(5, "older\r\n"));
  // The file the link leads to is replaced; the link and the permissions stay.
  EXPECT_TRUE(fs::is_symlink("link.csv"));
  EXPECT_EQ(ReadBytes("out.csv"), Numbered("a", 2) + "b,1\r\nb,2\r\nb,3\r\n");
  EXPECT_EQ(fs::status("out.csv").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
}
#endif

TEST_F(NothingLostTest, CancelLeavesEveryExtractInPlace) {
  WriteSeries();
  const auto sources = Files();
  FakeWindows windows;
  windows.entries = {LastEntry("01", "03")};
  windows.cancelInFile = 2;  // at the second record of d02.csv
  windows.cancelAtRecord = 2;
  EXPECT_EQ(RunExtraction(Everything("d@.csv", "o@.csv"), Layout("d01.csv"), windows, record),
            RunOutcome::Finished);
  EXPECT_EQ(windows.messages, std::vector<std::string>{kFinished});
  EXPECT_EQ(ReadBytes("o01.csv"), Numbered("a", 2));
  EXPECT_EQ(ReadBytes("o02.csv"), Numbered("b", 2));  // cut short: d02.csv has 3
  EXPECT_FALSE(fs::exists("o03.csv"));
  EXPECT_TRUE(record.cancelled);
  EXPECT_EQ(record.cancelledExtractFile, "o02.csv");
  for (const auto& [name, bytes] : sources) EXPECT_EQ(ReadBytes(name), bytes) << name;
  EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
}

// Another run holds the extract: refused before anything is written, the
// file named; once that run is done, the extract can be written.
TEST_F(NothingLostTest, ExtractBeingWrittenByAnotherRunIsRefused) {
  WriteSeries();
  WriteBytes("out.csv", "older\r\n");
  auto other = ExtractFile::Begin("./out.csv");
  ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ExtractFile>>(other));
  const auto before = Files();
  for (const std::string extract : {"out.csv", "sub/../out.csv"}) {
    SCOPED_TRACE(extract);
    fs::create_directory("sub");
    FakeWindows windows;
    EXPECT_EQ(RunExtraction(Everything("d01.csv", extract), Layout("d01.csv"), windows, record),
              RunOutcome::Failed);
    EXPECT_EQ(windows.messages,
              std::vector<std::string>{"** 次の抽出ﾌｧｲﾙは他の実行が書き込み中です：\r\n" + extract});
    EXPECT_EQ(windows.progressShowings, 0);
    EXPECT_EQ(Files(), before);
  }
  // A series that reaches the busy extract keeps what it finished.
  auto second = ExtractFile::Begin("x02.csv");
  FakeWindows reaching;
  reaching.entries = {LastEntry("01", "02")};
  EXPECT_EQ(RunExtraction(Everything("d@.csv", "x@.csv"), Layout("d01.csv"), reaching, record),
            RunOutcome::Failed);
  EXPECT_EQ(reaching.messages,
            std::vector<std::string>{"** 次の抽出ﾌｧｲﾙは他の実行が書き込み中です：\r\nx02.csv"});
  EXPECT_EQ(ReadBytes("x01.csv"), Numbered("a", 2));
  EXPECT_FALSE(fs::exists("x02.csv"));
  std::get<std::unique_ptr<ExtractFile>>(second).reset();

  std::get<std::unique_ptr<ExtractFile>>(other).reset();
  FakeWindows after;
  EXPECT_EQ(RunExtraction(Everything("d01.csv", "out.csv"), Layout("d01.csv"), after, record),
            RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out.csv"), Numbered("a", 2));
  EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
}

// The temporary file is made new: a file that already has a name a
// temporary file could have (a source rescued from a killed run, a hard link
// to a source, the file of a killed run) is never emptied, moved or removed.
TEST_F(NothingLostTest, TheTemporaryFileIsNeverAFileThatWasThere) {
  struct Case {
    const char* name;
    std::string source;
    std::string layout;
    std::string extract;
  };
  const std::vector<Case> cases{
      {"a rescued source", "o.csv.sifta-tmp", "o.csv.sifta-tmp", "o.csv"},
      {"a rescued file chosen for the layout", "d@.csv", "o.csv.sifta-tmp", "o.csv"},
      {"a hard link to the source", "d01.csv", "d01.csv", "x.csv"},
      {"the files of a killed run", "d01.csv", "d01.csv", "out.csv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& entry : fs::directory_iterator(".")) fs::remove_all(entry.path());
    WriteSeries();
    WriteBytes("o.csv.sifta-tmp", Numbered("r", 3));
    fs::create_hard_link("d01.csv", "x.csv.sifta-tmp");
    WriteBytes("out.csv.sifta-tmp", "left behind\r\n");
    WriteBytes("out.csv.0badf00d.sifta-tmp", "left behind too\r\n");
    WriteBytes("out.csv.sifta-lock", "");
    const auto before = Files();
    FakeWindows windows;
    windows.entries = {LastEntry("02")};
    EXPECT_EQ(RunExtraction(Everything(c.source, c.extract), Layout(c.layout), windows, record),
              RunOutcome::Finished);
    auto after = Files();
    const std::string wanted = c.source == "o.csv.sifta-tmp" ? Numbered("r", 3)
                               : c.source == "d@.csv"        ? Numbered("b", 3)
                                                             : Numbered("a", 2);
    EXPECT_EQ(after[c.extract], wanted);
    after.erase(c.extract);
    EXPECT_EQ(after, before);  // every other file as it was, and no file more
  }
}

// The file system as a test can make it on every platform: reads and
// writes of a few bytes at a time change nothing; a claim file that another
// program holds locked refuses the run before anything is written.
TEST_F(NothingLostTest, ShortReadsAndWritesAndALockHeldElsewhere) {
  WriteSeries();
  FakeWindows plain;
  plain.entries = {LastEntry("01", "03")};
  ASSERT_EQ(RunExtraction(Everything("d@.csv", "plain.csv"), Layout("d01.csv"), plain, record),
            RunOutcome::Finished);
  {
    Faults faults;
    faults.readsAtMost = 3;
    faults.writesAtMost = 2;
    FakeWindows shortened;
    shortened.entries = {LastEntry("01", "03")};
    EXPECT_EQ(RunExtraction(Everything("d@.csv", "short.csv"), Layout("d01.csv"), shortened, record),
              RunOutcome::Finished);
    EXPECT_EQ(ReadBytes("short.csv"), ReadBytes("plain.csv"));
    EXPECT_EQ(shortened.results, plain.results);
  }
  WriteBytes("locked.csv.sifta-lock", "");  // the other program's claim
  const auto before = Files();
  Faults faults;
  faults.lockedNameEnds = {"locked.csv.sifta-lock"};
  FakeWindows busy;
  EXPECT_EQ(RunExtraction(Everything("d01.csv", "locked.csv"), Layout("d01.csv"), busy, record),
            RunOutcome::Failed);
  EXPECT_EQ(busy.messages,
            std::vector<std::string>{"** 次の抽出ﾌｧｲﾙは他の実行が書き込み中です：\r\nlocked.csv"});
  EXPECT_EQ(Files(), before);
}

// An extract split into parts for Excel: each part has the heading and its
// share of the records, a series fills them in order, every part is named
// in the list, and a part that would be a source is refused as an extract
// that is a source.
TEST_F(NothingLostTest, PartsForExcelAreFilledInOrderAndNeverASource) {
  WriteSeries();
  RunOptions options;
  options.partLines = 3;  // the heading and two records
  ExtractionConditions split = Everything("d@.csv", "parts.csv");
  split.splitForExcel = true;
  FakeWindows windows;
  windows.entries = {LastEntry("01", "03")};
  ASSERT_EQ(RunExtraction(split, Layout("d01.csv"), windows, record, options), RunOutcome::Finished);
  const std::string heading = Sj("ID,ｾﾙ1") + "\r\n";
  EXPECT_EQ(ReadBytes("parts_001.csv"), heading + "a,1\r\na,2\r\n");
  EXPECT_EQ(ReadBytes("parts_002.csv"), heading + "b,1\r\nb,2\r\n");
  EXPECT_EQ(ReadBytes("parts_003.csv"), heading + "b,3\r\nc,1\r\n");
  EXPECT_FALSE(ReadBytes("parts.csv"));
  std::vector<std::string> named;
  for (const std::string& line : windows.list)
    if (line.find("parts_") != std::string::npos) named.push_back(line.substr(line.find("parts_")));
  // Each file's extract line names the part it begins in.
  EXPECT_EQ(named,
            (std::vector<std::string>{"parts_001.csv", "parts_002.csv", "parts_003.csv", "parts_003.csv"}));
  EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});

  WriteBytes("p_002.csv", Numbered("p", 5));
  const auto before = Files();
  ExtractionConditions intoItself = Everything("p_002.csv", "p.csv");
  intoItself.splitForExcel = true;
  FakeWindows refused;
  EXPECT_EQ(RunExtraction(intoItself, Layout("p_002.csv"), refused, record, options), RunOutcome::Failed);
  ASSERT_EQ(refused.messages.size(), 1u);
  EXPECT_EQ(refused.messages[0].rfind(kRefusal, 0), 0u) << refused.messages[0];
  EXPECT_EQ(ReadBytes("p_002.csv"), before.at("p_002.csv"));
  EXPECT_EQ(ReadBytes("p_001.csv"), Numbered("p", 2));
  EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{});
}

// A run given another run's temporary or claim file as its extract is
// refused; a name a temporary file once had is only a name.
TEST_F(NothingLostTest, AnotherRunsTemporaryOrClaimFileIsNoExtract) {
  WriteSeries();
  WriteBytes("out.csv.sifta-lock", "");  // left by a run that was killed: taken over, and left
  auto begun = ExtractFile::Begin("out.csv");
  ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ExtractFile>>(begun));
  ExtractFile& other = *std::get<std::unique_ptr<ExtractFile>>(begun);
  LineWriter writer;
  ASSERT_FALSE(other.OpenWriter(writer, false));
  writer.WriteLine("the other run's");
  ASSERT_FALSE(writer.Close());
  std::string temporary;
  for (const auto& entry : fs::directory_iterator("."))
    if (entry.path().extension() == ".sifta-tmp") temporary = entry.path().filename().string();
  ASSERT_FALSE(temporary.empty());

  for (const std::string& extract : {temporary, std::string("out.csv.sifta-lock"), std::string("out.csv")}) {
    SCOPED_TRACE(extract);
    const auto before = Files();
    FakeWindows windows;
    EXPECT_EQ(RunExtraction(Everything("d01.csv", extract), Layout("d01.csv"), windows, record),
              RunOutcome::Failed);
    EXPECT_EQ(windows.messages,
              std::vector<std::string>{"** 次の抽出ﾌｧｲﾙは他の実行が書き込み中です：\r\n" + extract});
    EXPECT_EQ(Files(), before);
  }
  FakeWindows windows;
  EXPECT_EQ(RunExtraction(Everything("d02.csv", "out.csv.sifta-tmp"), Layout("d02.csv"), windows, record),
            RunOutcome::Finished);
  EXPECT_FALSE(other.Commit());
  EXPECT_EQ(ReadBytes("out.csv"), "the other run's\r\n");
  EXPECT_EQ(ReadBytes("out.csv.sifta-tmp"), Numbered("b", 3));
  fs::remove("out.csv.sifta-tmp");
  EXPECT_EQ(TemporaryFiles(), std::vector<std::string>{"out.csv.sifta-lock"});
}

}  // namespace
}  // namespace sifta::testing

namespace sifta::testing {
namespace {

// Names that lead to no readable file are refused at the open, before
// anything is read: the layout read and the run both say why.
TEST_F(NothingLostTest, SourceThatIsNoFileIsRefusedBeforeReading) {
  fs::create_directory("folder.csv");
  struct Case {
    std::string source;
    std::string shown;
  };
  const std::vector<Case> cases{
#ifndef _WIN32
      {"pipe.csv", "パイプやデバイスはファイルとして読めません"},
      {"/dev/zero", "パイプやデバイスはファイルとして読めません"},
      {"", "ファイルが見つかりません"},
#else
      {"", "パスが見つかりません"},
#endif
      {"folder.csv", "フォルダーはファイルとして開けません"},
      {std::string("d01.csv\0.bak", 12), "ファイル名に使えない文字（制御文字）があります"}};
#ifndef _WIN32
  ASSERT_EQ(::mkfifo("pipe.csv", 0600), 0);
#endif
  WriteSeries();
  const auto before = Files();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    LayoutResult layout = ReadFileLayout(c.source, [] { return HeadingKind::None; });
    ASSERT_TRUE(std::holds_alternative<IoError>(layout));
    EXPECT_EQ(Utf8(std::get<IoError>(layout).message).find(c.shown), 0u)
        << Utf8(std::get<IoError>(layout).message);
    FakeWindows windows;
    EXPECT_EQ(RunExtraction(Everything(c.source.empty() ? "   " : c.source, "out.csv"), Layout("d01.csv"),
                            windows, record),
              RunOutcome::Failed);
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_EQ(windows.messages[0].find(c.shown), 0u) << windows.messages[0];
    EXPECT_EQ(Files(), before);
    EXPECT_FALSE(fs::exists("out.csv"));
  }
}

}  // namespace
}  // namespace sifta::testing
