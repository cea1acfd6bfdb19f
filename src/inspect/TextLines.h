// Printing and saving the lines of a text list (the record count list).
//
// PrintLines lays the lines out like a line printer on pages of the printer's
// printable area, in the printer's own units:
//  - every line is printed as five blanks followed by the line, then the line
//    is ended;
//  - the pen starts each page at (0, 0) with h = 0 (below); text is drawn with its top-left corner
//    at the pen; text that does not fit into the width left is shortened one
//    character at a time from its end (a double-byte character is never
//    split), the part that fits is drawn, the line is ended and the rest goes
//    on from x = 0 (at least one character is drawn on an empty line, clipped
//    if it is wider than the page, so that the job always advances);
//  - the line height h starts at 0 and becomes text height + 2 when text taller
//    than h is drawn;
//  - ending a line: x = 0, y grows by h (by the font height when nothing was
//    drawn), a new page begins when y > page height - 2h, then h = 0;
//  - a tab moves x to the next stop (every 8 average character widths), a form
//    feed begins a new page, an LF ends the line and a CR is passed over.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/TextFile.h"

namespace sifta {

// A page of a print job. Texts are code page 932; lengths in device units.
class PageCanvas {
 public:
  virtual ~PageCanvas() = default;

  virtual int PageWidth() = 0;
  virtual int PageHeight() = 0;
  // The height of drawn text (the font's character height).
  virtual int FontHeight() = 0;
  virtual int AverageCharWidth() = 0;
  virtual int TextWidth(std::string_view cp932) = 0;
  // Draws `cp932` with its top-left corner at (x, y).
  virtual void DrawText(int x, int y, std::string_view cp932) = 0;
  // Ejects the page and starts the next; false when the printer failed.
  virtual bool NewPage() = 0;
};

// Prints `lines` (code page 932) on `canvas`, whose job the caller has started
// and ends. False when a new page could not be started (the printing stops).
bool PrintLines(const std::vector<std::string>& lines, PageCanvas& canvas);

// Writes `lines` to a new file at `path` (an existing one is replaced), each
// followed by CR LF, the bytes as they are; nothing else. The error of the
// creation or of a write, if any (a partly written file stays).
std::optional<IoError> SaveLines(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace sifta
