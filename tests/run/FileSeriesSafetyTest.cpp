// What a run guarantees beyond its normal course: each run starts afresh, it
// never writes over one of its own source files, and an input/output error
// leaves the files closed, the window usable and says which extract file is
// incomplete.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run/FileSeries.h"
#include "run/FileSeriesFake.h"
#include "support/Fixtures.h"

namespace sifta::testing {
namespace {

const std::string kSource = CsvText({"ID,ｾﾙ1", "A,1", "B,2"});

FileLayout Layout(const std::string& fileName) { return OneCellLayout(fileName, "A,1"); }

class FileSeriesSafetyTest : public ::testing::Test {
 protected:
  RunOutcome Run(const std::string& source, const std::string& extract, const std::string& layout) {
    return RunExtraction(Everything(source, extract), Layout(layout), windows, record);
  }

  RunFolder folder;
  FakeWindows windows;
  RunRecord record;
};

TEST_F(FileSeriesSafetyTest, SecondRunStartsAfresh) {
  WriteBytes("a.csv", kSource);
  WriteBytes("b.csv", CsvText({"ID,ｾﾙ1", "C,3"}));
  ASSERT_EQ(Run("a.csv", "out.csv", "a.csv"), RunOutcome::Finished);
  EXPECT_EQ(record.extractTotal, 2);

  FakeWindows second;
  ASSERT_EQ(RunExtraction(Everything("b.csv", "out.csv"), Layout("b.csv"), second, record),
            RunOutcome::Finished);
  // Created anew with its heading, not appended to the first run's file.
  EXPECT_EQ(ReadBytes("out.csv"), CsvText({"ID,ｾﾙ1", "C,3"}));
  EXPECT_EQ(second.results[FakeWindows::Box::SourceTotal], " 1");
  EXPECT_EQ(second.results[FakeWindows::Box::ExtractTotal], " 1");
  EXPECT_EQ(record.sourceTotal, 1);
  EXPECT_EQ(record.informationExtractFile, "out.csv");
  EXPECT_EQ(record.informationExtractCount, 1);
}

TEST_F(FileSeriesSafetyTest, ExtractThatIsTheSourceIsRefused) {
  WriteBytes("data.csv", kSource);
  std::filesystem::create_directory("sub");
  std::filesystem::create_hard_link("data.csv", "hard.csv");
  const std::string absolute = (folder.Path() / "data.csv").string();
  struct Case {
    const char* name;
    std::string extract;
  };
  std::vector<Case> cases{{"same name", "data.csv"},
                          {"other spelling", "./sub/../data.csv"},
                          {"absolute path", absolute},
                          {"hard link", "hard.csv"}};
  // Windows lets only some users make symbolic links.
  std::error_code noLink;
  std::filesystem::create_symlink("data.csv", "link.csv", noLink);
  if (!noLink) cases.push_back({"symbolic link", "link.csv"});
#ifdef _WIN32
  std::string backslashed = absolute, slashed = absolute;
  std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  cases.insert(cases.end(), {{"upper case", "DATA.CSV"},
                             {"backslashes", backslashed},
                             {"slashes", slashed},
                             {"mixed separators", "sub\\../Data.csv"}});
#endif
  for (const Case& c : cases) {
    FakeWindows windows;
    EXPECT_EQ(RunExtraction(Everything("data.csv", c.extract), Layout("data.csv"), windows, record),
              RunOutcome::Failed)
        << c.name;
    EXPECT_EQ(windows.messages, std::vector<std::string>{"** 抽出ﾌｧｲﾙが元ﾌｧｲﾙと同じです。"}) << c.name;
    EXPECT_EQ(ReadBytes("data.csv"), kSource) << c.name;
    EXPECT_FALSE(windows.inProgress) << c.name;
    EXPECT_EQ(windows.progressShowings, 0) << c.name;
  }
}

TEST_F(FileSeriesSafetyTest, ExtractThatIsALaterSourceOfTheRangeIsRefusedBeforeWriting) {
  // 01 would create data02.csv, the input of 02, before 02 could be refused.
  WriteBytes("data01.csv", kSource);
  WriteBytes("data02.csv", kSource);
  WriteBytes("data03.csv", kSource);
  for (const std::string extract : {"data02.csv", "./sub/../data03.csv"}) {
    std::filesystem::create_directories("sub");
    FakeWindows windows;
    windows.entries = {LastEntry("01", "03")};
    EXPECT_EQ(RunExtraction(Everything("data@.csv", extract), Layout("data01.csv"), windows, record),
              RunOutcome::Failed)
        << extract;
    EXPECT_EQ(windows.messages.back(), "** 抽出ﾌｧｲﾙが元ﾌｧｲﾙと同じです。") << extract;
    EXPECT_EQ(windows.progressShowings, 0) << extract;
  }
  EXPECT_EQ(ReadBytes("data02.csv"), kSource);
  EXPECT_EQ(ReadBytes("data03.csv"), kSource);
  // An extract named like a member outside the range is no source of this run.
  windows.entries = {LastEntry("01", "02")};
  EXPECT_EQ(Run("data@.csv", "data03.csv", "data01.csv"), RunOutcome::Finished);
}

TEST_F(FileSeriesSafetyTest, ExtractThatIsAnEarlierSourceOfTheSeriesIsRefused) {
  // "xa" reads xa.csv; "a" would then write xa.csv, the first file's input.
  WriteBytes("xa.csv", kSource);
  WriteBytes("a.csv", kSource);
  windows.entries = {Entry("xa"), LastEntry("a")};
  EXPECT_EQ(Run("@.csv", "x@.csv", "xa.csv"), RunOutcome::Failed);
  EXPECT_EQ(ReadBytes("xa.csv"), kSource);
  EXPECT_EQ(ReadBytes("xxa.csv"), kSource);
  EXPECT_EQ(windows.messages.back(), "** 抽出ﾌｧｲﾙが元ﾌｧｲﾙと同じです。");
}

TEST_F(FileSeriesSafetyTest, ExtractThatIsAnyFileReadSoFarIsRefused) {
  // Sources met several files back, by another spelling, and a layout file
  // that has no file on disk (any more): each is matched.
  WriteBytes("xa.csv", kSource);
  for (const char* name : {"a.csv", "b.csv", "c.csv"}) WriteBytes(name, kSource);
  struct Case {
    const char* name;
    std::vector<SubstitutionTexts> entries;
    std::string extract;
    std::string layout;
  };
  const std::vector<Case> cases{
      {"first of four", {Entry("xa"), Entry("b"), Entry("c"), LastEntry("a")}, "./x@.csv", "b.csv"},
      {"layout without file", {LastEntry("b")}, "./gone.csv", "gone.csv"},
  };
  for (const Case& c : cases) {
    FakeWindows windows;
    windows.entries.assign(c.entries.begin(), c.entries.end());
    EXPECT_EQ(RunExtraction(Everything("@.csv", c.extract), Layout(c.layout), windows, record),
              RunOutcome::Failed)
        << c.name;
    EXPECT_EQ(windows.messages.back(), "** 抽出ﾌｧｲﾙが元ﾌｧｲﾙと同じです。") << c.name;
    EXPECT_EQ(ReadBytes("xa.csv"), kSource) << c.name;
    EXPECT_FALSE(std::filesystem::exists("gone.csv")) << c.name;
  }
}

TEST_F(FileSeriesSafetyTest, ExtractInSeriesThatIsItsSourceIsRefusedBeforeWriting) {
  WriteBytes("data01.csv", kSource);
  WriteBytes("data02.csv", kSource);
  windows.entries = {LastEntry("01", "02")};
  EXPECT_EQ(Run("data@.csv", "data02.csv", "data01.csv"), RunOutcome::Failed);
  // Iteration 01 would create data02.csv, the input of iteration 02: refused
  // before anything is written.
  EXPECT_EQ(windows.messages.back(), "** 抽出ﾌｧｲﾙが元ﾌｧｲﾙと同じです。");
  EXPECT_EQ(windows.list.size(), 3u);  // rule, text, source name of 01
  EXPECT_EQ(ReadBytes("data02.csv"), kSource);
}

TEST_F(FileSeriesSafetyTest, WriteErrorNamesTheIncompleteExtract) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  WriteBytes("data.csv", kSource);
  EXPECT_EQ(Run("data.csv", "/dev/full", "data.csv"), RunOutcome::Failed);
  ASSERT_EQ(windows.messages.size(), 1u);
  const std::string& message = windows.messages[0];
  EXPECT_NE(message.find("ディスクに空き領域がありません"), std::string::npos) << message;
  EXPECT_NE(message.find("** 次の抽出ﾌｧｲﾙは不完全です：\r\n/dev/full"), std::string::npos) << message;
  EXPECT_FALSE(windows.inProgress);
  EXPECT_FALSE(windows.progressOpen);
  EXPECT_FALSE(windows.Finished());
  EXPECT_EQ(windows.log.back().rfind("run failed ", 0), 0u);
  EXPECT_EQ(ReadBytes("data.csv"), kSource);
}

// Something happens to the files while a source file is cut.
class Meddling : public FakeWindows {
 public:
  std::function<void()> atRecord;  // at the second record serviced
  std::function<void()> atFileDone;

  bool ServicePendingEvents() override {
    const bool cancel = FakeWindows::ServicePendingEvents();
    if (++serviced_ == 2 && atRecord) atRecord();
    return cancel;
  }
  void FileDone(const FileRunResult& result) override {
    FakeWindows::FileDone(result);
    if (atFileDone) atFileDone();
  }

 private:
  int serviced_ = 0;
};

// The finished extract cannot be moved into place: a folder took its name (on
// Windows the same happens when another program holds the older extract
// open), or its folder is gone with the temporary file. The message points
// to the records where they are, or says that they are lost: never to a file
// that is not there.
TEST_F(FileSeriesSafetyTest, ExtractThatCannotReplaceTheOlderFile) {
  struct Case {
    const char* name;
    std::string extract;
    std::function<void()> meddle;
    bool kept;
  };
  const std::vector<Case> cases{
      {"a folder in the way", "out.csv", [] { std::filesystem::create_directories("out.csv/inside"); }, true},
#ifndef _WIN32  // Windows removes a file (and its folder) only once no one holds it open
      {"the folder removed", "sub/out.csv", [] { std::filesystem::remove_all("sub"); }, false},
      // The second file's records go on into the file made for the run,
      // not into a new file of that name.
      {"the temporary file removed after the first file", "out.csv",
       [] {
         for (const auto& entry : std::filesystem::directory_iterator("."))
           if (entry.path().extension() == ".sifta-tmp") std::filesystem::remove(entry.path());
       },
       false},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& entry : std::filesystem::directory_iterator("."))
      if (entry.path().extension() == ".sifta-tmp" || entry.path().filename() == "out.csv" ||
          entry.path().filename() == "sub")
        std::filesystem::remove_all(entry.path());
    WriteBytes("data1.csv", kSource);
    WriteBytes("data2.csv", kSource);
    Meddling blocked;
    blocked.entries = {LastEntry("1", "2")};
    int done = 0;
    blocked.atFileDone = [&] {
      if (++done == 1) c.meddle();
    };
    EXPECT_EQ(RunExtraction(Everything("data@.csv", c.extract), Layout("data1.csv"), blocked, record),
              RunOutcome::Failed);
    ASSERT_EQ(blocked.messages.size(), 1u);
    const std::string& message = blocked.messages[0];
    EXPECT_NE(message.find("** 次の抽出ﾌｧｲﾙを置き換えられませんでした：\r\n" + c.extract), std::string::npos)
        << message;
    EXPECT_EQ(message.find("不完全"), std::string::npos) << message;
    const std::string kept = "** 抽出したﾚｺｰﾄﾞは次のﾌｧｲﾙにあります：\r\n";
    if (c.kept) {
      ASSERT_NE(message.find(kept), std::string::npos) << message;
      // The records the run reported are where the message says.
      EXPECT_EQ(ReadBytes(message.substr(message.find(kept) + kept.size())),
                CsvText({"ID,ｾﾙ1", "A,1", "B,2", "A,1", "B,2"}));
    } else {
      EXPECT_NE(message.find("** 抽出したﾚｺｰﾄﾞは残せませんでした"), std::string::npos) << message;
      EXPECT_EQ(message.find("sifta-tmp"), std::string::npos) << message;
      for (const auto& entry : std::filesystem::recursive_directory_iterator("."))
        EXPECT_NE(entry.path().extension(), ".sifta-tmp") << entry.path();
    }
    EXPECT_EQ(ReadBytes("data1.csv"), kSource);
  }
}

// A source written to while it is read: the run stops as after a read
// error, naming the source, and the extract is named incomplete.
TEST_F(FileSeriesSafetyTest, SourceThatChangesWhileItIsReadStopsTheRun) {
  std::string big = CsvText({"ID,ｾﾙ1"});
  for (int n = 0; n < 20000; ++n) big.append("A").append(std::to_string(n)).append(",1\r\n");
  struct Case {
    const char* name;
    std::function<void()> change;
  };
  const std::vector<Case> cases{
      {"cut short", [] { std::filesystem::resize_file("data.csv", 100); }},
      {"rewritten in place",
       [] {
         std::fstream file("data.csv", std::ios::in | std::ios::out | std::ios::binary);
         file.seekp(50);
         file.write("XYZ", 3);
       }},
      {"grown", [] { std::ofstream("data.csv", std::ios::app | std::ios::binary) << "Z,9\r\n"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes("data.csv", big);
    // Written long ago, so that a change now gives another time.
    std::filesystem::last_write_time("data.csv",
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    Meddling changing;
    changing.atRecord = c.change;
    EXPECT_EQ(RunExtraction(Everything("data.csv", "out.csv"), Layout("data.csv"), changing, record),
              RunOutcome::Failed);
    ASSERT_EQ(changing.messages.size(), 1u);
    EXPECT_EQ(changing.messages[0],
              "** 次の元ﾌｧｲﾙは読んでいる間に変わりました（大きさか更新日時が読み始めと違います）：\r\n"
              "data.csv\r\n"
              "   元ﾌｧｲﾙを書き換えるほかの処理が終わってから、もう一度実行してください。\r\n"
              "** 次の抽出ﾌｧｲﾙは不完全です：\r\nout.csv");
    EXPECT_EQ(changing.log.back().rfind("run failed ", 0), 0u);
  }
}

// A file of another layout (a name edited after the layout was read, a
// member of a series) would be cut by the wrong item numbers: the run stops
// before anything is written for it. A file without any line has nothing to
// compare and nothing to cut.
TEST_F(FileSeriesSafetyTest, SourceOfAnotherLayoutStopsTheRun) {
  FileLayout noHeading = Layout("d01.csv");
  noHeading.headingKind = HeadingKind::None;
  noHeading.headingText.clear();
  noHeading.ridItemCount = 0;
  noHeading.bodyCellCount = 2;
  struct Case {
    const char* name;
    FileLayout layout;
    std::string first;    // d01.csv
    std::string second;   // d02.csv
    std::string differs;  // the message's lines after the file name; empty: no stop
  };
  const std::string head = "** 次の元ﾌｧｲﾙは";
  const std::vector<Case> cases{
      {"more items", Layout("d01.csv"), kSource, CsvText({"ID,NAME,ｾﾙ1", "C,c,3"}),
       "項目数が「元ﾌｧｲﾙの選択」で選んだﾌｧｲﾙと違います：\r\nd02.csv\r\n"
       "   このﾌｧｲﾙの項目数：3\r\n   選んだﾌｧｲﾙの項目数：2"},
      {"other RID items", Layout("d01.csv"), kSource, CsvText({"ｾﾙ1,ｾﾙ2", "3,4"}),
       "RID項目数が「元ﾌｧｲﾙの選択」で選んだﾌｧｲﾙと違います：\r\nd02.csv\r\n"
       "   このﾌｧｲﾙのRID項目数：0\r\n   選んだﾌｧｲﾙのRID項目数：1"},
      {"fewer items without a heading", noHeading, CsvText({"A,1", "B,2"}), CsvText({"C", "D"}),
       "項目数が「元ﾌｧｲﾙの選択」で選んだﾌｧｲﾙと違います：\r\nd02.csv\r\n"
       "   このﾌｧｲﾙの項目数：1\r\n   選んだﾌｧｲﾙの項目数：2"},
      {"an empty file", Layout("d01.csv"), kSource, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove("out.csv");
    WriteBytes("d01.csv", c.first);
    WriteBytes("d02.csv", c.second);
    FakeWindows series;
    series.entries = {LastEntry("01", "02")};
    const RunOutcome outcome = RunExtraction(Everything("d@.csv", "out.csv"), c.layout, series, record);
    EXPECT_EQ(ReadBytes("d01.csv"), c.first);
    EXPECT_EQ(ReadBytes("d02.csv"), c.second);
    EXPECT_EQ(ReadBytes("out.csv"), c.first);  // the first file's records, nothing of the second
    if (c.differs.empty()) {
      EXPECT_EQ(outcome, RunOutcome::Finished);
      continue;
    }
    EXPECT_EQ(outcome, RunOutcome::Failed);
    std::string message = head;
    message.append(c.differs).append("\r\n   同じ形式のﾌｧｲﾙを指定してください。");
    EXPECT_EQ(series.messages, std::vector<std::string>{message});
    EXPECT_EQ(series.list.back(), "元ファイル名　：d02.csv");
    EXPECT_EQ(series.progressShowings, 1);
  }
}

TEST_F(FileSeriesSafetyTest, ExtractFolderThatCannotBeCreated) {
  WriteBytes("data.csv", kSource);
  WriteBytes("blocker", "");
  EXPECT_EQ(Run("data.csv", "blocker/out.csv", "data.csv"), RunOutcome::Failed);
  ASSERT_EQ(windows.messages.size(), 1u);
  // Nothing was written, so no extract file is named incomplete.
  EXPECT_EQ(windows.messages[0].find("不完全"), std::string::npos) << windows.messages[0];
  EXPECT_EQ(windows.list, std::vector<std::string>{"元ファイル名　：data.csv"});
  EXPECT_FALSE(windows.inProgress);
}

TEST_F(FileSeriesSafetyTest, SubstitutionTextThatIsNoFileNameIsRefused) {
  // Bytes that are no code page 932 text cannot become part of a path.
  windows.entries = {SubstitutionTexts{"\x81", "", false}, LastEntry("")};
  EXPECT_EQ(Run("data@.csv", "out.csv", "x.csv"), RunOutcome::Finished);
  EXPECT_NE(std::find(windows.log.begin(), windows.log.end(), "refused ** 入力文字はﾌｧｲﾙ名に使えません。"),
            windows.log.end());
  EXPECT_EQ(windows.progressShowings, 0);
}

// A layer that gives up at the first @ dialog, as the batch driver does on a
// refused entry.
class GivingUpWindows : public FakeWindows {
 public:
  bool AbandonsRun() override { return true; }
};

TEST_F(FileSeriesSafetyTest, AbandonedRunSkipsTheEndSteps) {
  WriteBytes("data01.csv", kSource);
  GivingUpWindows giving;
  giving.entries = {Entry("01")};
  EXPECT_EQ(RunExtraction(Everything("data@.csv", "out.csv"), Layout("data01.csv"), giving, record),
            RunOutcome::Abandoned);
  EXPECT_EQ(ReadBytes("out.csv"), kSource);
  EXPECT_FALSE(giving.Finished());
  EXPECT_FALSE(giving.inProgress);
  EXPECT_EQ(giving.log.back(), "run abandoned");
}

}  // namespace
}  // namespace sifta::testing
