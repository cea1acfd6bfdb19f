// What one source file's records become in the extract beyond the plan's
// items: the encoding they are written in, and the source column (the @
// substitution text, or for a single file its file name, as a new first
// item). Fixed for one source file; the series loop makes it for each.
#pragma once

#include <cstdint>
#include <string>

#include "scan/Cp932ToUtf8.h"  // kUtf8ByteOrderMark

namespace sifta {

// The extract's encoding: the source's own (code page 932, as read), or
// UTF-8, with or without a byte order mark before the heading.
enum class OutputEncoding { Cp932, Utf8WithBom, Utf8 };

// What Excel opens at most: the rows of a sheet, the heading's row
// included, and its columns.
constexpr std::int64_t kExcelRows = 1048576;
constexpr int kExcelColumns = 16384;

struct FileOutput {
  // Every line is converted from code page 932 to UTF-8 as it is written.
  bool utf8 = false;
  // The source column's heading item and its record item, each followed by a
  // comma, in code page 932; both empty without the column.
  std::string headingPrefix;
  std::string recordPrefix;
  // The source file's name as messages show it (code page 932).
  std::string sourceShown;
};

}  // namespace sifta
