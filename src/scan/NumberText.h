// Numbers typed into grid cells: the quick check made on Enter, and the
// conversion of a cell text to a 32-bit integer. Messages are code page 932.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sifta {

// Outcome of CheckNumberText.
struct NumberCheck {
  enum class Kind {
    Allowed,  // result 1: the text is the one allowed text ("*")
    Number,   // result 0: digits only, value above zero
    Refused,  // result -1: `message` is "長さｾﾞﾛです。", "非数字です。" or "値がｾﾞﾛです。"
    NotAnInteger,  // digits only but above 2147483647: `message` is the conversion
                   // error "'<text>' は整数ではありません", shown without a beep
  };
  Kind kind = Kind::Refused;
  std::string message;

  int Result() const { return kind == Kind::Allowed ? 1 : kind == Kind::Number ? 0 : -1; }
};

// The check of a grid cell: empty text, then the allowed one-character text
// ("*" or empty for none), then digits only, then the value.
NumberCheck CheckNumberText(std::string_view text, std::string_view allowed);

// The number conversion of the plan: an optional sign, then decimal digits, or
// hexadecimal digits after "$" or "0x"; nothing for any other text, for the
// empty text and for a value outside the 32-bit signed range.
std::optional<std::int32_t> ConvertInteger(std::string_view text);

// "'<text>' は整数ではありません".
std::string NotAnIntegerMessage(std::string_view text);

// A record count by the pattern "#,#": digits grouped by three with commas,
// and the empty text for 0 (1234567 gives "1,234,567").
std::string FormatCount(std::int64_t count);

}  // namespace sifta
