#include "inspect/FileInspection.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <random>

#include "inspect/LineRules.h"
#include "scan/Cp932.h"
#include "scan/Scanning.h"
#include "scan/TempFolder.h"

namespace sifta {
namespace {

using testing::LinesByTheRule;
using testing::TempFolder;

#ifndef _WIN32
int OpenFileCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

#else
int OpenFileCount() { return 0; }  // the open files are counted on Linux alone
#endif

std::int64_t CountOrFail(const std::string& path, HeadingKind kind, size_t block = kCountBlockSize) {
  const auto r = CountRecords(path, kind, block);
  if (const auto* error = std::get_if<IoError>(&r)) {
    ADD_FAILURE() << "I/O error: " << Cp932ToUtf8ForDisplay(error->message);
    return -999;
  }
  return std::get<std::int64_t>(r);
}

// The count as the line reader sees it, the way the callers read lines.
std::int64_t CountWithLineReader(const std::string& path) {
  LineReader reader;
  EXPECT_FALSE(reader.Open(path));
  std::int64_t n = 0;
  while (!reader.AtEnd()) {
    reader.ReadLine();
    ++n;
  }
  return n;
}

// ---- CountRecords ----

struct CountCase {
  const char* name;
  std::string bytes;
  std::int64_t lines;
};

class CountRecordsCases : public ::testing::TestWithParam<CountCase> {
 protected:
  TempFolder temp;
};

TEST_P(CountRecordsCases, CountsLinesAtEveryBlockSize) {
  const CountCase& c = GetParam();
  ASSERT_EQ(static_cast<std::int64_t>(LinesByTheRule(c.bytes).size()), c.lines);
  const std::string path = temp.Write("in.csv", c.bytes);
  const std::int64_t records = c.lines > 0 ? c.lines - 1 : 0;
  for (size_t block = 1; block <= c.bytes.size() + 1; ++block) {
    EXPECT_EQ(CountOrFail(path, HeadingKind::None, block), c.lines) << "block " << block;
    EXPECT_EQ(CountOrFail(path, HeadingKind::Standard, block), records) << "block " << block;
    EXPECT_EQ(CountOrFail(path, HeadingKind::User, block), records) << "block " << block;
  }
  EXPECT_EQ(CountOrFail(path, HeadingKind::None), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CountRecordsCases,
    ::testing::Values(CountCase{"Empty", "", 0},
                      CountCase{"OnlyEof",
                                "\x1A"
                                "a\r\n",
                                0},
                      CountCase{"OneLineNoEnd", "a", 1}, CountCase{"OneLine", "a\r\n", 1},
                      CountCase{"OnlyCrLf", "\r\n", 1}, CountCase{"OnlyLf", "\n", 1},
                      CountCase{"CrLfLines", "h\r\n1\r\n2\r\n", 3}, CountCase{"CrLines", "h\r1\r2", 3},
                      CountCase{"LastLineWithoutEnd", "h\r\n1\r\n2", 3},
                      CountCase{"EmptyLinesCount", "h\r\n\r\n\r\n", 3},
                      CountCase{"LfOnlyIsOneLine", "h\n1\n2\n", 1},
                      CountCase{"LfAfterCrLfStartsALine", "h\r\n\n", 2}, CountCase{"CrCrLf", "a\r\r\n", 2},
                      CountCase{"QuotedLineBreakCountsTwice", "h\r\n\"a\r\nb\",c\r\n", 3},
                      CountCase{"EofInTheMiddle",
                                "h\r\n1\x1A"
                                "2\r\n3\r\n",
                                2},
                      CountCase{"EofAfterCr", "h\r\x1A\n", 1}, CountCase{"EofAfterCrLf", "h\r\n\x1A", 1},
                      CountCase{"DoubleByteTrailBytes", "\x95\x5C\r\n\x81\r\n\x83\x0D", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CountRecords, AgreesWithTheLineReaderOnGeneratedFiles) {
  TempFolder temp;
  std::mt19937 random(7);
  const char alphabet[] = {'a', ',', '"', '\r', '\n', '\x1A', '\x81'};
  std::discrete_distribution<int> pick({40, 10, 5, 20, 20, 1, 4});
  for (int round = 0; round < 500; ++round) {
    // Short files in small blocks, and some long ones in blocks large enough
    // for the wide compare of the count.
    const bool large = round % 5 == 0;
    std::string bytes(random() % (large ? 20000 : 300), ' ');
    for (char& b : bytes) b = alphabet[pick(random)];
    if (large) std::replace(bytes.begin(), bytes.end(), '\x1A', 'b');
    const std::string path = temp.Write("in.csv", bytes);
    const std::int64_t expected = CountWithLineReader(path);
    ASSERT_EQ(expected, static_cast<std::int64_t>(LinesByTheRule(bytes).size()));
    const size_t block = 1 + random() % (large ? 5000 : 50);
    ASSERT_EQ(CountOrFail(path, HeadingKind::None, block), expected) << "round " << round;
  }
}

TEST(CountRecords, LargerFileAtTheDefaultBlock) {
  TempFolder temp;
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += i % 7 == 0 ? "1,\"a\r\nb\",c\r\n" : "0001,2,3\r\n";
  bytes += "x\n\n";  // a last line without a line end
  const std::string path = temp.Write("in.csv", bytes);
  EXPECT_EQ(CountOrFail(path, HeadingKind::Standard), CountWithLineReader(path) - 1);
  EXPECT_EQ(CountOrFail(path, HeadingKind::Standard), 300000 + 300000 / 7 + 1);
}

#ifndef _WIN32  // /proc, pipes and devices of POSIX
TEST(CountRecords, ErrorsAndFilesClosed) {
  TempFolder temp;
  const int before = OpenFileCount();
  auto r = CountRecords(temp / "missing.csv", HeadingKind::Standard);
  ASSERT_TRUE(std::holds_alternative<IoError>(r));
  EXPECT_EQ(std::get<IoError>(r).message.find(Sj("ファイルが見つかりません")), 0u);
  r = CountRecords(temp.Path().string(), HeadingKind::None);
  EXPECT_TRUE(std::holds_alternative<IoError>(r));
  r = CountRecords("/proc/self/mem", HeadingKind::None);  // read(2) fails with EIO
  EXPECT_TRUE(std::holds_alternative<IoError>(r));
  CountOrFail(temp.Write("a.csv", "a\r\n"), HeadingKind::None);
  EXPECT_EQ(OpenFileCount(), before);
}

// What is no file to read (a pipe without writer, a device, a folder, a name
// cut short by a NUL, a blank name) is refused at the open, before a byte is
// read and without waiting, by the layout read, the count and the writer.
TEST(CountRecords, WhatIsNoFileIsRefusedAtTheOpen) {
  TempFolder temp;
  const std::string fifo = temp / "pipe.csv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string good = temp.Write("new.csv", "a\r\n");
  struct Case {
    std::string path;
    std::string message;  // how the error text begins
  };
  const std::vector<Case> cases{
      {fifo, Sj("パイプやデバイスはファイルとして読めません")},
      {"/dev/zero", Sj("パイプやデバイスはファイルとして読めません")},
      {"/dev/null", Sj("パイプやデバイスはファイルとして読めません")},
      {temp.Path().string(), Sj("フォルダーはファイルとして開けません")},
      {good + std::string(1, '\0') + ".bak", Sj("ファイル名に使えない文字（制御文字）があります")},
      {"", Sj("ファイルが見つかりません")},
  };
  const int before = OpenFileCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    auto counted = CountRecords(c.path, HeadingKind::None);
    ASSERT_TRUE(std::holds_alternative<IoError>(counted));
    EXPECT_EQ(std::get<IoError>(counted).message.find(c.message), 0u);
    LineReader reader;
    const auto opened = reader.Open(c.path);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->message.find(c.message), 0u);
  }
  LineWriter writer;
  const auto written = writer.Open(good + std::string(1, '\0') + ".bak", LineWriter::Mode::Create);
  ASSERT_TRUE(written);
  EXPECT_EQ(written->message.find(Sj("ファイル名に使えない文字（制御文字）があります")), 0u);
  EXPECT_EQ(std::filesystem::file_size(good), 3u);
  EXPECT_EQ(OpenFileCount(), before);
}
#endif

// ---- ReadExtractLayout ----

struct ExtractCase {
  const char* name;
  HeadingKind sourceKind;
  std::string bytes;
  bool noData;
  int itemCount, ridItemCount, bodyCellCount;
  std::string headingText, firstRecord;
};

class ReadExtractLayoutCases : public ::testing::TestWithParam<ExtractCase> {
 protected:
  TempFolder temp;
};

TEST_P(ReadExtractLayoutCases, SplitsBySourceKind) {
  const ExtractCase& c = GetParam();
  const int before = OpenFileCount();
  const std::string path = temp.Write("out.csv", c.bytes);
  const ExtractLayoutResult r = ReadExtractLayout(path, c.sourceKind);
  EXPECT_EQ(OpenFileCount(), before);
  ASSERT_EQ(std::holds_alternative<LayoutNoData>(r), c.noData);
  const FileLayout& layout = c.noData ? std::get<LayoutNoData>(r).layout : std::get<FileLayout>(r);
  EXPECT_EQ(layout.fileName, path);
  EXPECT_EQ(layout.headingKind, c.sourceKind);
  EXPECT_EQ(layout.itemCount, c.itemCount);
  EXPECT_EQ(layout.ridItemCount, c.ridItemCount);
  EXPECT_EQ(layout.bodyCellCount, c.bodyCellCount);
  EXPECT_EQ(layout.headingText, c.headingText);
  EXPECT_EQ(layout.firstRecord, c.firstRecord);
}

const std::string kSeru = "\xBE\xD9";  // ｾﾙ

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReadExtractLayoutCases,
    ::testing::Values(ExtractCase{"StandardBoth", HeadingKind::Standard,
                                  "ID,NAME," + kSeru + "1\r\n1,a,5\r\n", false, 3, 2, 1,
                                  "ID,NAME," + kSeru + "1", "1,a,5"},
                      ExtractCase{"StandardCellsOnly", HeadingKind::Standard,
                                  kSeru + "1," + kSeru + "2\r\n5,6\r\n", false, 2, 0, 2,
                                  kSeru + "1," + kSeru + "2", "5,6"},
                      ExtractCase{"StandardRidOnly", HeadingKind::Standard, "ID,NAME\r\n1,a\r\n", false, 2, 2,
                                  0, "ID,NAME", "1,a"},
                      ExtractCase{"StandardHeadingAlone", HeadingKind::Standard, "ID," + kSeru + "1\r\n",
                                  true, 2, 1, 1, "ID," + kSeru + "1", ""},
                      ExtractCase{"UserKeepsAllAsCells", HeadingKind::User, "ID," + kSeru + "1\r\n1,2", false,
                                  2, 0, 2, "ID," + kSeru + "1", "1,2"},
                      ExtractCase{"UserHeadingAlone", HeadingKind::User, "A,B", true, 2, 0, 2, "A,B", ""},
                      ExtractCase{"NoneFirstLineIsTheRecord", HeadingKind::None, "1,\"2,3\"\r\n4,5\r\n",
                                  false, 2, 0, 2, "", "1,\"2,3\""},
                      ExtractCase{"NoneEmptyFile", HeadingKind::None, "", false, 1, 0, 1, "", ""},
                      ExtractCase{"StandardEmptyFile", HeadingKind::Standard, "", true, 1, 1, 0, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadExtractLayout, MissingFile) {
  TempFolder temp;
  const ExtractLayoutResult r = ReadExtractLayout(temp / "missing.csv", HeadingKind::Standard);
  ASSERT_TRUE(std::holds_alternative<IoError>(r));
  EXPECT_EQ(std::get<IoError>(r).message.find(Sj("ファイルが見つかりません")), 0u);
}

// ---- BuildItemList ----

FileLayout Layout(HeadingKind kind, std::string heading, std::string record, int items, int rid) {
  FileLayout layout;
  layout.headingKind = kind;
  layout.headingText = std::move(heading);
  layout.firstRecord = std::move(record);
  layout.itemCount = items;
  layout.ridItemCount = rid;
  layout.bodyCellCount = items - rid;
  return layout;
}

using List = std::vector<std::string>;

TEST(BuildItemList, StandardLayoutByteForByte) {
  const FileLayout layout =
      Layout(HeadingKind::Standard, Sj("ID,NAME,ｾﾙ1,ｾﾙ2"), "0001,\"a,b\",125,\"X\"", 4, 2);
  EXPECT_EQ(BuildItemList(layout), (List{"(1) ID \x81\x63 0001", "(2) NAME \x81\x63 \"a,b\"",
                                         "<1> \xBE\xD9"
                                         "1 \x81\x63 125",
                                         "<2> \xBE\xD9"
                                         "2 \x81\x63 \"X\""}));
}

TEST(BuildItemList, UserAndNoneLayouts) {
  EXPECT_EQ(BuildItemList(Layout(HeadingKind::User, "A, B ", "1,2", 2, 0)),
            (List{"<1> A \x81\x63 1", "<2>  B  \x81\x63 2"}));
  EXPECT_EQ(BuildItemList(Layout(HeadingKind::None, "", "1,,3", 3, 0)),
            (List{"<1>  \x81\x63 1", "<2>  \x81\x63 ", "<3>  \x81\x63 3"}));
}

TEST(BuildItemList, ShortRecordShowsEmptyValuesAndLongRecordIsCut) {
  EXPECT_EQ(BuildItemList(Layout(HeadingKind::Standard, Sj("ID,ｾﾙ1,ｾﾙ2,ｾﾙ3"), "7,8", 4, 1)),
            (List{"(1) ID \x81\x63 7",
                  "<1> \xBE\xD9"
                  "1 \x81\x63 8",
                  "<2> \xBE\xD9"
                  "2 \x81\x63 ",
                  "<3> \xBE\xD9"
                  "3 \x81\x63 "}));
  EXPECT_EQ(BuildItemList(Layout(HeadingKind::User, "A", "1,2,3", 1, 0)), (List{"<1> A \x81\x63 1"}));
}

TEST(BuildItemList, RidOnlyAndBrokenLayouts) {
  EXPECT_EQ(BuildItemList(Layout(HeadingKind::Standard, "ID,NAME", "1,a", 2, 2)),
            (List{"(1) ID \x81\x63 1", "(2) NAME \x81\x63 a"}));
  // An unterminated quote on line 1 makes itemCount 0: nothing to list.
  EXPECT_TRUE(BuildItemList(Layout(HeadingKind::User, "A,\"B", "1,2", 0, 0)).empty());
  // A stray quote in the record: the rest of the record is the item.
  EXPECT_EQ(BuildItemList(Layout(HeadingKind::User, "A,B,C", "1,\"2,3", 3, 0)),
            (List{"<1> A \x81\x63 1", "<2> B \x81\x63 \"2,3", "<3> C \x81\x63 "}));
}

TEST(BuildItemList, ItemsAreThoseOfLocateItemsOnGeneratedLines) {
  std::mt19937 random(11);
  const char alphabet[] = {'a', ',', '"', '\x81', '\x40', ' '};
  auto line = [&] {
    std::string s(random() % 24, ' ');
    for (char& b : s) b = alphabet[random() % sizeof alphabet];
    return s;
  };
  for (int round = 0; round < 2000; ++round) {
    const std::string heading = line(), record = line();
    const int items = 1 + static_cast<int>(random() % 12);
    const int rid = static_cast<int>(random() % (items + 1));
    const List list = BuildItemList(Layout(HeadingKind::Standard, heading, record, items, rid));
    ASSERT_EQ(list.size(), static_cast<size_t>(items));
    for (int n = 1; n <= items; ++n) {
      const ItemSpan h = LocateItems(heading, 1, n, n);
      const ItemSpan r = LocateItems(record, 1, n, n);
      ASSERT_GE(h.start, 1);
      ASSERT_LE(h.end, static_cast<int>(heading.size()));
      std::string number(1, n <= rid ? '(' : '<');
      number += std::to_string(n <= rid ? n : n - rid);
      number += n <= rid ? ") " : "> ";
      const std::string expected = number + heading.substr(h.start - 1, h.length) + " \x81\x63 " +
                                   record.substr(r.start - 1, r.length);
      ASSERT_EQ(list[n - 1], expected) << "round " << round << " item " << n;
    }
  }
}

TEST(BuildItemList, HundredThousandItemsInOnePass) {
  std::string heading = "ID";
  std::string record = "1";
  for (int i = 1; i <= 100000; ++i) {
    heading += Sj(",ｾﾙ") + std::to_string(i);
    record += ",\"" + std::to_string(i) + "\"";
  }
  const List list = BuildItemList(Layout(HeadingKind::Standard, heading, record, 100001, 1));
  ASSERT_EQ(list.size(), 100001u);
  EXPECT_EQ(list.back(),
            "<100000> \xBE\xD9"
            "100000 \x81\x63 \"100000\"");
}

}  // namespace
}  // namespace sifta
