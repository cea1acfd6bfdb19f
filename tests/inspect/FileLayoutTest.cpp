#include "inspect/FileLayout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "scan/Cp932.h"
#include "scan/Scanning.h"
#include "scan/TempFolder.h"

namespace sifta {
namespace {

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

// ---- DetectStandardHeading ----

struct HeadingCase {
  const char* name;
  std::string line;  // UTF-8; converted to code page 932
  bool standard;
  int ridItemCount;
};

// Names the case in test listings and failures instead of a byte dump.
void PrintTo(const HeadingCase& c, std::ostream* os) { *os << c.name; }

class DetectStandardHeadingTest : public ::testing::TestWithParam<HeadingCase> {};

TEST_P(DetectStandardHeadingTest, Classifies) {
  const HeadingCase& c = GetParam();
  const auto heading = DetectStandardHeading(Sj(c.line));
  ASSERT_EQ(heading.has_value(), c.standard);
  if (heading) {
    EXPECT_EQ(heading->ridItemCount, c.ridItemCount);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DetectStandardHeadingTest,
    ::testing::Values(HeadingCase{"TwoRidTwoCells", "ID,NAME,ｾﾙ1,ｾﾙ2", true, 2},
                      HeadingCase{"OneRidOneCell", "ID,ｾﾙ", true, 1},
                      HeadingCase{"OtherNamesAfterTheFirstCell", "ID,ｾﾙ1,X,ｾﾙ2", true, 1},
                      HeadingCase{"BeginsWithCell", "ｾﾙ1,ｾﾙ2", false, 0},
                      HeadingCase{"BeginsWithCellEvenWithMarkerLater", "ｾﾙX,ID,ｾﾙ1", false, 0},
                      HeadingCase{"NoMarker", "ID,NAME,A", false, 0},
                      HeadingCase{"AllQuoted", "\"ID\",\"NAME\",\"ｾﾙ1\"", false, 0},
                      HeadingCase{"Empty", "", false, 0},
                      HeadingCase{"FullWidthSeruIsNoMarker", "ID,セル1", false, 0},
                      // Quoted RID names with commas: only commas outside quotes count.
                      HeadingCase{"QuotedRidNames", "\"I,D\",\"N,A\",ｾﾙ1", true, 2},
                      // An empty first item: the marker may stand at position 1.
                      HeadingCase{"MarkerAtStart", ",ｾﾙ1,ｾﾙ2", true, 1},
                      // The marker inside a quoted item still counts (quotes are not
                      // considered); the items in front are counted outside quotes.
                      HeadingCase{"MarkerInsideQuotes", "A,\"B,ｾﾙ1\",C", true, 1}));

TEST(DetectStandardHeading, MarkerNeverStartsOnATrailByte) {
  // 0x81 0x2C is no character, but with a lead byte 0x81 in front, the 0x2C is
  // its trail byte and cannot begin ",ｾﾙ".
  const std::string line = std::string("ID\x81") + Sj(",ｾﾙ1");
  EXPECT_EQ(FindCellMarker(line), 0);
  EXPECT_FALSE(DetectStandardHeading(line));
  // Two lead bytes: the comma is a character of its own again.
  const std::string two = std::string("ID\x81\x81") + Sj(",ｾﾙ1");
  EXPECT_EQ(FindCellMarker(two), 5);
  ASSERT_TRUE(DetectStandardHeading(two));
  EXPECT_EQ(DetectStandardHeading(two)->ridItemCount, 1);
}

TEST(FindCellMarker, PositionOfTheFirstMarker) {
  EXPECT_EQ(FindCellMarker(Sj("ID,NAME,ｾﾙ1,ｾﾙ2")), 8);
  EXPECT_EQ(FindCellMarker(Sj("ID,NAME")), 0);
  EXPECT_EQ(FindCellMarker(""), 0);
  EXPECT_EQ(FindCellMarker(Sj("ｾﾙ")), 0);
}

// ---- ReadFileLayout ----

// The answer of the question box, and what the callbacks saw.
struct Asker {
  std::optional<HeadingKind> answer;
  int asked = 0;
  std::vector<HeadingKind> known;
  ChooseHeadingKind Choose() {
    return [this] {
      ++asked;
      return answer;
    };
  }
  HeadingKindKnown Known() {
    return [this](HeadingKind kind) { known.push_back(kind); };
  }
};

class ReadFileLayoutTest : public ::testing::Test {
 protected:
  TempFolder temp;
  Asker asker;
  int filesBefore = OpenFileCount();

  LayoutResult Read(std::string_view bytes) {
    const std::string path = temp.Write("in.csv", bytes);
    LayoutResult r = ReadFileLayout(path, asker.Choose(), asker.Known());
    EXPECT_EQ(OpenFileCount(), filesBefore) << "the file is closed";
    return r;
  }
};

TEST_F(ReadFileLayoutTest, StandardHeadingWithRecord) {
  const std::string line1 = Sj("ID,NAME,ｾﾙ1,ｾﾙ2");
  const LayoutResult r = Read(line1 + "\r\n0001,\"ab\",125,\"X\"\r\n0002,c,1,2\r\n");
  ASSERT_TRUE(std::holds_alternative<FileLayout>(r));
  const FileLayout& layout = std::get<FileLayout>(r);
  EXPECT_EQ(layout.fileName, temp / "in.csv");
  EXPECT_EQ(layout.headingKind, HeadingKind::Standard);
  EXPECT_EQ(layout.headingText, line1);
  EXPECT_EQ(layout.firstRecord, "0001,\"ab\",125,\"X\"");
  EXPECT_EQ(layout.itemCount, 4);
  EXPECT_EQ(layout.ridItemCount, 2);
  EXPECT_EQ(layout.bodyCellCount, 2);
  EXPECT_EQ(asker.asked, 0);
  EXPECT_EQ(asker.known, std::vector<HeadingKind>{HeadingKind::Standard});
}

TEST_F(ReadFileLayoutTest, StandardHeadingAloneIsNoData) {
  for (std::string tail : {"", "\r", "\r\n", "\x1A", "\r\n\x1A"}) {
    const LayoutResult r = Read(Sj("ID,ｾﾙ1,X,ｾﾙ2") + tail);
    ASSERT_TRUE(std::holds_alternative<LayoutNoData>(r)) << tail.size();
    const FileLayout& layout = std::get<LayoutNoData>(r).layout;
    EXPECT_EQ(layout.headingKind, HeadingKind::Standard);
    EXPECT_EQ(layout.itemCount, 4);
    EXPECT_EQ(layout.ridItemCount, 1);
    EXPECT_EQ(layout.bodyCellCount, 3);
    EXPECT_EQ(layout.headingText, Sj("ID,ｾﾙ1,X,ｾﾙ2"));
    EXPECT_TRUE(layout.firstRecord.empty());
  }
}

TEST_F(ReadFileLayoutTest, EmptySecondLineIsARecord) {
  const LayoutResult r = Read(Sj("ID,ｾﾙ1") + "\r\n\r\n");
  ASSERT_TRUE(std::holds_alternative<FileLayout>(r));
  EXPECT_EQ(std::get<FileLayout>(r).firstRecord, "");
}

struct AnswerCase {
  const char* name;
  std::string bytes;
  std::optional<HeadingKind> answer;
  // Expected: the outcome's index in LayoutResult, then for a layout its fields.
  size_t outcome;
  std::string headingText;
  std::string firstRecord;
  int itemCount;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class ReadFileLayoutAnswers : public ReadFileLayoutTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(ReadFileLayoutAnswers, FollowsTheAnswer) {
  const AnswerCase& c = GetParam();
  asker.answer = c.answer;
  const LayoutResult r = Read(c.bytes);
  EXPECT_EQ(asker.asked, 1);
  ASSERT_EQ(r.index(), c.outcome);
  if (c.outcome == 1) {
    EXPECT_TRUE(asker.known.empty()) << "no kind is known after a cancel";
    return;
  }
  ASSERT_EQ(asker.known.size(), 1u);
  EXPECT_EQ(asker.known[0], *c.answer);
  const FileLayout& layout = c.outcome == 0 ? std::get<FileLayout>(r) : std::get<LayoutNoData>(r).layout;
  EXPECT_EQ(layout.headingKind, *c.answer);
  EXPECT_EQ(layout.headingText, c.headingText);
  EXPECT_EQ(layout.firstRecord, c.firstRecord);
  EXPECT_EQ(layout.itemCount, c.itemCount);
  EXPECT_EQ(layout.ridItemCount, 0);
  EXPECT_EQ(layout.bodyCellCount, c.itemCount);
}

constexpr size_t kLayout = 0, kCancelled = 1, kNoData = 2;

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadFileLayoutAnswers,
    ::testing::Values(
        AnswerCase{"UserHeading", "ID,NAME,A\r\n1,2,3\r\n", HeadingKind::User, kLayout, "ID,NAME,A", "1,2,3",
                   3},
        AnswerCase{"NoHeading", "1,2,3\r\n4,5,6\r\n", HeadingKind::None, kLayout, "", "1,2,3", 3},
        AnswerCase{"NoHeadingSingleLine", "1,\"2,x\",3", HeadingKind::None, kLayout, "", "1,\"2,x\",3", 3},
        AnswerCase{"Cancelled", "ID,NAME,A\r\n1,2,3\r\n", std::nullopt, kCancelled, "", "", 0},
        AnswerCase{"EmptyFileUser", "", HeadingKind::User, kNoData, "", "", 1},
        AnswerCase{"EmptyFileNone", "", HeadingKind::None, kLayout, "", "", 1},
        AnswerCase{"EmptyFileCancelled", "", std::nullopt, kCancelled, "", "", 0},
        AnswerCase{"UserHeadingAlone", "A,B\r\n", HeadingKind::User, kNoData, "A,B", "", 2},
        AnswerCase{"BeginsWithCell",
                   "\xBE\xD9"
                   "1,\xBE\xD9"
                   "2\r\n1,2\r\n",
                   HeadingKind::User, kLayout,
                   "\xBE\xD9"
                   "1,\xBE\xD9"
                   "2",
                   "1,2", 2},
        // LF alone is no line end: the whole file is line 1.
        AnswerCase{"LfOnlyIsOneLine", "A,B\n1,2\n3,4\n", HeadingKind::User, kNoData, "A,B\n1,2\n3,4\n", "",
                   4},
        // An unterminated quote on line 1 makes the item count 0.
        AnswerCase{"UnterminatedQuote", "A,\"B,C\r\n1,2,3\r\n", HeadingKind::User, kLayout, "A,\"B,C",
                   "1,2,3", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadFileLayoutTest, MissingFileIsAnIoError) {
  const LayoutResult r = ReadFileLayout(temp / "missing.csv", asker.Choose(), asker.Known());
  ASSERT_TRUE(std::holds_alternative<IoError>(r));
  EXPECT_EQ(std::get<IoError>(r).message.find(Sj("ファイルが見つかりません")), 0u);
  EXPECT_EQ(asker.asked, 0);
  EXPECT_TRUE(asker.known.empty());
}

TEST_F(ReadFileLayoutTest, FolderIsAnIoError) {
  const LayoutResult r = ReadFileLayout(temp.Path().string(), asker.Choose(), asker.Known());
  ASSERT_TRUE(std::holds_alternative<IoError>(r));
  EXPECT_FALSE(std::get<IoError>(r).message.empty());
  EXPECT_EQ(OpenFileCount(), filesBefore);
}

TEST_F(ReadFileLayoutTest, TextsAreKeptByteForByte) {
  // Quotes, blanks, double-byte characters with trail bytes 0x5C and 0x2C-like
  // values, and an LF inside the record stay exactly as read.
  const std::string line1 = Sj("\"ＩＤ\" ,表,ｾﾙ1");
  const std::string record = "\x95\x5C,\" a \",\n1";
  const LayoutResult r = Read(line1 + "\r\n" + record + "\r\nnext");
  ASSERT_TRUE(std::holds_alternative<FileLayout>(r));
  const FileLayout& layout = std::get<FileLayout>(r);
  EXPECT_EQ(layout.headingText, line1);
  EXPECT_EQ(layout.firstRecord, record);
  EXPECT_EQ(layout.itemCount, 3);
  EXPECT_EQ(layout.ridItemCount, 2);
}

// ---- What a layout keeps of a long line ----

struct KeptCase {
  const char* name;
  std::string line;
  std::string kept;
};
void PrintTo(const KeptCase& c, std::ostream* os) { *os << c.name; }

class KeptLayoutTextTest : public ::testing::TestWithParam<KeptCase> {};

// At a limit of 8 bytes: the items that end within the first 8 bytes.
TEST_P(KeptLayoutTextTest, KeepsTheItemsEndingWithinTheLimit) {
  EXPECT_EQ(KeptLayoutText(GetParam().line, 8), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Cases, KeptLayoutTextTest,
                         ::testing::Values(KeptCase{"AtTheLimitWhole", "12,45,78", "12,45,78"},
                                           KeptCase{"CommaRightAfterTheLimit", "12,45,78,0", "12,45,78"},
                                           KeptCase{"ItemAcrossTheLimit", "12,45,789", "12,45"},
                                           KeptCase{"QuotedCommaIsNoEnd", "1,\"3,5,7\",9", "1"},
                                           KeptCase{"TrailByteCommaIsNoEnd", "1,\x81,\x81,\x81,xx", "1"},
                                           KeptCase{"NoItemEndsWithin", "123456789,1", ""},
                                           KeptCase{"UnclosedQuote", "12,\"45,78,0", "12"}),
                         [](const ::testing::TestParamInfo<KeptCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(ReadFileLayoutTest, LinesLongerThanTheLimitKeepTheirFirstItemsAndAllCounts) {
  std::string line1 = Sj("ID,ｾﾙ1");
  std::string record = "0001,1";
  for (int n = 2; line1.size() <= 2 * kLayoutTextLimit; ++n) {
    line1 += Sj(",ｾﾙ") + std::to_string(n);
    record.append(",").append(std::to_string(n));
  }
  const LayoutResult r = Read(line1 + "\r\n" + record + "\r\n");
  ASSERT_TRUE(std::holds_alternative<FileLayout>(r));
  const FileLayout& layout = std::get<FileLayout>(r);
  EXPECT_EQ(layout.itemCount, CountUnquoted(line1, 1, 0, ",", "\"") + 1) << "counted over the whole line";
  EXPECT_EQ(layout.ridItemCount, 1);
  EXPECT_EQ(layout.headingText, KeptLayoutText(line1));
  EXPECT_EQ(layout.firstRecord, KeptLayoutText(record));
  EXPECT_LE(layout.headingText.size(), kLayoutTextLimit);
  EXPECT_GT(layout.headingText.size(), kLayoutTextLimit - 16);
  EXPECT_TRUE(line1.starts_with(layout.headingText + ","));
}

}  // namespace
}  // namespace sifta
