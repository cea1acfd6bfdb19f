#include "scan/ItemBoundaries.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "scan/Scanning.h"
#include "support/Printing.h"

namespace sifta {
namespace {

// The items of `line` as LocateItems gives them one by one, up to `wanted`:
// (begin, end) as 0-based offsets, end exclusive.
std::vector<std::pair<int, int>> ReferenceItems(std::string_view line, int wanted) {
  const int count = wanted - LocateItems(line, 1, 1, wanted).missingItems;  // items the line holds
  std::vector<std::pair<int, int>> items;
  for (int i = 1; i <= count; ++i) {
    const ItemSpan span = LocateItems(line, 1, i, i);
    items.emplace_back(span.start - 1, span.end);
  }
  return items;
}

std::vector<std::pair<int, int>> FastItems(std::string_view line, int wanted, bool quoting = true) {
  ItemBoundaries boundaries;
  boundaries.Locate(line, wanted, quoting);
  std::vector<std::pair<int, int>> items;
  for (int i = 1; i <= boundaries.Count(); ++i)
    items.emplace_back(static_cast<int>(boundaries.Begin(i)), static_cast<int>(boundaries.End(i)));
  return items;
}

struct Case {
  const char* name;
  std::string line;
  std::vector<std::pair<int, int>> items;  // all items, 0-based [begin, end)
};

// Names the case in test listings and failures instead of a byte dump.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ItemBoundariesCaseTest : public ::testing::TestWithParam<Case> {};

TEST_P(ItemBoundariesCaseTest, FindsTheItems) {
  const Case& c = GetParam();
  EXPECT_EQ(FastItems(c.line, 1000), c.items);
  EXPECT_EQ(ReferenceItems(c.line, 1000), c.items);
}

std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text.append(part);
  return text;
}
const std::string kBlockOfOnes(64, '1');
const std::string kBlockOfCommas(64, ',');

// A line of `count` commas: `count` + 1 empty items.
std::vector<std::pair<int, int>> EmptyItems(int count) {
  std::vector<std::pair<int, int>> items;
  for (int i = 0; i <= count; ++i) items.emplace_back(i, i);
  return items;
}

const std::vector<Case> kCases = {
    Case{"Empty", "", {{0, 0}}},
    Case{"Plain", "a,b,c", {{0, 1}, {2, 3}, {4, 5}}},
    Case{"EmptyItems", ",,", {{0, 0}, {1, 1}, {2, 2}}},
    Case{"QuotedComma", "a,\"b,c\",d", {{0, 1}, {2, 7}, {8, 9}}},
    Case{"DoubledQuote", "\"a\"\"b\",c", {{0, 6}, {7, 8}}},
    Case{"TrailCommaIsNoSeparator", "\x95\x5C,\x81,x", {{0, 2}, {3, 6}}},
    Case{"TrailQuoteOpensNothing", "\x81\",x", {{0, 2}, {3, 4}}},
    Case{"QuoteInsideQuotesAfterLead", "\"\x81\"\",x", {{0, 4}, {5, 6}}},
    Case{"Unterminated", "a,\"b,c", {{0, 1}, {2, 6}}},
    Case{"LeadAtLineEnd", "a,\x81", {{0, 1}, {2, 3}}},
    Case{"LeadRunOddThenComma", "\x81\x81\x81,b", {{0, 5}}},
    Case{"LeadRunEvenThenComma", "\x81\x81,b", {{0, 2}, {3, 4}}},
    Case{"KatakanaIsSingle", "\xB1,\xDF", {{0, 1}, {2, 3}}},
    // A lead byte that ends one 64-byte block, its trail byte (a comma)
    // the first of the next block, which holds nothing else that is rare.
    Case{"TrailCommaAtBlockStart",
         Cat({std::string_view(kBlockOfOnes).substr(1), "\x81,2,3"}),
         {{0, 66}, {67, 68}}},
    Case{"TrailQuoteAtBlockStart",
         Cat({std::string_view(kBlockOfOnes).substr(1), "\x81\",2"}),
         {{0, 65}, {66, 67}}},
    Case{"OddLeadRunOverTheBlockEnd",
         Cat({std::string_view(kBlockOfOnes).substr(3), "\x81\x81\x81,2,3"}),
         {{0, 66}, {67, 68}}},
    Case{"EvenLeadRunOverTheBlockEnd",
         Cat({std::string_view(kBlockOfOnes).substr(2), "\x81\x81,2"}),
         {{0, 64}, {65, 66}}},
    Case{"CommaAtBlockStart", Cat({kBlockOfOnes, ",2"}), {{0, 64}, {65, 66}}},
    Case{"QuotedStretchOverBlocks",
         Cat({"\"", kBlockOfCommas, kBlockOfCommas, "\",x"}),
         {{0, 130}, {131, 132}}},
    Case{"QuoteOpenAtBlockEnd",
         Cat({std::string_view(kBlockOfOnes).substr(1), "\",\",x"}),
         {{0, 66}, {67, 68}}},
    Case{"AllCommas", Cat({kBlockOfCommas, kBlockOfCommas}), EmptyItems(128)},
    Case{"ShortLineWithLeads", "\x81,\"\x81\",b", {{0, 7}}},
};

INSTANTIATE_TEST_SUITE_P(Lines, ItemBoundariesCaseTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ItemBoundariesTest, StopsAtTheWantedItem) {
  ItemBoundaries boundaries;
  boundaries.Locate("a,b,\"c", 2);
  EXPECT_EQ(boundaries.Count(), 2);
  EXPECT_EQ(boundaries.End(2), 3u);
  EXPECT_EQ(boundaries.UnterminatedItem(), 0);  // item 3 was not looked at
  boundaries.Locate("a,b,\"c", 5);
  EXPECT_EQ(boundaries.Count(), 3);
  EXPECT_EQ(boundaries.UnterminatedItem(), 3);
}

TEST(ItemBoundariesTest, QuoteInformationIsForgottenBetweenLines) {
  ItemBoundaries boundaries;
  boundaries.Locate("1,\"X\",2\"3\"", 10);
  EXPECT_EQ(boundaries.QuotedItems(), (std::vector<int>{2, 3}));
  EXPECT_EQ(boundaries.FirstQuote(2), 2);
  EXPECT_EQ(boundaries.FirstQuote(3), 7);
  boundaries.Locate("1,2,3", 10);
  EXPECT_TRUE(boundaries.QuotedItems().empty());
  EXPECT_EQ(boundaries.FirstQuote(2), -1);
  EXPECT_EQ(boundaries.FirstQuote(3), -1);
}

TEST(ItemBoundariesTest, WithoutQuotingEveryCommaSeparates) {
  EXPECT_EQ(FastItems("a,\"b,c\"", 10, false), (std::vector<std::pair<int, int>>{{0, 1}, {2, 4}, {5, 7}}));
  EXPECT_EQ(FastItems("\x81,b", 10, false), (std::vector<std::pair<int, int>>{{0, 3}}));
}

// Each instruction set of the scan that this processor has, in turn.
class EveryInstructionSet : public ::testing::TestWithParam<ScanInstructions> {
 protected:
  void SetUp() override {
    if (GetParam() > BestScanInstructions()) GTEST_SKIP() << "not in this build or not on this processor";
    UseScanInstructions(GetParam());
  }
  void TearDown() override { UseScanInstructions(BestScanInstructions()); }
};

INSTANTIATE_TEST_SUITE_P(Scan, EveryInstructionSet,
                         ::testing::Values(ScanInstructions::Scalar, ScanInstructions::Sse2,
                                           ScanInstructions::Avx2, ScanInstructions::Avx2FastPdep,
                                           ScanInstructions::Avx512),
                         [](const auto& info) { return std::string(ScanInstructionsName(info.param)); });

TEST_P(EveryInstructionSet, FindsTheItemsOfEveryCase) {
  for (const Case& c : kCases) EXPECT_EQ(FastItems(c.line, 1000), c.items) << c.name;
}

// Each byte value at each place of two blocks, between a letter and a comma:
// the comma is the value's trail byte exactly when the value is a lead value.
TEST_P(EveryInstructionSet, ClassifiesEveryByteValueAtEveryPlace) {
  for (int value = 0; value < 256; ++value) {
    for (int place = 0; place < 2 * 64; ++place) {
      std::string line(static_cast<size_t>(place), 'a');
      line += static_cast<char>(value);
      line += ",b";
      ASSERT_EQ(FastItems(line, 10), ReferenceItems(line, 10)) << "byte " << value << " at " << place;
    }
  }
}

// Generated lines of the bytes that matter, against LocateItems item by item,
// with the line cut at every wanted count.
TEST_P(EveryInstructionSet, AgreesWithLocateItemsOnGeneratedLines) {
  std::mt19937 random(1234);
  const std::vector<std::string> alphabet = {",",    ",",    "\"",       "\"\"",     "1",
                                             "23",   "\x81", "\x95\x5C", "\xE0",     "\xFC",
                                             "\xA1", "\x80", "\xFF",     "\x82\x2C", "a"};
  for (int round = 0; round < 4000; ++round) {
    std::string line;
    const int pieces = std::uniform_int_distribution<int>(0, 120)(random);  // up to three blocks
    for (int i = 0; i < pieces; ++i)
      line += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
    const auto reference = ReferenceItems(line, 1000);
    ASSERT_EQ(FastItems(line, 1000), reference) << "line of " << line.size() << " bytes, round " << round;
    const int wanted = std::uniform_int_distribution<int>(1, static_cast<int>(reference.size()) + 1)(random);
    auto expected = reference;
    if (static_cast<int>(expected.size()) > wanted) expected.resize(static_cast<size_t>(wanted));
    ASSERT_EQ(FastItems(line, wanted), expected) << "round " << round << " wanted " << wanted;

    // Some item ends only: the same ends where they are valid.
    std::vector<int> ends;
    for (int item = 1; item <= wanted; ++item)
      if (std::uniform_int_distribution<int>(0, 3)(random) == 0 || item == wanted) ends.push_back(item);
    ItemBoundaries some;
    some.LocateEnds(line, ends);
    ASSERT_EQ(some.Count(), static_cast<int>(expected.size())) << "round " << round;
    for (size_t k = 0; k < ends.size(); ++k) {
      const int item = ends[k];
      if (item > some.Count()) break;
      ASSERT_EQ(static_cast<int>(some.ListedEnd(k)), expected[static_cast<size_t>(item - 1)].second)
          << "round " << round << " item " << item;
      ASSERT_EQ(some.End(item), some.ListedEnd(k));
    }
    ASSERT_EQ(static_cast<int>(some.End(some.Count())), expected.back().second) << "round " << round;

    std::string deleted = line;
    DeleteUnquoted(deleted, "\"", "");
    DeleteUnquoted(deleted, ",", "");
    std::string fast = line;
    fast.resize(DeleteQuotesAndCommas(fast.data(), fast.size()));
    ASSERT_EQ(fast, deleted) << "round " << round;
  }
}

}  // namespace
}  // namespace sifta
