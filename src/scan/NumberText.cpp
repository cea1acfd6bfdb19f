#include "scan/NumberText.h"

#include "scan/Cp932.h"
#include "scan/Scanning.h"

namespace sifta {

std::string NotAnIntegerMessage(std::string_view text) {
  static const std::string tail = Sj("' は整数ではありません");
  std::string message = "'";
  message.append(text);
  message += tail;
  return message;
}

std::optional<std::int32_t> ConvertInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value * base + digit;
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL || value < -2147483648LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::string FormatCount(std::int64_t count) {
  if (count == 0) return {};
  const bool negative = count < 0;
  // Digits from the right; the magnitude of INT64_MIN does not fit, so the
  // digits are taken from the negative value.
  std::string digits;
  for (std::int64_t rest = count; rest != 0; rest /= 10) {
    const int digit = static_cast<int>(rest % 10);
    digits += static_cast<char>('0' + (digit < 0 ? -digit : digit));
  }
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && i % 3 == 0) out += ',';
    out += digits[i];
  }
  if (negative) out += '-';
  return std::string(out.rbegin(), out.rend());
}

NumberCheck CheckNumberText(std::string_view text, std::string_view allowed) {
  static const std::string empty = Sj("長さｾﾞﾛです。");
  static const std::string nonDigit = Sj("非数字です。");
  static const std::string zero = Sj("値がｾﾞﾛです。");
  if (text.empty()) return {NumberCheck::Kind::Refused, empty};
  if (!allowed.empty() && text == allowed) return {NumberCheck::Kind::Allowed, {}};
  if (IsAllDigits(text) != 0) return {NumberCheck::Kind::Refused, nonDigit};
  const std::optional<std::int32_t> value = ConvertInteger(text);
  if (!value) return {NumberCheck::Kind::NotAnInteger, NotAnIntegerMessage(text)};
  if (*value == 0) return {NumberCheck::Kind::Refused, zero};
  return {NumberCheck::Kind::Number, {}};
}

}  // namespace sifta
