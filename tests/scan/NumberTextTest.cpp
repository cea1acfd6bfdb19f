#include "scan/NumberText.h"

#include <gtest/gtest.h>

#include <limits>

#include "scan/Cp932.h"

namespace sifta {
namespace {

using Kind = NumberCheck::Kind;

struct CheckCase {
  const char* name;
  std::string text, allowed;
  Kind kind;
  std::string message;  // UTF-8
};

// Names the case in test listings and failures instead of a byte dump.
void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class CheckNumber : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckNumber, ResultAndMessage) {
  const CheckCase& c = GetParam();
  const NumberCheck check = CheckNumberText(c.text, c.allowed);
  EXPECT_EQ(check.kind, c.kind);
  EXPECT_EQ(check.message, c.message.empty() ? "" : Sj(c.message));
  EXPECT_EQ(check.Result(), c.kind == Kind::Allowed ? 1 : c.kind == Kind::Number ? 0 : -1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckNumber,
    ::testing::Values(CheckCase{"StarAllowed", "*", "*", Kind::Allowed, ""},
                      CheckCase{"StarNotAllowed", "*", "", Kind::Refused, "非数字です。"},
                      CheckCase{"LeadingZeros", "007", "", Kind::Number, ""},
                      CheckCase{"Zero", "000", "*", Kind::Refused, "値がｾﾞﾛです。"},
                      CheckCase{"Empty", "", "", Kind::Refused, "長さｾﾞﾛです。"},
                      CheckCase{"EmptyBeforeAllowed", "", "*", Kind::Refused, "長さｾﾞﾛです。"},
                      CheckCase{"TwoStars", "**", "*", Kind::Refused, "非数字です。"},
                      CheckCase{"Sign", "-1", "", Kind::Refused, "非数字です。"},
                      CheckCase{"Blank", "1 ", "", Kind::Refused, "非数字です。"},
                      CheckCase{"FullWidthDigit", "１", "", Kind::Refused, "非数字です。"},
                      CheckCase{"Hex", "$10", "", Kind::Refused, "非数字です。"},
                      CheckCase{"Largest", "2147483647", "", Kind::Number, ""},
                      CheckCase{"LargestWithZeros", "0002147483647", "", Kind::Number, ""},
                      CheckCase{"Last", "999999999", "", Kind::Number, ""},
                      CheckCase{"OneTooMany", "2147483648", "", Kind::NotAnInteger,
                                "'2147483648' は整数ではありません"},
                      CheckCase{"Huge", "99999999999999999999999", "*", Kind::NotAnInteger,
                                "'99999999999999999999999' は整数ではありません"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NotAnIntegerMessage, QuotesTheTextByteForByte) {
  EXPECT_EQ(NotAnIntegerMessage("12a"), Sj("'12a' は整数ではありません"));
  EXPECT_EQ(NotAnIntegerMessage(Sj("ｾﾙ")), Sj("'ｾﾙ' は整数ではありません"));
  EXPECT_EQ(NotAnIntegerMessage(""), Sj("'' は整数ではありません"));
}

TEST(ConvertInteger, Conversions) {
  struct Case {
    std::string text;
    std::optional<std::int32_t> value;
  };
  const std::int32_t max = std::numeric_limits<std::int32_t>::max();
  const std::int32_t min = std::numeric_limits<std::int32_t>::min();
  const std::vector<Case> cases = {
      {"0", 0},
      {"123", 123},
      {"007", 7},
      {"+5", 5},
      {"-5", -5},
      {"-0", 0},
      {"2147483647", max},
      {"-2147483648", min},
      {"2147483648", {}},
      {"-2147483649", {}},
      {"99999999999999999999", {}},
      {"$FF", 255},
      {"$ff", 255},
      {"0x1f", 31},
      {"0X1F", 31},
      {"-$10", -16},
      {"+0x10", 16},
      {"$7FFFFFFF", max},
      {"$80000000", {}},
      {"-$80000000", min},
      {"$", {}},
      {"0x", {}},
      {"", {}},
      {"+", {}},
      {"-", {}},
      {"12a", {}},
      {" 1", {}},
      {"1 ", {}},
      {"FF", {}},
      {"--5", {}},
      {"0x-5", {}},
      {"$G", {}},
      {"1.5", {}},
      {"\x82\x50", {}},
      {"0009", 9},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertInteger(c.text), c.value) << "'" << c.text << "'";
}

TEST(FormatCount, GroupsOfThree) {
  struct Case {
    std::int64_t count;
    std::string text;
  };
  const std::vector<Case> cases = {
      {0, ""},
      {1, "1"},
      {999, "999"},
      {1000, "1,000"},
      {12345, "12,345"},
      {1234567, "1,234,567"},
      {999999999, "999,999,999"},
      {5000000000LL, "5,000,000,000"},
      {-1, "-1"},
      {-1234, "-1,234"},
      {-123456, "-123,456"},
      {std::numeric_limits<std::int64_t>::max(), "9,223,372,036,854,775,807"},
      {std::numeric_limits<std::int64_t>::min(), "-9,223,372,036,854,775,808"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatCount(c.count), c.text) << c.count;
}

}  // namespace
}  // namespace sifta
