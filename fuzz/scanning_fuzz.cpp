// The scanning operations against their literal definitions (support/Reference.h):
// byte classes, the common scan of Find / FindNth / Count / Delete, blank
// trimming, the all-digits test, and LocateItems, whose spans must always lie
// within the line.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "scan/NumberText.h"
#include "scan/Scanning.h"
#include "support/Reference.h"

namespace {

using fuzz::Printable;

std::string Sought(FuzzedDataProvider& in) {
  static const char* const kChosen[] = {",",        "\"",       "\\",           "@", "a",   "aa",
                                        "\x81\x40", "\x95\x5C", "\x2C\xBE\xD9", "|", "\x81"};
  const size_t pick = in.ConsumeIntegralInRange<size_t>(0, std::size(kChosen));
  if (pick < std::size(kChosen)) return kChosen[pick];
  std::string own = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(1, 3));
  return own.empty() ? std::string(",") : own;
}

std::string Quote(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return "";
    case 1:
      return "'";
    default:
      return "\"";
  }
}

std::string Describe(std::string_view text, int start, int end, std::string_view sought,
                     std::string_view quote) {
  return "text=\"" + Printable(text) + "\" start=" + std::to_string(start) + " end=" + std::to_string(end) +
         " sought=\"" + Printable(sought) + "\" quote=\"" + Printable(quote) + "\"";
}

void CheckSpanWithinLine(const sifta::ItemSpan& s, int len, const std::string& what) {
  CHECK(s.start >= 1 && s.start <= len + 1, what);
  CHECK(s.end >= s.start - 1 && s.end <= len, what);
  CHECK(s.length == s.end - s.start + 1, what);
  CHECK(s.missingItems >= 0, what);
}

std::string SpanText(const sifta::ItemSpan& s) {
  return std::to_string(s.start) + "/" + std::to_string(s.end) + "/" + std::to_string(s.length) + "/" +
         std::to_string(s.missingItems);
}
std::string SpanText(const ref::Span& s) {
  return std::to_string(s.start) + "/" + std::to_string(s.end) + "/" + std::to_string(s.length) + "/" +
         std::to_string(s.missing);
}

// The number conversion by its rule: an optional sign, then decimal digits,
// or hexadecimal digits after "$" or "0x"; 32-bit signed range.
std::optional<long long> Converted(std::string_view t) {
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  int base = 10;
  if (t.starts_with("$")) {
    base = 16;
    t.remove_prefix(1);
  } else if (t.starts_with("0x") || t.starts_with("0X")) {
    base = 16;
    t.remove_prefix(2);
  }
  if (t.empty()) return std::nullopt;
  __int128 value = 0;
  for (char c : t) {
    const char* digits = "0123456789abcdef";
    const char* at = std::strchr(digits, c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    if (c == '\0' || !at || at - digits >= base) return std::nullopt;
    value = value * base + (at - digits);
    if (value > (static_cast<__int128>(1) << 40)) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647 || value < -2147483648LL) return std::nullopt;
  return static_cast<long long>(value);
}

std::string Grouped(long long n) {
  if (n == 0) return "";
  std::string digits = std::to_string(n < 0 ? -n : n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return (n < 0 ? "-" : "") + out;
}

void CheckNumbers(std::string_view text, long long count) {
  const std::string what = "number text \"" + Printable(text) + "\"";
  const std::optional<int32_t> got = sifta::ConvertInteger(text);
  const std::optional<long long> want = Converted(text);
  CHECK(got.has_value() == want.has_value() && (!got || *got == *want),
        what + ": ConvertInteger " + (got ? std::to_string(*got) : "none") + " want " +
            (want ? std::to_string(*want) : "none"));
  // The grid check: empty, the allowed text, digits only, then the value.
  for (std::string_view allowed : {"", "*"}) {
    const sifta::NumberCheck check = sifta::CheckNumberText(text, allowed);
    int result;
    if (text.empty())
      result = -1;
    else if (!allowed.empty() && text == allowed)
      result = 1;
    else if (sifta::IsAllDigits(text) != 0)
      result = -1;
    else if (!want)
      result = -2;  // not convertible
    else
      result = *want == 0 ? -1 : 0;
    if (result == -2) {
      CHECK(check.kind == sifta::NumberCheck::Kind::NotAnInteger &&
                check.message == sifta::NotAnIntegerMessage(text),
            what + ": CheckNumberText should fail the conversion");
    } else {
      CHECK(check.Result() == result && check.kind != sifta::NumberCheck::Kind::NotAnInteger,
            what + " allowed \"" + std::string(allowed) + "\": CheckNumberText " +
                std::to_string(check.Result()) + " want " + std::to_string(result));
      CHECK((result == -1) == !check.message.empty(), what + ": message");
    }
  }
  CHECK(sifta::FormatCount(count) == Grouped(count), "FormatCount " + std::to_string(count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string sought = Sought(in);
  const std::string quote = Quote(in);
  const uint16_t startPick = in.ConsumeIntegral<uint16_t>();
  const uint16_t endPick = in.ConsumeIntegral<uint16_t>();
  const int n = in.ConsumeIntegralInRange<int>(1, 6);
  const uint8_t firstPick = in.ConsumeIntegral<uint8_t>();
  const uint8_t widthPick = in.ConsumeIntegral<uint8_t>();
  static const char* const kSides[] = {"B", "L", "R", "", "b", "BL", "X"};
  const char* side = kSides[in.ConsumeIntegralInRange<size_t>(0, std::size(kSides) - 1)];
  const std::string owned = in.ConsumeRemainingBytesAsString();
  const fuzz::ExactBytes exact(owned);
  const std::string_view text = exact.View();
  const int len = static_cast<int>(text.size());

  // Byte classes.
  for (int p = 1; p <= len; ++p) {
    const auto got = sifta::ByteClassAt(text, p);
    const auto want = ref::ClassAt(text, p);
    CHECK(static_cast<int>(got) == static_cast<int>(want),
          "ByteClassAt " + std::to_string(p) + " of \"" + Printable(text) + "\"");
  }

  // The common scan over a valid range.
  const int start = 1 + startPick % (len + 1);
  const int end = endPick % (len + 1);
  {
    const int got = sifta::FindUnquoted(text, start, end, sought, quote);
    const int want = ref::Find(text, start, end, sought, quote);
    CHECK(got == want, "FindUnquoted " + Describe(text, start, end, sought, quote) + " got " +
                           std::to_string(got) + " want " + std::to_string(want));
  }
  {
    const int got = sifta::CountUnquoted(text, start, end, sought, quote);
    const int want = ref::Count(text, start, end, sought, quote);
    CHECK(got == want, "CountUnquoted " + Describe(text, start, end, sought, quote) + " got " +
                           std::to_string(got) + " want " + std::to_string(want));
  }
  {
    const int got = sifta::FindNthUnquoted(text, sought, n, quote);
    const int want = ref::FindNth(text, sought, n, quote);
    CHECK(got == want, "FindNthUnquoted n=" + std::to_string(n) + " " + Describe(text, 1, 0, sought, quote) +
                           " got " + std::to_string(got) + " want " + std::to_string(want));
  }
  {
    std::string edited(text);
    const int got = sifta::DeleteUnquoted(edited, sought, quote);
    int want = 0;
    const std::string wantText = ref::Delete(text, sought, quote, &want);
    CHECK(got == want && edited == wantText,
          "DeleteUnquoted " + Describe(text, 1, 0, sought, quote) + " got " + std::to_string(got) + " \"" +
              Printable(edited) + "\" want " + std::to_string(want) + " \"" + Printable(wantText) + "\"");
  }

  // Trimming and the digits test.
  CHECK(sifta::TrimBlanks(side, text) == ref::Trim(side, text),
        std::string("TrimBlanks ") + side + " \"" + Printable(text) + "\"");
  {
    bool digits = true;
    for (char c : text) digits = digits && c >= '0' && c <= '9';
    CHECK(sifta::IsAllDigits(text) == (digits ? 0 : -1), "IsAllDigits \"" + Printable(text) + "\"");
  }

  // LocateItems: the documented span, the literal steps where they are
  // defined, and always a span within the line.
  {
    const ref::Items items(text);
    const int first = 1 + firstPick % (items.CountItems() + 3);
    const int last = first + widthPick % 4;
    const std::string what = "LocateItems " + std::to_string(first) + ".." + std::to_string(last) + " of \"" +
                             Printable(text) + "\"";
    const sifta::ItemSpan got = sifta::LocateItems(text, 1, first, last);
    CheckSpanWithinLine(got, len, what + " got " + SpanText(got));
    const ref::Span want = ref::Locate(text, first, last);
    CHECK(got.start == want.start && got.end == want.end && got.length == want.length &&
              got.missingItems == want.missing,
          what + " got " + SpanText(got) + " want " + SpanText(want));
    if (!items.unterminated && items.CountItems() >= last) {
      const ref::Span literal = ref::LocateLiteral(text, 1, first, last);
      CHECK(literal.start == want.start && literal.end == want.end,
            what + " literal " + SpanText(literal) + " model " + SpanText(want));
    }
    // Any start position within the line (or just past it): within the line.
    const int anyStart = 1 + startPick % (len + 1);
    const sifta::ItemSpan wild = sifta::LocateItems(text, anyStart, first, last);
    CheckSpanWithinLine(wild, len, what + " from " + std::to_string(anyStart) + " got " + SpanText(wild));
  }

  CheckNumbers(text.substr(0, 14), static_cast<long long>(startPick) * endPick * (n % 2 ? 1 : -7919));

  // Arguments outside the valid ranges must not crash.
  (void)sifta::FindUnquoted(text, static_cast<int>(startPick % 7) - 3, len + 1 + endPick % 3, sought, quote);
  (void)sifta::CountUnquoted(text, len + 2, static_cast<int>(endPick % 5) - 2, sought, quote);
  (void)sifta::FindNthUnquoted(text, sought, 1 - n, quote);
  return 0;
}
