#include "inspect/FileLayout.h"

#include <algorithm>

#include "scan/Cp932.h"
#include "scan/Scanning.h"

namespace sifta {

namespace {

// ",ｾﾙ" and "ｾﾙ" in code page 932 (half-width katakana, one byte each).
const std::string& CellMarker() {
  static const std::string marker = Sj(",ｾﾙ");
  return marker;
}

const std::string& CellName() {
  static const std::string name = Sj("ｾﾙ");
  return name;
}

int CountItems(std::string_view line) { return CountUnquoted(line, 1, 0, ",", "\"") + 1; }

}  // namespace

std::string KeptLayoutText(std::string_view line, std::size_t limit) {
  if (line.size() <= limit) return std::string(line);
  // The last comma outside quotes at a position up to limit + 1 ends the
  // last item kept.
  const int end = static_cast<int>(std::min<std::size_t>(limit + 1, line.size()));
  size_t kept = 0;
  for (int from = 1; from <= end;) {
    const int comma = FindUnquoted(line, from, end, ",", "\"");
    if (comma <= 0) break;
    kept = static_cast<size_t>(comma - 1);
    from = comma + 1;
  }
  return std::string(line.substr(0, kept));
}

int FindCellMarker(std::string_view line) {
  // A plain substring search that never starts on a trail byte; quotes are
  // not considered.
  return FindUnquoted(line, 1, 0, CellMarker(), "");
}

std::optional<StandardHeading> DetectStandardHeading(std::string_view line) {
  const int p = FindCellMarker(line);
  if (p <= 0 || line.starts_with(CellName())) return std::nullopt;
  // The commas outside quotes that begin at positions 1 to p + 1: the items in
  // front of the first item that begins with ｾﾙ.
  return StandardHeading{CountUnquoted(line, 1, p + 1, ",", "\"")};
}

LayoutCounts CountsOfLineOne(std::string_view line, HeadingKind kind) {
  LayoutCounts counts{CountItems(line), 0};
  if (kind == HeadingKind::Standard)
    if (const auto standard = DetectStandardHeading(line)) counts.ridItemCount = standard->ridItemCount;
  return counts;
}

LayoutCounts CountsOf(const FileLayout& layout) { return {layout.itemCount, layout.ridItemCount}; }

LayoutResult ReadFileLayout(const std::filesystem::path& path, const ChooseHeadingKind& choose,
                            const HeadingKindKnown& known, std::size_t blockSize) {
  LineReader reader(blockSize);  // closes the file on every way out
  if (auto error = reader.Open(path)) return *error;

  FileLayout layout;
  layout.fileName = platform::PathToUtf8(path);
  const std::string_view line1 = reader.ReadLine();  // valid until line 2 is read
  if (reader.Error()) return *reader.Error();
  layout.itemCount = CountItems(line1);

  if (const auto standard = DetectStandardHeading(line1)) {
    layout.headingKind = HeadingKind::Standard;
    layout.ridItemCount = standard->ridItemCount;
  } else {
    const std::optional<HeadingKind> chosen = choose ? choose() : std::nullopt;
    if (!chosen || *chosen == HeadingKind::Standard) return LayoutCancelled{};
    layout.headingKind = *chosen;
    layout.ridItemCount = 0;
  }
  layout.bodyCellCount = layout.itemCount - layout.ridItemCount;
  if (known) known(layout.headingKind);

  return std::visit([](auto&& outcome) -> LayoutResult { return std::move(outcome); },
                    ReadFirstRecord(reader, std::move(layout), KeptLayoutText(line1)));
}

RecordLayoutResult ReadFirstRecord(LineReader& reader, FileLayout layout, std::string line1) {
  if (layout.headingKind == HeadingKind::None) {
    layout.firstRecord = std::move(line1);
    return layout;
  }
  layout.headingText = std::move(line1);
  if (reader.AtEnd()) {
    if (reader.Error()) return *reader.Error();
    return LayoutNoData{std::move(layout)};
  }
  layout.firstRecord = KeptLayoutText(reader.ReadLine());
  if (reader.Error()) return *reader.Error();
  return layout;
}

}  // namespace sifta
