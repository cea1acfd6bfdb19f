#include "inspect/TextLines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "scan/Cp932.h"
#include "scan/Scanning.h"
#include "scan/TempFolder.h"

namespace sifta {
namespace {

using testing::TempFolder;

// A page of fixed metrics: a single-byte character is 10 units wide, a
// double-byte one 20 (a lone lead byte counts 10, so a split character would
// fit where the whole one does not); the font is 12 high.
class FakeCanvas final : public PageCanvas {
 public:
  struct Drawn {
    int page;
    int x;
    int y;
    std::string text;
  };

  FakeCanvas(int width, int height) : width_(width), height_(height) {}

  int PageWidth() override { return width_; }
  int PageHeight() override { return height_; }
  int FontHeight() override { return 12; }
  int AverageCharWidth() override { return 10; }
  int TextWidth(std::string_view text) override {
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
        width += 20;
        ++i;
      } else {
        width += 10;
      }
    }
    return width;
  }
  void DrawText(int x, int y, std::string_view text) override {
    drawn.push_back({page, x, y, std::string(text)});
  }
  bool NewPage() override {
    if (failNewPage) return false;
    ++page;
    return true;
  }

  std::vector<Drawn> drawn;
  int page = 0;
  bool failNewPage = false;

 private:
  int width_;
  int height_;
};

std::vector<std::string> Sjs(std::initializer_list<const char*> lines) {
  std::vector<std::string> out;
  for (const char* line : lines) out.push_back(Sj(line));
  return out;
}

void ExpectDrawn(const FakeCanvas& canvas, const std::vector<FakeCanvas::Drawn>& expected) {
  ASSERT_EQ(canvas.drawn.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("draw " + std::to_string(i));
    EXPECT_EQ(canvas.drawn[i].page, expected[i].page);
    EXPECT_EQ(canvas.drawn[i].x, expected[i].x);
    EXPECT_EQ(canvas.drawn[i].y, expected[i].y);
    EXPECT_EQ(Cp932ToUtf8ForDisplay(canvas.drawn[i].text), expected[i].text);
  }
}

TEST(PrintLinesTest, EmptyListDrawsNothingAndStartsNoPage) {
  FakeCanvas canvas(1000, 1000);
  EXPECT_TRUE(PrintLines({}, canvas));
  EXPECT_TRUE(canvas.drawn.empty());
  EXPECT_EQ(canvas.page, 0);
}

TEST(PrintLinesTest, EachLineFollowsFiveBlanksAndStepsByTextHeightPlusTwo) {
  FakeCanvas canvas(1000, 1000);
  EXPECT_TRUE(PrintLines(Sjs({"元ファイル名　：a.csv", "", "b"}), canvas));
  ExpectDrawn(canvas, {{0, 0, 0, "     元ファイル名　：a.csv"}, {0, 0, 14, "     "}, {0, 0, 28, "     b"}});
}

TEST(PrintLinesTest, LineWiderThanThePageWrapsToTheLeftEdge) {
  FakeCanvas canvas(100, 1000);
  EXPECT_TRUE(PrintLines(Sjs({"ABCDEFGHIJKLMNOPQRSTUVWXY", "Z"}), canvas));
  ExpectDrawn(
      canvas,
      {{0, 0, 0, "     ABCDE"}, {0, 0, 14, "FGHIJKLMNO"}, {0, 0, 28, "PQRSTUVWXY"}, {0, 0, 42, "     Z"}});
}

TEST(PrintLinesTest, DoubleByteCharacterIsNeverSplitAtAWrap) {
  // 50 (blanks) + 10 + 20 + 20 = 100 fits 110; a lone lead byte would too.
  FakeCanvas canvas(110, 1000);
  EXPECT_TRUE(PrintLines(Sjs({"Xあいうえ"}), canvas));
  ExpectDrawn(canvas, {{0, 0, 0, "     Xあい"}, {0, 0, 14, "うえ"}});
}

TEST(PrintLinesTest, NewPageWhenTheLineBelowWouldPassTwoLineHeightsFromTheBottom) {
  // h = 14: after line 1 y = 14 (not > 50 - 28), after line 2 y = 28 > 22.
  FakeCanvas canvas(1000, 50);
  EXPECT_TRUE(PrintLines(Sjs({"1", "2", "3", "4", "5"}), canvas));
  ExpectDrawn(canvas, {{0, 0, 0, "     1"},
                       {0, 0, 14, "     2"},
                       {1, 0, 0, "     3"},
                       {1, 0, 14, "     4"},
                       {2, 0, 0, "     5"}});
  EXPECT_EQ(canvas.page, 2);  // the caller's end of the job ejects the last one
}

TEST(PrintLinesTest, TabMovesToTheNextStopOfEightAverageWidths) {
  FakeCanvas canvas(1000, 1000);
  // "     A" ends at 60 -> 80; "     ABC" ends on the stop 80 -> 160.
  EXPECT_TRUE(PrintLines(Sjs({"A\tB", "ABC\tD"}), canvas));
  ExpectDrawn(canvas, {{0, 0, 0, "     A"}, {0, 80, 0, "B"}, {0, 0, 14, "     ABC"}, {0, 160, 14, "D"}});
}

TEST(PrintLinesTest, TextAfterATabThatDoesNotFitWrapsToTheLeftEdge) {
  FakeCanvas canvas(100, 1000);
  EXPECT_TRUE(PrintLines(Sjs({"A\tBCD"}), canvas));
  ExpectDrawn(canvas, {{0, 0, 0, "     A"}, {0, 80, 0, "BC"}, {0, 0, 14, "D"}});
}

TEST(PrintLinesTest, FormFeedBeginsANewPageAndAnEmptyLineStepsByTheFontHeight) {
  FakeCanvas canvas(1000, 1000);
  EXPECT_TRUE(PrintLines(Sjs({"A\fB", "C\f", "D"}), canvas));
  ExpectDrawn(canvas, {{0, 0, 0, "     A"}, {1, 0, 0, "B"}, {1, 0, 14, "     C"}, {2, 0, 12, "     D"}});
}

TEST(PrintLinesTest, CharacterWiderThanThePageIsDrawnAloneAndTheJobGoesOn) {
  FakeCanvas canvas(15, 1000);
  EXPECT_TRUE(PrintLines(Sjs({"あ"}), canvas));
  ASSERT_EQ(canvas.drawn.size(), 6u);  // five blanks, one per line, then あ
  EXPECT_EQ(Cp932ToUtf8ForDisplay(canvas.drawn[4].text), " ");
  EXPECT_EQ(Cp932ToUtf8ForDisplay(canvas.drawn[5].text), "あ");
  EXPECT_EQ(canvas.drawn[5].y, 5 * 14);
}

TEST(PrintLinesTest, FailedNewPageStopsThePrinting) {
  FakeCanvas canvas(1000, 30);
  canvas.failNewPage = true;
  EXPECT_FALSE(PrintLines(Sjs({"1", "2", "3"}), canvas));
  EXPECT_EQ(canvas.drawn.size(), 1u);
}

// ---- SaveLines ----

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SaveLinesTest, WritesTheBytesOfEachLineWithCrLfAndNothingElse) {
  TempFolder folder;
  const std::string path = folder / "list.txt";
  const std::vector<std::string> lines = {Sj(" 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：1,234"), "", std::string("\x81\x40\xFC", 3)};
  EXPECT_FALSE(SaveLines(path, lines).has_value());
  EXPECT_EQ(ReadAll(path), lines[0] + "\r\n" + "\r\n" + std::string("\x81\x40\xFC", 3) + "\r\n");
}

TEST(SaveLinesTest, EmptyListSavesAnEmptyFileOverAnExistingOne) {
  TempFolder folder;
  const std::string path = folder.Write("list.txt", "old contents\r\n");
  EXPECT_FALSE(SaveLines(path, {}).has_value());
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(ReadAll(path), "");
}

TEST(SaveLinesTest, MissingFolderIsAnErrorWithAMessage) {
  TempFolder folder;
  const auto error = SaveLines(folder / "no/such/list.txt", {"a"});
  ASSERT_TRUE(error.has_value());
  EXPECT_FALSE(error->message.empty());
}

}  // namespace
}  // namespace sifta
