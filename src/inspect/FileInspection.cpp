#include "inspect/FileInspection.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "scan/ByteCount.h"
#include "scan/Cp932.h"
#include "scan/Cp932ToUtf8.h"
#include "scan/Scanning.h"

namespace sifta {

namespace {

// The items of a line one after the other, delimited exactly as
// LocateItems(line, 1, n, n) delimits item n, in one pass over the line.
class ItemCursor {
 public:
  explicit ItemCursor(std::string_view line) : line_(line), length_(static_cast<int>(line.size())) {}

  std::string_view Next() {
    if (done_) return {};  // past the last item: the empty item at the end
    const int start = pos_ + 1;
    const int comma = start > length_ ? 0 : FindUnquoted(line_, start, length_, ",", "\"");
    if (comma <= 0) {
      done_ = true;
      return line_.substr(static_cast<size_t>(start - 1));
    }
    pos_ = comma;
    return line_.substr(static_cast<size_t>(start - 1), static_cast<size_t>(comma - start));
  }

 private:
  std::string_view line_;
  int length_;
  int pos_ = 0;  // the comma that ends the item before the next one
  bool done_ = false;
};

}  // namespace

std::variant<std::int64_t, IoError> CountRecords(const std::filesystem::path& path, HeadingKind kind,
                                                 std::size_t blockSize) {
  if (blockSize == 0) blockSize = 1;
  if (auto bad = CheckFileName(platform::PathToUtf8(path))) return *bad;
  platform::File file;  // closed on every way out
  if (auto error = file.Open(path, platform::File::Access::Read)) return DescribeIoError(*error, path);

  // Every CR ends a line. What crosses a block boundary is whether the text
  // so far ends inside a line (`lineOpen`) and whether its last byte is a CR
  // (`afterCr`), whose LF would still belong to that line end.
  const std::unique_ptr<char[]> buffer(new char[blockSize]);
  std::int64_t lines = 0;
  bool lineOpen = false;
  bool afterCr = false;
  for (;;) {
    const platform::File::ReadResult read = file.Read(buffer.get(), blockSize);
    if (read.error) return DescribeIoError(*read.error, path);
    if (read.bytes == 0) break;
    const auto n = static_cast<std::ptrdiff_t>(read.bytes);
    const char* from = buffer.get();
    const char* eof = static_cast<const char*>(std::memchr(from, '\x1A', static_cast<size_t>(n)));
    const char* to = eof ? eof : from + n;
    if (to > from) {
      lines += static_cast<std::int64_t>(CountByte({from, static_cast<std::size_t>(to - from)}, '\r'));
      const char last = to[-1];
      const bool lfOfCrLf = last == '\n' && (to - from >= 2 ? to[-2] == '\r' : afterCr);
      lineOpen = last != '\r' && !lfOfCrLf;
      afterCr = last == '\r';
    }
    if (eof) break;
  }
  if (lineOpen) ++lines;
  if (kind != HeadingKind::None && lines > 0) --lines;
  return lines;
}

namespace {

// A line of a UTF-8 extract as the windows read lines: in code page 932
// (every character of such an extract came from it), a byte order mark
// before it dropped.
std::string FromUtf8Extract(std::string_view line) {
  if (line.starts_with(kUtf8ByteOrderMark)) line.remove_prefix(kUtf8ByteOrderMark.size());
  if (std::optional<std::string> cp932 = Utf8ToCp932(line)) return *cp932;
  return Utf8ToCp932ForDisplay(line);
}

}  // namespace

ExtractLayoutResult ReadExtractLayout(const std::filesystem::path& path, HeadingKind sourceKind,
                                      std::size_t blockSize, bool utf8) {
  static const std::string cellName = Sj("ｾﾙ");
  LineReader reader(blockSize);  // closes the file on every way out
  if (auto error = reader.Open(path)) return *error;
  std::string_view line1 = reader.ReadLine();  // valid until line 2 is read
  if (reader.Error()) return *reader.Error();
  std::string converted;
  if (utf8) line1 = converted = FromUtf8Extract(line1);

  FileLayout layout;
  layout.fileName = platform::PathToUtf8(path);
  layout.headingKind = sourceKind;
  layout.itemCount = CountUnquoted(line1, 1, 0, ",", "\"") + 1;
  const int marker = FindCellMarker(line1);
  if (sourceKind != HeadingKind::Standard || line1.starts_with(cellName)) {
    layout.ridItemCount = 0;  // a Standard source whose extract kept no RID item
  } else if (marker == 0) {
    layout.ridItemCount = layout.itemCount;  // the extract kept no BODY cell
  } else {
    layout.ridItemCount = CountUnquoted(line1, 1, marker + 1, ",", "\"");
  }
  layout.bodyCellCount = layout.itemCount - layout.ridItemCount;

  ExtractLayoutResult result = ReadFirstRecord(reader, std::move(layout), KeptLayoutText(line1));
  if (auto* read = std::get_if<FileLayout>(&result); read && utf8 && sourceKind != HeadingKind::None)
    read->firstRecord = FromUtf8Extract(read->firstRecord);
  return result;
}

std::vector<std::string> BuildItemList(const FileLayout& layout) {
  static const std::string ellipsis = Sj(" … ");
  std::vector<std::string> list;
  if (layout.itemCount <= 0) return list;
  list.reserve(static_cast<size_t>(layout.itemCount));
  const bool withHeading = layout.headingKind != HeadingKind::None;
  ItemCursor heading(layout.headingText);
  ItemCursor record(layout.firstRecord);
  for (int n = 1; n <= layout.itemCount; ++n) {
    const bool rid = n <= layout.ridItemCount;
    std::string line(1, rid ? '(' : '<');
    line += std::to_string(rid ? n : n - layout.ridItemCount);
    line += rid ? ") " : "> ";
    if (withHeading) line.append(heading.Next());
    line += ellipsis;
    line.append(record.Next());
    list.push_back(std::move(line));
  }
  return list;
}

}  // namespace sifta
