#include "platform/CodePage932.h"

#include <iconv.h>

#include <cerrno>

namespace sifta::platform {

namespace {

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

std::optional<std::string> Convert(Direction direction, std::string_view input) {
  iconv_t cd = Descriptor(direction);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  std::string out;
  out.reserve(input.size() * 3 / 2 + 8);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (r != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    return std::nullopt;  // EILSEQ or EINVAL: an invalid or incomplete sequence
  }
  char* outPtr = buffer;
  size_t outLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, static_cast<size_t>(outPtr - buffer));
  return out;
}

}  // namespace

std::optional<std::string> ConvertCp932ToUtf8(std::string_view cp932) {
  return Convert(Direction::FromCp932, cp932);
}

std::optional<std::string> ConvertUtf8ToCp932(std::string_view utf8) {
  return Convert(Direction::ToCp932, utf8);
}

}  // namespace sifta::platform
