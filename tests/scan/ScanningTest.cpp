#include "scan/Scanning.h"
#include "support/Reference.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace sifta {
namespace {

const std::string Q = "\"";

// ---- The four scanning operations: worked cases ----

struct FindCase {
  const char* name;
  std::string text;
  int start, end;
  std::string sought, quote;
  int find, count;
};

// Names the case in test listings and failures instead of a byte dump.
void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }

class FindAndCount : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindAndCount, Results) {
  const FindCase& c = GetParam();
  EXPECT_EQ(FindUnquoted(c.text, c.start, c.end, c.sought, c.quote), c.find);
  EXPECT_EQ(CountUnquoted(c.text, c.start, c.end, c.sought, c.quote), c.count);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindAndCount,
                         ::testing::Values(
                             // a,"b,c",d
                             FindCase{"QuotedCommaSkipped", "a,\"b,c\",d", 1, 0, ",", Q, 2, 2},
                             FindCase{"FromStartThree", "a,\"b,c\",d", 3, 0, ",", Q, 8, 1},
                             FindCase{"QuotingOff", "a,\"b,c\",d", 3, 0, ",", "", 5, 2},
                             FindCase{"QuotingOffWhole", "a,\"b,c\",d", 1, 0, ",", "", 2, 3},
                             // a,"b,c with no closing quote: -1 even with a comma before it.
                             FindCase{"UnterminatedFromThree", "a,\"b,c", 3, 0, ",", Q, -1, -1},
                             FindCase{"UnterminatedWhole", "a,\"b,c", 1, 0, ",", Q, 2, -1},
                             // "a""b",c: the doubled quote closes and reopens at once.
                             FindCase{"DoubledQuote", "\"a\"\"b\",c", 1, 0, ",", Q, 7, 1},
                             // 表 is 0x95 0x5C: its trail byte is no backslash.
                             FindCase{"TrailByteIsNoBackslash", "\x95\x5C,", 1, 0, "\\", "", 0, 0},
                             FindCase{"CommaAfterDoubleByte", "\x95\x5C,", 1, 0, ",", "", 3, 1},
                             FindCase{"TrailAtSign", "\x81\x40@", 1, 0, "@", "", 3, 1},
                             FindCase{"StartOnATrailByte", "\x95\x5C\\", 2, 0, "\\", "", 3, 1},
                             FindCase{"DoubleByteSought",
                                      "a\x95\x5C"
                                      "b\x95\x5C",
                                      1, 0, "\x95\x5C", "", 2, 2},
                             FindCase{"OverlappingMatches", "aaa", 1, 0, "aa", "", 1, 2},
                             FindCase{"EndLimitsMatches", "a,b,c", 1, 3, ",", Q, 2, 1},
                             FindCase{"MatchMustLieWithinEnd", "abcd", 1, 3, "cd", "", 0, 0},
                             FindCase{"NothingBetweenStartAndEnd", "a,b,c", 3, 3, ",", Q, 0, 0},
                             // A stretch that reaches past end: its closing quote is sought in the
                             // whole text, and the scan stops behind it.
                             FindCase{"StretchPastEnd", "a\"b,c\",d", 1, 3, ",", Q, 0, 0},
                             FindCase{"QuoteCharNeverMatches", "a\"b\"", 1, 0, Q, Q, 0, 0},
                             FindCase{"LoneQuoteSought", "a\"b", 1, 0, Q, Q, -1, -1},
                             FindCase{"QuoteSoughtQuotingOff", "a\"b\"", 1, 0, Q, "", 2, 2},
                             FindCase{"LeadByteAtTheEnd", "a\x81", 1, 0, "\x81", "", 2, 1},
                             FindCase{"EmptyText", "", 1, 0, ",", Q, 0, 0},
                             FindCase{"StartPastTheEnd", "a,b", 4, 0, ",", Q, 0, 0},
                             // A run of lead-byte values: 81 81 81 2C: the comma is the trail of
                             // the second character.
                             FindCase{"OddLeadRun", "\x81\x81\x81,", 1, 0, ",", "", 0, 0},
                             FindCase{"EvenLeadRun", "\x81\x81,", 1, 0, ",", "", 3, 1},
                             // The closing quote is sought at single-byte positions only: 0x22 is
                             // never a trail byte, but a quote char 0x40 can be one.
                             FindCase{"ClosingQuoteNotOnTrail", "@a\x81@,@,", 1, 0, ",", "@", 7, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindNthUnquoted, CountsFromTheStartOfTheWholeText) {
  const std::string path = "C:\\a\\\x95\\\\b\\x.csv";  // the 表 trail byte is no separator
  EXPECT_EQ(FindNthUnquoted(path, "\\", 1, ""), 3);
  EXPECT_EQ(FindNthUnquoted(path, "\\", 2, ""), 5);
  EXPECT_EQ(FindNthUnquoted(path, "\\", 3, ""), 8);
  EXPECT_EQ(FindNthUnquoted(path, "\\", 4, ""), 10);
  EXPECT_EQ(FindNthUnquoted(path, "\\", 5, ""), 0);
  EXPECT_EQ(FindNthUnquoted("a,\"b,c\",d,e", ",", 2, Q), 8);
  EXPECT_EQ(FindNthUnquoted("a,\"b", ",", 1, Q), 2);
  EXPECT_EQ(FindNthUnquoted("a,\"b", ",", 2, Q), -1);
}

struct DeleteCase {
  const char* name;
  std::string text;
  std::string sought, quote;
  int result;
  std::string after;
};

void PrintTo(const DeleteCase& c, std::ostream* os) { *os << c.name; }

class Delete : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(Delete, RemovesInPlace) {
  const DeleteCase& c = GetParam();
  std::string text = c.text;
  EXPECT_EQ(DeleteUnquoted(text, c.sought, c.quote), c.result);
  EXPECT_EQ(text, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Delete,
    ::testing::Values(DeleteCase{"EveryA", "aaa", "a", "", 1, ""},
                      DeleteCase{"Quotes", "\"0001\",\"x\"", Q, "", 1, "0001,x"},
                      DeleteCase{"Commas", "1,234,567", ",", "", 1, "1234567"},
                      DeleteCase{"Blanks", " 1 2 ", " ", "", 1, "12"},
                      DeleteCase{"OverlapsRemovedInTurn", "aaaa", "aa", "", 1, ""},
                      DeleteCase{"NothingFound", "abc", ",", "", 1, "abc"},
                      DeleteCase{"Empty", "", ",", "", 1, ""},
                      DeleteCase{"TrailBytesStay", "\x95\x5C\\\x83\x5C", "\\", "", 1, "\x95\x5C\x83\x5C"},
                      // After the first comma goes, the second is the trail byte of 0x81.
                      DeleteCase{"NewNeighbourTested", "a,\x81,", ",", "", 1, "a\x81,"},
                      DeleteCase{"QuotedKept", "a,\"b,c\",d", ",", Q, 1, "a\"b,c\"d"},
                      DeleteCase{"UnterminatedKeepsEarlierRemovals", "a,b\"c,d", ",", Q, -1, "ab\"c,d"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- ByteClassAt ----

TEST(ByteClassAt, RunOfLeadValuesBeforeThePosition) {
  const std::string text = "A\x81\x81\x81@\x95\x5C";
  const std::vector<ByteClass> expected = {ByteClass::Single, ByteClass::Lead,  ByteClass::Trail,
                                           ByteClass::Lead,   ByteClass::Trail, ByteClass::Lead,
                                           ByteClass::Trail};
  for (int p = 1; p <= static_cast<int>(text.size()); ++p)
    EXPECT_EQ(ByteClassAt(text, p), expected[p - 1]) << p;
  EXPECT_EQ(ByteClassAt("\x9F\xE0\xFC\x80", 4), ByteClass::Trail);
  EXPECT_EQ(ByteClassAt("\xA0\xDF\xFD", 2), ByteClass::Single);  // katakana, no lead bytes
}

// ---- The literal definitions, and random texts ----

// ByteClassAt exactly as defined: count the lead-byte values before p.
ByteClass LiteralClass(std::string_view text, int p) {
  switch (ref::ClassAt(text, p)) {
    case ref::Class::Single:
      return ByteClass::Single;
    case ref::Class::Lead:
      return ByteClass::Lead;
    case ref::Class::Trail:
      return ByteClass::Trail;
  }
  return ByteClass::Single;
}

TEST(CommonScan, ForwardClassTrackingAgreesWithTheDefinition) {
  std::mt19937 random(1234);
  const char alphabet[] = {'\x81', '\x9F', '\xE0', '\xFC', '\x22', '\x2C',
                           '\x40', '\x5C', 'a',    '\xA0', '\x80'};
  const std::vector<std::string> soughts = {",",    "@",        "\\", "\"", "a",
                                            "\x81", "\x81\x40", ",,", "a,", "\x5C\x2C"};
  const std::vector<std::string> quotes = {"\"", "", "\"", "@", ","};
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 16, ' ');
    for (char& b : text) b = alphabet[random() % sizeof alphabet];
    const int length = static_cast<int>(text.size());
    const std::string& sought = soughts[random() % soughts.size()];
    const std::string& quote = quotes[random() % quotes.size()];
    const int start = 1 + static_cast<int>(random() % (length + 1));
    const int end = random() % 3 == 0 ? 0 : static_cast<int>(random() % (length + 1));
    const int n = 1 + static_cast<int>(random() % 3);
    SCOPED_TRACE(::testing::Message() << "round " << round << " start " << start << " end " << end << " n "
                                      << n << " sought size " << sought.size() << " quote '" << quote << "'");
    ASSERT_EQ(FindUnquoted(text, start, end, sought, quote),
              ref::Scan(ref::Kind::Find, text, start, end, sought, n, quote).value);
    ASSERT_EQ(CountUnquoted(text, start, end, sought, quote),
              ref::Scan(ref::Kind::Count, text, start, end, sought, n, quote).value);
    ASSERT_EQ(FindNthUnquoted(text, sought, n, quote),
              ref::Scan(ref::Kind::FindNth, text, start, end, sought, n, quote).value);
    std::string deleted = text;
    const ref::ScanOutcome literal = ref::Scan(ref::Kind::Delete, text, start, end, sought, n, quote);
    ASSERT_EQ(DeleteUnquoted(deleted, sought, quote), literal.value);
    ASSERT_EQ(deleted, literal.text);
    for (int p = 1; p <= length; ++p) ASSERT_EQ(ByteClassAt(text, p), LiteralClass(text, p));
  }
}

// ---- TrimBlanks ----

TEST(TrimBlanks, SidesAndBlankBytes) {
  struct Case {
    std::string side, text, result;
  };
  const std::vector<Case> cases = {
      {"B", " ab\t", "ab"},
      {"B", "   ", ""},
      {"B", "", ""},
      {"B", std::string("\0\x1F a b \x20", 8), "a b"},
      {"B",
       "\x81\x40"
       "ab\x81\x40",
       "\x81\x40"
       "ab\x81\x40"},  // the ideographic space stays
      {"B", " \x81\x40 ", "\x81\x40"},
      {"L", " a ", "a "},
      {"R", " a ", " a"},
      {"X", " a ", " a "},
      {"", " a ", " a "},
      {"b", " a ", " a "},
      {"B",
       "\x7F"
       "a\xA0",
       "\x7F"
       "a\xA0"},  // 0x7F and 0xA0 are no blanks
  };
  for (const Case& c : cases) EXPECT_EQ(TrimBlanks(c.side, c.text), c.result) << c.side << c.text;
}

// ---- LocateItems ----

struct SpanCase {
  const char* name;
  std::string line;
  int first, last;
  int start, end, missing;
};

void PrintTo(const SpanCase& c, std::ostream* os) { *os << c.name; }

class Locate : public ::testing::TestWithParam<SpanCase> {};

TEST_P(Locate, Span) {
  const SpanCase& c = GetParam();
  const ItemSpan span = LocateItems(c.line, 1, c.first, c.last);
  EXPECT_EQ(span.start, c.start);
  EXPECT_EQ(span.end, c.end);
  EXPECT_EQ(span.length, c.end - c.start + 1);
  EXPECT_EQ(span.missingItems, c.missing);
  // Every span lies within the line (an empty one may stand just past it).
  EXPECT_GE(span.start, 1);
  EXPECT_LE(span.end, static_cast<int>(c.line.size()));
  EXPECT_GE(span.length, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Locate,
    ::testing::Values(
        SpanCase{"QuotedItem", "a,\"b,c\",d", 2, 2, 3, 7, 0}, SpanCase{"EmptyItem", "a,,c", 2, 2, 3, 2, 0},
        SpanCase{"LastItem", "a,b,c", 3, 3, 5, 5, 0}, SpanCase{"TwoItems", "a,b", 1, 2, 1, 3, 0},
        SpanCase{"FirstItem", "ab,c", 1, 1, 1, 2, 0}, SpanCase{"WholeLine", "ab", 1, 1, 1, 2, 0},
        SpanCase{"EmptyLine", "", 1, 1, 1, 0, 0}, SpanCase{"TrailingComma", "a,", 2, 2, 3, 2, 0},
        SpanCase{"MiddleRange", "a,b,c,d", 2, 3, 3, 5, 0},
        SpanCase{"CommaInTrailByte", "\x81,x,y", 2, 2, 5, 5, 0},
        // Fewer items than asked: an empty item past the line's end, never
        // an item from the front of the line.
        SpanCase{"ItemThreeOfTwo", "a,b", 3, 3, 4, 3, 0}, SpanCase{"ItemFourOfTwo", "a,b", 4, 4, 4, 3, 0},
        SpanCase{"ItemTwoOfEmptyLine", "", 2, 2, 1, 0, 0}, SpanCase{"RangePastTheEnd", "a,b", 3, 5, 4, 3, 2},
        SpanCase{"RangeRunningOut", "a,b", 2, 4, 3, 3, 2},
        SpanCase{"AfterTrailingCommaRunningOut", "a,", 2, 3, 3, 2, 1},
        // An unterminated quote takes the rest of the line into its item.
        SpanCase{"UnterminatedQuoteItem", "a,\"b,c", 2, 2, 3, 6, 0},
        SpanCase{"AfterUnterminatedQuote", "a,\"b,c", 3, 3, 7, 6, 0},
        SpanCase{"RangeIntoUnterminatedQuote", "a,\"b,c", 1, 3, 1, 6, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LocateItems, StartPositionCountsItemsFromThere) {
  const ItemSpan span = LocateItems("x,a,b", 3, 2, 2);
  EXPECT_EQ(span.start, 5);
  EXPECT_EQ(span.end, 5);
}

// ---- IsAllDigits ----

TEST(IsAllDigits, Cases) {
  EXPECT_EQ(IsAllDigits(""), 0);
  EXPECT_EQ(IsAllDigits("0123456789"), 0);
  EXPECT_EQ(IsAllDigits("12a"), -1);
  EXPECT_EQ(IsAllDigits(" 1"), -1);
  EXPECT_EQ(IsAllDigits("-1"), -1);
  for (char trail = '\x4F'; trail <= '\x58'; ++trail)  // full-width ０ to ９
    EXPECT_EQ(IsAllDigits(std::string("\x82") + trail), -1);
  EXPECT_EQ(IsAllDigits("/"), -1);
  EXPECT_EQ(IsAllDigits(":"), -1);
}

}  // namespace
}  // namespace sifta
