#include "scan/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace sifta {

namespace {

enum class OnFailure { Refuse, Replace };

enum class Direction { FromCp932, ToCp932 };

// One conversion descriptor per direction and thread, opened on first use:
// texts are converted item by item (an item list, a path), and opening a
// descriptor costs far more than converting a short text.
iconv_t Descriptor(Direction direction) {
  struct Descriptors {
    iconv_t fromCp932 = iconv_open("UTF-8", "CP932");
    iconv_t toCp932 = iconv_open("CP932", "UTF-8");
    ~Descriptors() {
      if (fromCp932 != reinterpret_cast<iconv_t>(-1)) iconv_close(fromCp932);
      if (toCp932 != reinterpret_cast<iconv_t>(-1)) iconv_close(toCp932);
    }
  };
  thread_local Descriptors descriptors;
  return direction == Direction::FromCp932 ? descriptors.fromCp932 : descriptors.toCp932;
}

// Converts `input` in `direction`. With Replace, an input byte that does not
// convert is skipped and `replacement` is written instead.
std::optional<std::string> Convert(Direction direction, std::string_view input, OnFailure onFailure,
                                   std::string_view replacement) {
  iconv_t cd = Descriptor(direction);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  std::string out;
  out.reserve(input.size() * 3 / 2 + 8);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char buffer[4096];
  bool ok = true;
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (r != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: an invalid or incomplete sequence at `in`.
    if (onFailure == OnFailure::Refuse) {
      ok = false;
      break;
    }
    out.append(replacement);
    ++in;
    --inLeft;
  }
  if (ok) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
  }
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
  return Convert(Direction::FromCp932, cp932, OnFailure::Refuse, {});
}

std::string Cp932ToUtf8ForDisplay(std::string_view cp932) {
  return Convert(Direction::FromCp932, cp932, OnFailure::Replace, "\xEF\xBF\xBD").value_or("");
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  return Convert(Direction::ToCp932, utf8, OnFailure::Refuse, {});
}

std::string Utf8ToCp932ForDisplay(std::string_view utf8) {
  // A character that does not convert is skipped byte by byte; only its first
  // byte leaves a '?', its UTF-8 continuation bytes leave nothing.
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
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
