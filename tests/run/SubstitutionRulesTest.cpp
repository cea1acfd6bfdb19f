// The rules of the @ dialog: what "次　へ" makes of the typed texts, and where
// Enter in the left-hand box sends the focus.
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "run/SubstitutionRules.h"
#include "scan/Cp932.h"

namespace sifta {
namespace {

struct Accepted {
  const char* name;
  std::string left, right;
  bool checked;
  std::string current, end;
  int width;
};

TEST(CheckSubstitutionEntry, AcceptedEntries) {
  const std::vector<Accepted> cases{
      {"range", "08", "12", false, "08", "12", 2},
      {"range trimmed", " 08\t", "  12 ", true, "08", "12", 2},
      {"digits alone", "07", "", false, "07", "07", 2},
      {"blank right box", "07", "   ", false, "07", "07", 2},
      {"equal ends", "5", "5", false, "5", "5", 1},
      {"text ignores the right box", "A", "B", false, "A", "A", 1},
      {"text with digits", "A1", "zz", true, "A1", "A1", 2},
      {"double-byte text", Sj("東京"), "", false, Sj("東京"), Sj("東京"), 4},
      {"eight digits", "00000001", "99999999", false, "00000001", "99999999", 8},
      {"ideographic space is no blank", Sj("　1"), "", false, Sj("　1"), Sj("　1"), 3},
  };
  for (const Accepted& c : cases) {
    auto result = CheckSubstitutionEntry({c.left, c.right, c.checked});
    ASSERT_TRUE(std::holds_alternative<SubstitutionEntry>(result)) << c.name;
    const auto& entry = std::get<SubstitutionEntry>(result);
    EXPECT_EQ(entry.rangeCurrent, c.current) << c.name;
    EXPECT_EQ(entry.rangeEnd, c.end) << c.name;
    EXPECT_EQ(entry.rangeWidth, c.width) << c.name;
    EXPECT_EQ(entry.lastEntry, c.checked) << c.name;
  }
}

TEST(CheckSubstitutionEntry, EmptyEntryWithCheckBoxEndsTheSeries) {
  auto result = CheckSubstitutionEntry({"  ", "12", true});
  ASSERT_TRUE(std::holds_alternative<SubstitutionEntry>(result));
  EXPECT_EQ(std::get<SubstitutionEntry>(result).rangeWidth, 0);
  EXPECT_TRUE(std::get<SubstitutionEntry>(result).lastEntry);
}

struct Refused {
  const char* name;
  std::string left, right;
  const char* message;
  SubstitutionFocus focus;
};

TEST(CheckSubstitutionEntry, RefusedEntries) {
  using F = SubstitutionFocus;
  const std::vector<Refused> cases{
      {"empty", "", "", "** 左側文字の指定がありません。", F::Edit2},
      {"blanks", " \t ", "3", "** 左側文字の指定がありません。", F::Edit2},
      {"right not digits", "12", "1A", "** 右側文字が非数字です。", F::Edit3},
      {"lengths differ", "8", "12", "** 左右の文字長さが異なります。", F::Edit2},
      {"reversed", "12", "08", "** 左右の文字が逆順です。", F::Edit2},
      {"nine digits", "000000001", "", "** 入力文字は８桁以内です。", F::Edit2},
      {"nine bytes of text", "ABCDEFGHI", "", "** 入力文字は８桁以内です。", F::Edit2},
      {"five double-byte characters", Sj("東京都港区"), "", "** 入力文字は８桁以内です。", F::Edit2},
      {"right longer than eight", "12345678", "123456789", "** 左右の文字長さが異なります。", F::Edit2},
      {"lone lead byte", "A\x81", "", "** 入力文字はﾌｧｲﾙ名に使えません。", F::Edit2},
      {"NUL inside", std::string("A\0B", 3), "", "** 入力文字はﾌｧｲﾙ名に使えません。", F::Edit2},
  };
  for (const Refused& c : cases) {
    for (bool checked : {false, true}) {
      auto result = CheckSubstitutionEntry({c.left, c.right, checked});
      if (c.left.find_first_not_of(" \t") == std::string::npos && checked) continue;  // ends the series
      ASSERT_TRUE(std::holds_alternative<SubstitutionRefusal>(result)) << c.name;
      const auto& refusal = std::get<SubstitutionRefusal>(result);
      EXPECT_EQ(refusal.message, Sj(c.message)) << c.name;
      EXPECT_EQ(refusal.focus, c.focus) << c.name;
    }
  }
}

TEST(TakesRangeEnd, DigitsOrNothingTakeTheRightHandBox) {
  EXPECT_TRUE(TakesRangeEnd("08"));
  EXPECT_TRUE(TakesRangeEnd(" 12 "));
  EXPECT_TRUE(TakesRangeEnd(""));
  EXPECT_TRUE(TakesRangeEnd("   "));
  EXPECT_FALSE(TakesRangeEnd("A"));
  EXPECT_FALSE(TakesRangeEnd("1 2"));
  EXPECT_FALSE(TakesRangeEnd(Sj("１")));  // a full-width digit is no digit
}

}  // namespace
}  // namespace sifta
