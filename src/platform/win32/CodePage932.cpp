#include "platform/CodePage932.h"

#include <windows.h>

namespace sifta::platform {

namespace {

constexpr UINT kCp932 = 932;

std::optional<std::wstring> Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), units);
  return wide;
}

// Windows reads the single bytes 0x80, 0xA0 and 0xFD-0xFF as U+0080 and
// private-use characters; they are no characters of code page 932 as the
// program reads it (nor for iconv), so they refuse on both systems.
bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool HasUnassignedByte(std::string_view cp932) {
  for (size_t i = 0; i < cp932.size(); ++i) {
    const auto byte = static_cast<unsigned char>(cp932[i]);
    if (IsLeadByte(byte))
      ++i;
    else if (byte == 0x80 || byte == 0xA0 || byte >= 0xFD)
      return true;
  }
  return false;
}

bool HasUnassignedCharacter(std::wstring_view wide) {
  for (wchar_t c : wide)
    if (c == 0x80 || (c >= 0xF8F0 && c <= 0xF8F3)) return true;
  return false;
}

}  // namespace

std::optional<std::string> ConvertCp932ToUtf8(std::string_view cp932) {
  if (HasUnassignedByte(cp932)) return std::nullopt;
  const std::optional<std::wstring> wide = Widen(kCp932, cp932);
  if (!wide) return std::nullopt;
  if (wide->empty()) return std::string();
  const int units = static_cast<int>(wide->size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide->data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::nullopt;
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide->data(), units, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::optional<std::string> ConvertUtf8ToCp932(std::string_view utf8) {
  const std::optional<std::wstring> wide = Widen(CP_UTF8, utf8);
  if (!wide || HasUnassignedCharacter(*wide)) return std::nullopt;
  if (wide->empty()) return std::string();
  const int units = static_cast<int>(wide->size());
  // No best-fit stand-ins: a character without a code page 932 form refuses.
  BOOL usedDefault = FALSE;
  const int bytes = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide->data(), units, nullptr, 0,
                                        nullptr, &usedDefault);
  if (bytes <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide->data(), units, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace sifta::platform
