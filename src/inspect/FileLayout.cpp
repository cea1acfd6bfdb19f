#include "inspect/FileLayout.h"

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

LayoutResult ReadFileLayout(const std::filesystem::path& path, const ChooseHeadingKind& choose,
                            const HeadingKindKnown& known) {
  LineReader reader;  // closes the file on every way out
  if (auto error = reader.Open(path)) return *error;

  FileLayout layout;
  layout.fileName = platform::PathToUtf8(path);
  const std::string line1(reader.ReadLine());
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
                    ReadFirstRecord(reader, std::move(layout), line1));
}

RecordLayoutResult ReadFirstRecord(LineReader& reader, FileLayout layout, const std::string& line1) {
  if (layout.headingKind == HeadingKind::None) {
    layout.firstRecord = line1;
    return layout;
  }
  layout.headingText = line1;
  if (reader.AtEnd()) {
    if (reader.Error()) return *reader.Error();
    return LayoutNoData{std::move(layout)};
  }
  layout.firstRecord = std::string(reader.ReadLine());
  if (reader.Error()) return *reader.Error();
  return layout;
}

}  // namespace sifta
