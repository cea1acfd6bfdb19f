#include "scan/Cp932.h"

#include <gtest/gtest.h>

namespace sifta {
namespace {

TEST(Cp932, KnownCharacters) {
  struct Case {
    std::string utf8, cp932;
  };
  const std::vector<Case> cases = {
      {"ｾﾙ", "\xBE\xD9"}, {"\\", "\x5C"},
      {"~", "\x7E"},      {"表", "\x95\x5C"},
      {"ソ", "\x83\x5C"}, {"①", "\x87\x40"},
      {"ⅰ", "\xFA\x40"},  {"～", "\x81\x60"},
      {"…", "\x81\x63"},  {"　", "\x81\x40"},
      {"＠", "\x81\x97"}, {"ＣＳＶ", "\x82\x62\x82\x72\x82\x75"},
      {"", ""},           {std::string("a\0\x1A\x7F\r\n", 6), std::string("a\0\x1A\x7F\r\n", 6)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
    EXPECT_EQ(Sj(c.utf8), c.cp932) << c.utf8;
  }
}

TEST(Cp932, InvalidOrIncompleteSequencesAreRefused) {
  for (const std::string bytes :
       {"\x81", "ab\x82", "\x81\x20", "\x81\x7F", "\xA0", "\xFD", "\xFF", "a\x81\x0D\x0A"}) {
    EXPECT_FALSE(Cp932ToUtf8(bytes)) << "byte " << static_cast<int>(bytes[0] & 0xFF);
  }
}

TEST(Cp932, CharactersWithoutCounterpartAreRefused) {
  for (const std::string text : {"€", "한", "😀", "a\xC3", "\xFF", "x€y"})
    EXPECT_FALSE(Utf8ToCp932(text)) << text;
}

TEST(Cp932, DisplayFormsMarkWhatDoesNotConvert) {
  EXPECT_EQ(Cp932ToUtf8ForDisplay("a\x81"), "a\xEF\xBF\xBD");
  EXPECT_EQ(Cp932ToUtf8ForDisplay("\xFF"
                                  "b\x95\x5C"),
            "\xEF\xBF\xBD"
            "b表");
  EXPECT_EQ(Cp932ToUtf8ForDisplay("\x81\x20"
                                  "x"),
            "\xEF\xBF\xBD x");
  EXPECT_EQ(Utf8ToCp932ForDisplay("a€b表"), "a?b\x95\x5C");
  EXPECT_EQ(Utf8ToCp932ForDisplay("😀"), "?");
  EXPECT_EQ(Utf8ToCp932ForDisplay("/tmp/ｾﾙ.csv"), "/tmp/\xBE\xD9.csv");
}

TEST(Cp932, EverySingleByteAndEveryDoubleByteCharacterSurvivesTheWayBack) {
  // Single bytes: ASCII and half-width katakana come back unchanged.
  for (int b = 0; b < 0x100; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const bool single = b < 0x80 || (b >= 0xA1 && b <= 0xDF);
    const auto utf8 = Cp932ToUtf8(byte);
    EXPECT_EQ(utf8.has_value(), single) << b;
    if (utf8) {
      EXPECT_EQ(Utf8ToCp932(*utf8), byte) << b;
    }
  }
  // Double bytes: a character that converts converts back to a form that
  // reads as the same character (duplicates of the NEC and IBM extensions
  // may come back in their other form).
  int characters = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const auto utf8 = Cp932ToUtf8(bytes);
      if (!utf8) continue;
      ++characters;
      const auto back = Utf8ToCp932(*utf8);
      ASSERT_TRUE(back) << lead << " " << trail;
      ASSERT_EQ(Cp932ToUtf8(*back), utf8) << lead << " " << trail;
    }
  }
  EXPECT_GT(characters, 7000);
}

TEST(Cp932, ProgramTextsConvert) {
  EXPECT_EQ(Sj("** 元ﾌｧｲﾙにﾃﾞｰﾀがありません。").substr(0, 3), "** ");
  EXPECT_DEATH(Sj("€"), "");
}

}  // namespace
}  // namespace sifta
