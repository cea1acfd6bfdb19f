#include "scan/Cp932.h"

#include <cstdio>
#include <cstdlib>

#include "platform/CodePage932.h"

namespace sifta {

namespace {

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) { return platform::ConvertCp932ToUtf8(cp932); }

std::string Cp932ToUtf8ForDisplay(std::string_view cp932) {
  if (auto whole = platform::ConvertCp932ToUtf8(cp932)) return *whole;
  // Character by character: a byte that does not begin a character is shown
  // as U+FFFD and the next byte starts afresh (the trail of a bad pair too).
  std::string out;
  size_t i = 0;
  while (i < cp932.size()) {
    const size_t width = IsLeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
    if (auto c = platform::ConvertCp932ToUtf8(cp932.substr(i, width))) {
      out += *c;
      i += width;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) { return platform::ConvertUtf8ToCp932(utf8); }

std::string Utf8ToCp932ForDisplay(std::string_view utf8) {
  // A character that does not convert is skipped byte by byte; only its first
  // byte leaves a '?', its UTF-8 continuation bytes leave nothing.
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    // Code page 932 keeps the ASCII characters as they are (0x5C and 0x7E
    // too): a path, mostly ASCII, needs the converter only for the rest.
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      out += utf8[i++];
      continue;
    }
    size_t j = i + 1;
    while (j < utf8.size() && (static_cast<unsigned char>(utf8[j]) & 0xC0) == 0x80) ++j;
    if (auto c = Utf8ToCp932(utf8.substr(i, j - i)))
      out += *c;
    else
      out += '?';
    i = j;
  }
  return out;
}

std::string Sj(std::string_view utf8) {
  if (auto c = Utf8ToCp932(utf8)) return *c;
  std::fprintf(stderr, "sifta: text without a code page 932 form: %.*s\n", static_cast<int>(utf8.size()),
               utf8.data());
  std::abort();
}

}  // namespace sifta
