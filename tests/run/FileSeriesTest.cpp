// Whole runs over small files with a fake window layer: one file, file series
// fed by the @ dialog, create versus append, the record count list, totals,
// times and the cancel request.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run/FileSeries.h"
#include "run/FileSeriesFake.h"
#include "run/RunMessages.h"

namespace sifta::testing {
namespace {

const std::string kHeading = "ID,名前,ｾﾙ1,ｾﾙ2";
const std::string kProjectedHeading = "ID,名前,ｾﾙ2";

// A source file whose records are named after `text`: "<text>-r,東京,r,r0".
std::string SourceText(const std::string& text, int records) {
  std::vector<std::string> lines{kHeading};
  for (int r = 1; r <= records; ++r)
    lines.push_back(text + "-" + std::to_string(r) + ",東京," + std::to_string(r) + "," + std::to_string(r) +
                    "0");
  return CsvText(lines);
}

// What the conditions below keep of those records: the RID items and cell 2.
std::vector<std::string> ExtractLines(const std::string& text, int records) {
  std::vector<std::string> lines;
  for (int r = 1; r <= records; ++r)
    lines.push_back(text + "-" + std::to_string(r) + ",東京," + std::to_string(r) + "0");
  return lines;
}

std::string ExtractText(const std::vector<std::vector<std::string>>& parts, bool heading = true) {
  std::vector<std::string> lines;
  if (heading) lines.push_back(kProjectedHeading);
  for (const auto& part : parts) lines.insert(lines.end(), part.begin(), part.end());
  return CsvText(lines);
}

FileLayout LayoutOf(const std::string& fileName, const std::string& firstRecord = "01-1,東京,1,10") {
  FileLayout layout;
  layout.fileName = fileName;
  layout.headingKind = HeadingKind::Standard;
  layout.headingText = Sj(kHeading);
  layout.firstRecord = Sj(firstRecord);
  layout.itemCount = 4;
  layout.ridItemCount = 2;
  layout.bodyCellCount = 2;
  return layout;
}

ExtractionConditions Conditions(const std::string& source, const std::string& extract) {
  ExtractionConditions conditions;
  conditions.sourceNameText = source;
  conditions.extractNameText = extract;
  conditions.ridChoice = ColumnChoice::AllItems;
  conditions.cellChoice = ColumnChoice::ListedItems;
  conditions.cellRows = {{"2", "", "", ""}};
  conditions.recordMode = RecordMode::All;
  return conditions;
}

std::vector<std::string> Block(const std::string& text, const std::string& source, const std::string& extract,
                               const std::string& sourceCount, const std::string& extractCount) {
  return {" ---------------------------",     "＠相当文字：" + text,
          "元ファイル名　：" + source,        "抽出ファイル名：" + extract,
          " 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：" + sourceCount, " 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：" + extractCount};
}

std::vector<std::string> Join(const std::vector<std::vector<std::string>>& blocks) {
  std::vector<std::string> lines;
  for (const auto& block : blocks) lines.insert(lines.end(), block.begin(), block.end());
  return lines;
}

class FileSeriesTest : public ::testing::Test {
 protected:
  RunOutcome Run(const std::string& source, const std::string& extract, const std::string& layoutFile) {
    return RunExtraction(Conditions(source, extract), LayoutOf(layoutFile), windows, record);
  }

  RunFolder folder;
  FakeWindows windows;
  RunRecord record;
};

TEST_F(FileSeriesTest, OneFileRunsInTheWindowsOrder) {
  WriteBytes("data.csv", SourceText("01", 2));
  EXPECT_EQ(Run("data.csv", "out.csv", "data.csv"), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out.csv"), ExtractText({ExtractLines("01", 2)}));
  const std::vector<std::string> expected{"run requested", "run started 12:34:56",
                                          // the one file
                                          "progress single ", "file done 2/2",
                                          // run end
                                          "beep", "run ended 2/2 12:34:56",
                                          "message ** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。"};
  EXPECT_EQ(windows.log, expected);
  EXPECT_EQ(windows.list, (std::vector<std::string>{"元ファイル名　：data.csv", "抽出ファイル名：out.csv",
                                                    " 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：2", " 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：2"}));
  EXPECT_EQ(record.informationExtractFile, "out.csv");
  EXPECT_EQ(record.informationExtractCount, 2);
  EXPECT_EQ(record.sourceTotal, 2);
  EXPECT_EQ(record.extractTotal, 2);
}

TEST_F(FileSeriesTest, SeriesIntoOneExtractFileAppendsWithoutHeadings) {
  WriteBytes("data01.csv", SourceText("01", 2));
  WriteBytes("data02.csv", SourceText("02", 3));
  WriteBytes("data03.csv", SourceText("03", 1));
  windows.entries = {LastEntry("01", "03")};
  EXPECT_EQ(Run("data@.csv", "out.csv", "data02.csv"), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out.csv"),
            ExtractText({ExtractLines("01", 2), ExtractLines("02", 3), ExtractLines("03", 1)}));
  EXPECT_EQ(windows.list, Join({Block("01", "data01.csv", "out.csv", "2", "2"),
                                Block("02", "data02.csv", "out.csv", "3", "3"),
                                Block("03", "data03.csv", "out.csv", "1", "1")}));
  EXPECT_EQ(windows.results[FakeWindows::Box::SourceTotal], " 6");
  EXPECT_EQ(windows.results[FakeWindows::Box::ExtractTotal], " 6");
  EXPECT_EQ(windows.results[FakeWindows::Box::ListTotal], " 6");
  // The layout's file is data02.csv: its extract is out.csv, which also
  // received the records appended after it.
  EXPECT_EQ(record.informationExtractFile, "out.csv");
  EXPECT_EQ(record.informationExtractCount, 4);
  EXPECT_EQ(windows.progressShowings, 3);
  EXPECT_TRUE(windows.Finished());
}

TEST_F(FileSeriesTest, SeriesIntoSeriesGivesOneExtractFileEach) {
  WriteBytes("data01.csv", SourceText("01", 2));
  WriteBytes("data02.csv", SourceText("02", 3));
  windows.entries = {Entry("01"), Entry("02"), LastEntry("")};
  EXPECT_EQ(Run("data@.csv", "out@.csv", "data01.csv"), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out01.csv"), ExtractText({ExtractLines("01", 2)}));
  EXPECT_EQ(ReadBytes("out02.csv"), ExtractText({ExtractLines("02", 3)}));
  EXPECT_EQ(windows.list, Join({Block("01", "data01.csv", "out01.csv", "2", "2"),
                                Block("02", "data02.csv", "out02.csv", "3", "3")}));
  EXPECT_EQ(record.informationExtractFile, "out01.csv");
  EXPECT_EQ(record.informationExtractCount, 2);
}

TEST_F(FileSeriesTest, RangeStepsWithLeadingZeros) {
  for (const char* text : {"08", "09", "10", "11", "12"})
    WriteBytes(std::string("d") + text + ".csv", SourceText(text, 1));
  windows.entries = {LastEntry("08", "12")};
  EXPECT_EQ(Run("d@.csv", "o@.csv", "d08.csv"), RunOutcome::Finished);
  std::vector<std::string> texts;
  for (const std::string& line : windows.list)
    if (line.rfind("＠相当文字：", 0) == 0) texts.push_back(line.substr(std::string("＠相当文字：").size()));
  EXPECT_EQ(texts, (std::vector<std::string>{"08", "09", "10", "11", "12"}));
  EXPECT_EQ(ReadBytes("o10.csv"), ExtractText({ExtractLines("10", 1)}));
  // A range entered with the check box asks once.
  EXPECT_EQ(std::count(windows.log.begin(), windows.log.end(), "ask 最初の|"), 1);
}

TEST_F(FileSeriesTest, DialogPromptsAndRefusedEntries) {
  WriteBytes("dA.csv", SourceText("A", 1));
  WriteBytes("d07.csv", SourceText("07", 1));
  // "A" with "B" on the right is the single text A; "07" alone is 07; the
  // refused entries are retyped in the same showing.
  windows.entries = {Entry("A", "B"), Entry("8", "12"),       Entry("12", "08"), Entry("12", "1A"),
                     Entry("07"),     Entry("  ", "", false), LastEntry("")};
  EXPECT_EQ(Run("d@.csv", "o@.csv", "dA.csv"), RunOutcome::Finished);
  const std::vector<std::string> asked{"ask 最初の|", "ask つぎの|A", "ask つぎの|07"};
  std::vector<std::string> asks, refusals;
  for (const std::string& line : windows.log) {
    if (line.rfind("ask ", 0) == 0) asks.push_back(line);
    if (line.rfind("refused ", 0) == 0) refusals.push_back(line);
  }
  EXPECT_EQ(asks, asked);
  EXPECT_EQ(refusals, (std::vector<std::string>{
                          "refused ** 左右の文字長さが異なります。", "refused ** 左右の文字が逆順です。",
                          "refused ** 右側文字が非数字です。", "refused ** 左側文字の指定がありません。"}));
  EXPECT_EQ(windows.list,
            Join({Block("A", "dA.csv", "oA.csv", "1", "1"), Block("07", "d07.csv", "o07.csv", "1", "1")}));
}

TEST_F(FileSeriesTest, EmptyFirstEntryWithCheckBoxRunsNoFile) {
  windows.entries = {LastEntry("")};
  EXPECT_EQ(Run("data@.csv", "out.csv", "data01.csv"), RunOutcome::Finished);
  EXPECT_TRUE(windows.list.empty());
  EXPECT_EQ(windows.progressShowings, 0);
  EXPECT_EQ(windows.results[FakeWindows::Box::SourceTotal], " ");
  EXPECT_EQ(windows.results[FakeWindows::Box::ExtractTotal], " ");
  EXPECT_EQ(windows.results[FakeWindows::Box::EndTime], " 12:34:56");
  EXPECT_TRUE(windows.Finished());
  EXPECT_FALSE(windows.inProgress);
  EXPECT_FALSE(std::filesystem::exists("out.csv"));
}

TEST_F(FileSeriesTest, DialogClosedByItsCloseControlEndsTheSeries) {
  WriteBytes("data01.csv", SourceText("01", 1));
  windows.entries = {Entry("01"), std::nullopt, Entry("02")};
  EXPECT_EQ(Run("data@.csv", "out.csv", "data01.csv"), RunOutcome::Finished);
  EXPECT_EQ(windows.list, Block("01", "data01.csv", "out.csv", "1", "1"));
  EXPECT_EQ(windows.entries.size(), 1u);
  EXPECT_TRUE(windows.Finished());
}

TEST_F(FileSeriesTest, SameTextTwiceAppendsToItsExtractFile) {
  WriteBytes("data01.csv", SourceText("01", 2));
  windows.entries = {Entry("01"), Entry("01"), LastEntry("")};
  EXPECT_EQ(Run("data@.csv", "out@.csv", "data01.csv"), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out01.csv"), ExtractText({ExtractLines("01", 2), ExtractLines("01", 2)}));
  EXPECT_EQ(windows.list, Join({Block("01", "data01.csv", "out01.csv", "2", "2"),
                                Block("01", "data01.csv", "out01.csv", "2", "2")}));
  EXPECT_EQ(record.informationExtractCount, 4);
}

TEST_F(FileSeriesTest, CancelInTheSecondOfThreeFiles) {
  WriteBytes("data01.csv", SourceText("01", 3));
  WriteBytes("data02.csv", SourceText("02", 3));
  WriteBytes("data03.csv", SourceText("03", 3));
  windows.entries = {LastEntry("01", "03")};
  windows.cancelInFile = 2;
  windows.cancelAtRecord = 1;  // confirmed while record 1 is serviced
  EXPECT_EQ(Run("data@.csv", "out@.csv", "data01.csv"), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out01.csv"), ExtractText({ExtractLines("01", 3)}));
  // Record 1 is still written; the next line is counted and ends the file.
  EXPECT_EQ(ReadBytes("out02.csv"), ExtractText({ExtractLines("02", 1)}));
  EXPECT_FALSE(std::filesystem::exists("out03.csv"));
  EXPECT_EQ(windows.list, Join({Block("01", "data01.csv", "out01.csv", "3", "3"),
                                Block("02", "data02.csv", "out02.csv", "2", "1")}));
  EXPECT_EQ(windows.results[FakeWindows::Box::SourceTotal], " 5");
  EXPECT_EQ(windows.results[FakeWindows::Box::ExtractTotal], " 4");
  EXPECT_TRUE(windows.Finished());
}

TEST_F(FileSeriesTest, CancelAtTheLastRecordStillEndsTheSeries) {
  WriteBytes("data01.csv", SourceText("01", 2));
  WriteBytes("data02.csv", SourceText("02", 2));
  windows.entries = {LastEntry("01", "02")};
  windows.cancelInFile = 1;
  windows.cancelAtRecord = 2;
  EXPECT_EQ(Run("data@.csv", "out.csv", "data01.csv"), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out.csv"), ExtractText({ExtractLines("01", 2)}));
  EXPECT_EQ(windows.list, Block("01", "data01.csv", "out.csv", "2", "2"));
}

TEST_F(FileSeriesTest, FileWithoutRecordsListsEmptyCounts) {
  WriteBytes("data.csv", CsvText({kHeading}));
  EXPECT_EQ(Run("data.csv", "out.csv", "data.csv"), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out.csv"), CsvText({kProjectedHeading}));
  EXPECT_EQ(windows.list[2], " 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：");
  EXPECT_EQ(windows.list[3], " 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：");
  EXPECT_EQ(windows.results[FakeWindows::Box::SourceTotal], " ");
}

TEST_F(FileSeriesTest, MissingFileInSeriesStopsTheRun) {
  WriteBytes("data01.csv", SourceText("01", 2));
  WriteBytes("data03.csv", SourceText("03", 2));
  windows.entries = {LastEntry("01", "03")};
  EXPECT_EQ(Run("data@.csv", "out.csv", "data01.csv"), RunOutcome::Failed);
  EXPECT_EQ(ReadBytes("out.csv"), ExtractText({ExtractLines("01", 2)}));
  std::vector<std::string> expected = Block("01", "data01.csv", "out.csv", "2", "2");
  expected.push_back(" ---------------------------");
  expected.push_back("＠相当文字：02");
  EXPECT_EQ(windows.list, expected);
  ASSERT_FALSE(windows.messages.empty());
  EXPECT_EQ(windows.messages.back(), "ファイルが見つかりません\r\ndata02.csv");
  EXPECT_EQ(windows.log.back(), "run failed ファイルが見つかりません\r\ndata02.csv");
  // The run end steps are not carried out.
  EXPECT_EQ(windows.results[FakeWindows::Box::SourceTotal], "");
  EXPECT_EQ(windows.results[FakeWindows::Box::EndTime], " ");
  EXPECT_FALSE(windows.inProgress);
}

TEST_F(FileSeriesTest, CreatesTheFoldersOfTheExtractFile) {
  WriteBytes("data01.csv", SourceText("01", 1));
  windows.entries = {LastEntry("01")};
  EXPECT_EQ(Run("data@.csv", "out/@/x.csv", "data01.csv"), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out/01/x.csv"), ExtractText({ExtractLines("01", 1)}));
}

TEST_F(FileSeriesTest, DoubleByteSubstitutionTextNamesTheFiles) {
  WriteBytes("data東京.csv", SourceText("T", 1));
  windows.entries = {LastEntry("東京")};
  EXPECT_EQ(Run("data@.csv", "out@.csv", "x.csv"), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes("out東京.csv"), ExtractText({ExtractLines("T", 1)}));
  EXPECT_EQ(windows.list[1], "＠相当文字：東京");
  EXPECT_EQ(windows.list[2], "元ファイル名　：data東京.csv");
  EXPECT_TRUE(record.informationExtractFile.empty());
}

TEST_F(FileSeriesTest, RefusedConditionsTouchNothing) {
  WriteBytes("data.csv", SourceText("01", 1));
  record.sourceTotal = 7;
  record.informationExtractFile = "earlier.csv";
  EXPECT_EQ(Run("", "out.csv", "data.csv"), RunOutcome::Refused);
  EXPECT_EQ(windows.messages, (std::vector<std::string>{"** 元ファイルの指定がありません。"}));
  EXPECT_EQ(windows.log.back(), "plan error ** 元ファイルの指定がありません。");
  EXPECT_EQ(windows.results[FakeWindows::Box::StartTime], "");
  // A refused run changes no total and keeps the extract of the run before.
  EXPECT_EQ(record.sourceTotal, 7);
  EXPECT_EQ(record.informationExtractFile, "earlier.csv");
  EXPECT_FALSE(std::filesystem::exists("out.csv"));
}

TEST(StepRangeText, AddsOneKeepingTheWidth) {
  const std::vector<std::pair<std::string, std::string>> cases{{"7", "8"},
                                                               {"08", "09"},
                                                               {"09", "10"},
                                                               {"009", "010"},
                                                               {"0099", "0100"},
                                                               {"11", "12"},
                                                               {"99999998", "99999999"},
                                                               {"00000000", "00000001"}};
  for (const auto& [current, next] : cases) EXPECT_EQ(StepRangeText(current), next) << current;
}

TEST(ReplacePlaceholder, ReplacesEveryAt) {
  EXPECT_EQ(ReplacePlaceholder("a@/b@.csv", "01"), "a01/b01.csv");
  EXPECT_EQ(ReplacePlaceholder("plain.csv", "01"), "plain.csv");
  EXPECT_EQ(ReplacePlaceholder("@", "東京"), "東京");
}

}  // namespace
}  // namespace sifta::testing
