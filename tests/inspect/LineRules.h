// The line rule written out plainly, byte by byte, as the yardstick of the
// line reader and the record count in tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sifta::testing {

// The lines of a file holding `bytes`: a CR ends a line and takes a directly
// following LF with it; 0x1A or the end ends the text; a last line without a
// line end counts, an empty rest after a line end does not.
inline std::vector<std::string> LinesByTheRule(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;  // bytes of a line not yet ended
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\x1A') break;
    if (c == '\r') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      continue;
    }
    line += c;
    open = true;
  }
  if (open) lines.push_back(line);
  return lines;
}

}  // namespace sifta::testing
