// The steps of the record loop on single lines: the output line with its
// zeroing rules, the key, the code test. Each case runs through the
// reference step and through the record loop's cutter.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/RecordCutter.h"
#include "run/RecordSelection.h"
#include "scan/Cp932.h"
#include "support/ReferenceSteps.h"

namespace sifta {
namespace {

ExtractionPlan Plan(std::vector<NumberRange> rid, std::vector<CellRule> cells) {
  ExtractionPlan plan;
  plan.ridRanges = std::move(rid);
  plan.cellRules = std::move(cells);
  plan.countRanges = {{1, OpenEndCount}};
  return plan;
}

CellRule Cells(int first, int last) { return {first, last, 0, 0, 0}; }
CellRule Repeated(int first, int last, int nextFirst, int lastFirst) {
  return {first, last, nextFirst, lastFirst, nextFirst - first};
}

ExtractionPlan WithSpecials(ExtractionPlan plan, std::vector<std::string> specials) {
  plan.zeroSpecial = true;
  plan.specialMinLength = 99;
  plan.specialMaxLength = 0;
  for (std::string& text : specials) {
    const int length = static_cast<int>(text.size());
    plan.specialMinLength = std::min(plan.specialMinLength, length);
    plan.specialMaxLength = std::max(plan.specialMaxLength, length);
    plan.specialStrings.push_back({length, std::move(text)});
  }
  return plan;
}

ExtractionPlan ZeroQuoted(ExtractionPlan plan) {
  plan.zeroNonNumeric = true;
  return plan;
}

struct LineCase {
  const char* name;
  ExtractionPlan plan;
  std::string line;
  bool zeroing;
  std::string expected;
};

// Names the case in test listings and failures instead of a byte dump.
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class OutputLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(OutputLineTest, CutsTheLine) {
  const LineCase& c = GetParam();
  EXPECT_EQ(BuildOutputLine(c.plan, c.line, c.zeroing), c.expected) << "reference";
  RecordCutter cutter(c.plan);
  cutter.Load(c.line);
  EXPECT_EQ(cutter.OutputLine(c.zeroing), c.expected) << "record loop";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OutputLineTest,
    ::testing::Values(
        LineCase{"QuotedItemsBecomeZero", ZeroQuoted(Plan({}, {Cells(1, 3)})), "a,\"b\",c", true, "a,0,c"},
        LineCase{"CommaInsideQuotesGivesOneZero", ZeroQuoted(Plan({}, {Cells(1, 2)})), "\"x,y\",z", true,
                 "0,z"},
        LineCase{"BytesBeforeTheQuoteStay", ZeroQuoted(Plan({}, {Cells(1, 1)})), "12\"3\"", true, "120"},
        LineCase{"DoubledQuotesGiveOneZero", ZeroQuoted(Plan({}, {Cells(1, 2)})), "\"a\"\"b\",c", true,
                 "0,c"},
        LineCase{"RidItemsAreNeverZeroed", ZeroQuoted(Plan({{1, 1}}, {Cells(2, 2)})), "\"R\",\"X\"", true,
                 "\"R\",0"},
        LineCase{"NoZeroingForTheHeading", ZeroQuoted(Plan({}, {Cells(1, 2)})), "\"A\",\"B\"", false,
                 "\"A\",\"B\""},
        LineCase{"UnquotedTextStays", ZeroQuoted(Plan({}, {Cells(1, 2)})), "X,-", true, "X,-"},
        LineCase{"UnterminatedQuoteStandsAsItIs", ZeroQuoted(Plan({}, {Cells(1, 3)})), "1,\"ab,c", true,
                 "1,\"ab,c,"},
        LineCase{"SpecialStringInBody", WithSpecials(Plan({{1, 1}}, {Cells(2, 4)}), {"101", "200.5"}),
                 "101,101,1010,200.5", true, "101,0,1010,0"},
        LineCase{"SpecialStringsOnlyWithZeroing", WithSpecials(Plan({}, {Cells(1, 1)}), {"101"}), "101",
                 false, "101"},
        LineCase{"SpecialSplitsInsideQuotes", WithSpecials(Plan({}, {Cells(1, 1)}), {"1"}), "\"1,2\"", true,
                 "\"1,2\""},
        LineCase{"SpecialAfterQuotedZero", WithSpecials(ZeroQuoted(Plan({}, {Cells(1, 3)})), {"5"}),
                 "\"X\",5,0", true, "0,0,0"},
        LineCase{"ZeroedItemThatIsSpecial", WithSpecials(ZeroQuoted(Plan({}, {Cells(1, 3)})), {"10"}),
                 "a,1\"x\",b", true, "a,0,b"},
        LineCase{"OverlappingRidRanges", Plan({{1, 2}, {2, 3}}, {}), "a,b,c", true, "a,b,b,c"},
        LineCase{"RepeatedBlocks", Plan({}, {Repeated(1, 2, 4, 7)}), "1,2,3,4,5,6,7,8,9", true,
                 "1,2,4,5,7,8"},
        LineCase{"RepeatedSingleCells", Plan({}, {Repeated(2, 2, 4, 6)}), "1,2,3,4,5,6", true, "2,4,6"},
        LineCase{"BlankLineIsCommasOnly", Plan({{1, 2}}, {Cells(3, 5)}), "", true, ",,,,"},
        LineCase{"MissingItemsAreEmpty", Plan({}, {Cells(1, 4)}), "a,b", true, "a,b,,"},
        LineCase{"MissingRepeatedBlocksAreEmpty", Plan({}, {Repeated(1, 1, 3, 5)}), "a,b,c", true, "a,c,"},
        LineCase{"MissingItemsWhenZeroing", ZeroQuoted(Plan({}, {Cells(2, 4)})), "a,\"b\"", true, "0,,"},
        LineCase{"FirstItemEmpty", ZeroQuoted(Plan({}, {Cells(1, 1), Cells(2, 2)})), ",\"x\"", true, ",0"},
        LineCase{"FirstItemEmptyNoZeroing", Plan({{1, 1}}, {Cells(2, 2)}), ",x", true, ",x"},
        LineCase{"LongerLineThanPlan", Plan({}, {Cells(1, 2)}), "a,b,c,d", true, "a,b"},
        LineCase{"TrailByteIsNoSeparator", Plan({}, {Cells(2, 2)}), "\x95\x5C,\x81,x,y", true, "\x81,x"},
        LineCase{"StandardHeading", Plan({{2, 2}}, {Cells(4, 4)}), Sj("地域,産業,ｾﾙ1,ｾﾙ2"), false,
                 Sj("産業,ｾﾙ2")}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Keys ----

ExtractionPlan KeyPlan(RecordMode mode, std::vector<KeyRange> keys, std::vector<CodeRange> codes,
                       int keyLength) {
  ExtractionPlan plan = Plan({{1, 1}}, {});
  plan.recordMode = mode;
  plan.keyRanges = std::move(keys);
  plan.codeRanges = std::move(codes);
  plan.keyLength = keyLength;
  return plan;
}

struct KeyCase {
  const char* name;
  ExtractionPlan plan;
  std::string line;
  std::string key;
  bool matches;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class RecordKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RecordKeyTest, FormsTheKeyAndTestsIt) {
  const KeyCase& c = GetParam();
  EXPECT_EQ(BuildRecordKey(c.plan, c.line), c.key) << "reference";
  EXPECT_EQ(KeyMatches(c.plan, c.key), c.matches) << "reference";
  RecordCutter cutter(c.plan);
  cutter.Load(c.line);
  const std::string key(cutter.Key());
  EXPECT_EQ(key, c.key) << "record loop";
  EXPECT_EQ(cutter.KeyMatches(key), c.matches) << "record loop";
}

// Code mode: items 1 and 2 of "\"01\",\"002\",x" are bytes 1..10.
const KeyRange kQuotedRidKey{1, 2, 1, 10, 10};
const KeyRange kValueCell{2, 2, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Keys, RecordKeyTest,
    ::testing::Values(
        KeyCase{"CodeQuotesAndCommasDeleted",
                KeyPlan(RecordMode::Code, {kQuotedRidKey}, {{"01000", "01999"}}, 5), "\"01\",\"002\",x",
                "01002", true},
        KeyCase{"CodeFixedPositions", KeyPlan(RecordMode::Code, {kQuotedRidKey}, {{"01000", "01999"}}, 5),
                "\"02\",\"002\",x", "02002", false},
        KeyCase{"CodeShortLineGivesWhatItHas",
                KeyPlan(RecordMode::Code, {kQuotedRidKey}, {{"01000", "01999"}}, 5), "\"01\"", "01", false},
        KeyCase{"CodeLineEndsBeforeTheKey", KeyPlan(RecordMode::Code, {{3, 3, 20, 22, 3}}, {{"1", "9"}}, 3),
                "1,2", "", false},
        KeyCase{"ValueBare", KeyPlan(RecordMode::Value, {kValueCell}, {{"200", "300"}}, 3), "a,250,b", "250",
                true},
        KeyCase{"ValueQuoted", KeyPlan(RecordMode::Value, {kValueCell}, {{"200", "300"}}, 3), "a,\"250\",b",
                "250", true},
        KeyCase{"ValueTooLong", KeyPlan(RecordMode::Value, {kValueCell}, {{"200", "300"}}, 3), "a,1000",
                "1000", false},
        KeyCase{"ValueTooShort", KeyPlan(RecordMode::Value, {kValueCell}, {{"200", "300"}}, 3), "a,99", "99",
                false},
        KeyCase{"ValueMissingCell", KeyPlan(RecordMode::Value, {kValueCell}, {{"200", "300"}}, 3), "a", "",
                false},
        KeyCase{"ValueFirstItemEmpty", KeyPlan(RecordMode::Value, {{1, 1, 0, 0, 0}}, {{"1", "9"}}, 1), ",5",
                "", false},
        KeyCase{"ValueCommaAfterLeadStays", KeyPlan(RecordMode::Value, {kValueCell}, {{"\x81,", "\x81,"}}, 2),
                "a,\"\x81,\"", "\x81,", true},
        KeyCase{"UnsignedByteOrder", KeyPlan(RecordMode::Code, {{1, 1, 1, 1, 1}}, {{"0", "\xFF"}}, 1), "\xA1",
                "\xA1", true},
        KeyCase{"LaterRangeMatches",
                KeyPlan(RecordMode::Code, {{1, 1, 1, 3, 3}}, {{"200", "209"}, {"101", "101"}}, 3), "101",
                "101", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sifta

namespace sifta {
namespace {

// A record far wider than one scan of the special strings takes at a time:
// every field is still tested, the cut agrees with the reference step.
TEST(OutputLineWideRecordTest, SpecialStringsInEveryFieldOfAWideRecord) {
  std::string line;
  for (int i = 0; i < 10000; ++i) line += (i % 3 == 0 ? "7," : "\"7\",");
  line += "7";
  const ExtractionPlan plan = WithSpecials(ZeroQuoted(Plan({{1, 1}}, {Cells(2, 10001)})), {"7"});
  RecordCutter cutter(plan);
  cutter.Load(line);
  const std::string expected = BuildOutputLine(plan, line, true);
  EXPECT_EQ(expected.find('7'), 0u);                    // the RID item stays
  EXPECT_EQ(expected.find('7', 1), std::string::npos);  // every cell became 0
  EXPECT_EQ(cutter.OutputLine(true), expected);
}

}  // namespace
}  // namespace sifta
