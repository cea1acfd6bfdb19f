// The UTF-8 table against the system's own code page 932 conversion (iconv
// here, MultiByteToWideChar under Wine), and against what Windows defines.
#include "scan/Cp932ToUtf8.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/CodePage932.h"

namespace sifta {
namespace {

std::optional<std::string> ByTable(std::string_view text, Cp932ToUtf8Table::Result* result = nullptr) {
  std::vector<char> out(Cp932ToUtf8Table::kMostGrowth * text.size() + Cp932ToUtf8Table::kSlack);
  const Cp932ToUtf8Table::Result r = Cp932ToUtf8Table::Get().Convert(text, out.data());
  if (result) *result = r;
  if (!r.ok) return std::nullopt;
  return std::string(out.data(), r.written);
}

// Every pair of bytes: one double-byte character, or two single bytes.
TEST(Cp932ToUtf8Test, EveryTwoBytesAsTheSystemConvertsThem) {
  int differences = 0;
  for (unsigned first = 0; first < 256; ++first)
    for (unsigned second = 0; second < 256; ++second) {
      const std::string text{static_cast<char>(first), static_cast<char>(second)};
      if (ByTable(text) != platform::ConvertCp932ToUtf8(text) && ++differences <= 5)
        ADD_FAILURE() << std::hex << first << ' ' << second;
    }
  EXPECT_EQ(differences, 0);
}

// Code page 932 as Windows defines it, not as Shift_JIS does.
TEST(Cp932ToUtf8Test, WindowsCharacters) {
  const struct {
    const char* cp932;
    const char* utf8;
  } cases[] = {
      {"\x87\x40", "\u2460"},                // NEC special: ①
      {"\x87\x8A", "\u3231"},                // NEC special: ㈱
      {"\xED\x40", "\u7E8A"},                // NEC-selected IBM extension
      {"\xFA\x40", "\u2170"},                // IBM extension: ⅰ
      {"\xFA\x55", "\uFFE4"},                // IBM extension: ￤
      {"\xF0\x40", "\uE000"},                // user-defined area, first
      {"\xF9\xFC", "\uE757"},                // user-defined area, last
      {"\xB1\xDF", "\uFF71\uFF9F"},          // half-width katakana
      {"\x5C\x7E", "\\~"},                   // as ASCII
      {"\x81\x5F", "\uFF3C"},                // ＼ full width
      {"\x81\x60", "\uFF5E"},                // ～ full width
      {"\x81\x7C", "\uFF0D"},                // － full width
      {"\x95\x5C\x83\x5C", "\u8868\u30BD"},  // trail byte 0x5C: 表ソ
      {"\x83\x40", "\u30A1"},                // trail byte 0x40: ァ
  };
  for (const auto& c : cases) EXPECT_EQ(ByTable(c.cp932), std::optional<std::string>(c.utf8)) << c.utf8;
}

// Long texts: the eight-byte ASCII copies, characters across them, and the
// first byte sequence without a Unicode form found where it is.
TEST(Cp932ToUtf8Test, MixedTextsAndWhereTheyFail) {
  const std::vector<std::string> pieces = {"a",        "0123456789,", "\x82\xA0", "\xB1",     "\x87\x40",
                                           "\xF0\x40", "\x95\x5C",    "\"",       "\x81\x40", "        "};
  std::mt19937 random(932);
  for (int round = 0; round < 400; ++round) {
    std::string text;
    const int n = static_cast<int>(random() % 40);
    for (int i = 0; i < n; ++i) text += pieces[random() % pieces.size()];
    std::size_t bad = std::string::npos;
    if (round % 2 == 1) {
      bad = text.size();
      text += round % 4 == 1 ? "\x85\x40" : "\x82";  // unassigned; a lead byte at the end
      text += round % 4 == 1 ? "tail" : "";
    }
    Cp932ToUtf8Table::Result result;
    const std::optional<std::string> converted = ByTable(text, &result);
    ASSERT_EQ(converted, platform::ConvertCp932ToUtf8(text));
    if (bad != std::string::npos) {
      EXPECT_EQ(result.badAt, bad);
      EXPECT_EQ(result.badSize, round % 4 == 1 ? 2u : 1u);
      EXPECT_EQ(result.written, platform::ConvertCp932ToUtf8(text.substr(0, bad))->size());
    }
  }
}

}  // namespace
}  // namespace sifta
