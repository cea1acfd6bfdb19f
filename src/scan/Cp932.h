// Conversion between code page 932 bytes (file contents, grid texts, the
// program's messages) and UTF-8 (what the windows and the terminal show).
// The system's code page 932 tables do the work (platform/CodePage932.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sifta {

// The UTF-8 form of code page 932 text; nothing when a byte sequence is
// invalid or incomplete (a lone lead byte at the end, say).
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

// For display only: every byte that does not form a character is shown as
// U+FFFD. Never use the result as data.
std::string Cp932ToUtf8ForDisplay(std::string_view cp932);

// The code page 932 form of UTF-8 text typed by the user; nothing when a
// character has no counterpart in code page 932 (it is never replaced by a
// stand-in character that could match real data).
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// For display only (a file name in the record count list, a path in a
// message): a character without counterpart becomes '?'.
std::string Utf8ToCp932ForDisplay(std::string_view utf8);

// The program's own texts are written in UTF-8 in the sources; Sj gives their
// code page 932 bytes. Every such text is convertible; a text that is not is a
// programming error and ends the program.
std::string Sj(std::string_view utf8);

}  // namespace sifta
