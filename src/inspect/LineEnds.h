// The line rule of the whole program, in one place: a line ends at a CR
// byte; an LF right after that CR belongs to its line end; any other LF is an
// ordinary byte of the line (a file whose lines end in LF alone is one line).
// Where the text ends (a 0x1A byte, the file's end) is the readers' business.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace sifta {

// Where the line after the CR at `cr` of `text` begins: past the LF right
// after it when `text` holds one.
inline std::size_t AfterLineEnd(std::string_view text, std::size_t cr) {
  return cr + 1 < text.size() && text[cr + 1] == '\n' ? cr + 2 : cr + 1;
}

// The line of `lines` (whole lines, the last perhaps without its line end)
// that begins at `at`, without its line end, and where the next one begins:
// past lines.size() for a last line without a line end.
struct LineSpan {
  std::string_view line;
  std::size_t next;
};
inline LineSpan LineAt(std::string_view lines, std::size_t at) {
  const void* cr = std::memchr(lines.data() + at, '\r', lines.size() - at);
  const std::size_t end =
      cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - lines.data()) : lines.size();
  return {lines.substr(at, end - at), cr ? AfterLineEnd(lines, end) : end + 1};
}

// Where the first line of `lines` (as above) that is longer than `longest`
// bytes begins; lines.size() when none is.
inline std::size_t FirstLineLongerThan(std::string_view lines, std::size_t longest) {
  // A line longer than allowed can only be among them when they are.
  if (lines.size() <= longest) return lines.size();
  for (std::size_t line = 0; line < lines.size();) {
    const LineSpan span = LineAt(lines, line);
    if (span.line.size() > longest) return line;
    line = span.next;
  }
  return lines.size();
}

}  // namespace sifta
