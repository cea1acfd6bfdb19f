// Conversion between code page 932 and UTF-8 by the system's tables: iconv
// "CP932" on Linux (0x5C the backslash, 0x7E the tilde, the NEC and IBM
// extensions known), code page 932 of MultiByteToWideChar and
// WideCharToMultiByte on Windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sifta::platform {

// Nothing when a byte sequence is invalid or incomplete.
std::optional<std::string> ConvertCp932ToUtf8(std::string_view cp932);

// Nothing when a character has no code page 932 form (never a stand-in).
std::optional<std::string> ConvertUtf8ToCp932(std::string_view utf8);

}  // namespace sifta::platform
