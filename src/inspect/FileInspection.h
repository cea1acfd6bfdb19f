// The engine side of the file information windows: the record count of a
// file, the layout of an extract file, and the list of all items with the
// first record's values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "inspect/FileLayout.h"
#include "inspect/TextFile.h"

namespace sifta {

constexpr std::size_t kCountBlockSize = 1u << 20;

// The number of records of the file: its lines by the line rule (empty lines
// included; a quoted line break ends a line too), less the heading when
// `kind` is Standard or User, and never below 0. Reads the file in blocks of
// `blockSize` bytes without splitting it into lines.
std::variant<std::int64_t, IoError> CountRecords(const std::filesystem::path& path, HeadingKind kind,
                                                 std::size_t blockSize = kCountBlockSize);

// The layout of an extract file, read with the heading kind of its source
// and without any question: for a Standard source, a heading that begins
// with ｾﾙ has no RID item and one without ",ｾﾙ" has no BODY cell. The file is
// closed on every outcome. A `utf8` extract is read as the code page 932
// text it was written from (a byte order mark before it dropped).
using ExtractLayoutResult = RecordLayoutResult;
ExtractLayoutResult ReadExtractLayout(const std::filesystem::path& path, HeadingKind sourceKind,
                                      std::size_t blockSize = LineReader::kDefaultBlockSize,
                                      bool utf8 = false);

// One line for every item 1..itemCount: "(n) " for a RID item or "<n> " for
// BODY cell n, then (unless the kind is None) the item of the heading, then
// " … " (the code page 932 ellipsis 0x81 0x63 between blanks), then the item
// of the first record. Items are delimited as LocateItems delimits them,
// quotes kept; an item the first record does not hold is empty.
std::vector<std::string> BuildItemList(const FileLayout& layout);

}  // namespace sifta
