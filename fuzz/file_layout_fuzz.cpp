// ReadFileLayout over random files and answers to the heading question,
// against the layout rule worked out from the literal scanning operations:
// the item count of line 1, the ",ｾﾙ" marker, the kinds and their counts, the
// no-data and cancel outcomes; the question is asked only when line 1 is no
// standard heading, and the file is closed on every outcome. On the same
// file: the record count against the line rule, the extract layout, and the
// item list against the items LocateItems delimits. Every read is in blocks
// of 1 to 70 bytes, so that a block boundary falls anywhere in a line and an
// input costs no large buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "FuzzSupport.h"
#include "inspect/FileInspection.h"
#include "inspect/FileLayout.h"
#include "scan/Scanning.h"
#include "support/Reference.h"

using fuzz::Printable;
using sifta::HeadingKind;

namespace {

// ",ｾﾙ" in code page 932.
constexpr std::string_view kMarker = "\x2C\xBE\xD9";

int MarkerPosition(std::string_view line) { return ref::Find(line, 1, 0, kMarker, ""); }

// Item n of `line` as ref::Locate(line, n, n) delimits it, from the items
// worked out once for the line.
std::string ItemText(std::string_view line, const ref::Items& items, int n) {
  if (n > items.CountItems()) return {};
  const int start = items.Start(n);
  const int end = items.End(n);
  return end >= start
             ? std::string(line.substr(static_cast<size_t>(start - 1), static_cast<size_t>(end - start + 1)))
             : std::string();
}

// The item list of a layout: "(n) " or "<n> ", the heading's item, " … ",
// the first record's item.
void CheckItemList(const sifta::FileLayout& layout, const std::string& what) {
  const std::vector<std::string> list = sifta::BuildItemList(layout);
  CHECK(list.size() == static_cast<size_t>(std::max(layout.itemCount, 0)),
        what + ": item list of " + std::to_string(list.size()) + " lines");
  const ref::Items heading(layout.headingText);
  const ref::Items record(layout.firstRecord);
  for (int n = 1; n <= static_cast<int>(list.size()); ++n) {
    const bool rid = n <= layout.ridItemCount;
    std::string want =
        rid ? "(" + std::to_string(n) + ") " : "<" + std::to_string(n - layout.ridItemCount) + "> ";
    if (layout.headingKind != HeadingKind::None) want += ItemText(layout.headingText, heading, n);
    want += " \x81\x63 " + ItemText(layout.firstRecord, record, n);
    CHECK(list[static_cast<size_t>(n - 1)] == want, what + ": item line " + std::to_string(n) + " \"" +
                                                        Printable(list[static_cast<size_t>(n - 1)]) +
                                                        "\" want \"" + Printable(want) + "\"");
  }
}

// The record count and the extract layout of the file.
void CheckInspection(const std::string& path, const std::vector<std::string>& lines, size_t block,
                     const std::string& what) {
  for (HeadingKind kind : {HeadingKind::Standard, HeadingKind::User, HeadingKind::None}) {
    const auto counted = sifta::CountRecords(path, kind, block);
    CHECK(std::holds_alternative<std::int64_t>(counted), what + ": count failed");
    const std::int64_t want =
        static_cast<std::int64_t>(lines.size()) - (kind != HeadingKind::None && !lines.empty() ? 1 : 0);
    CHECK(std::get<std::int64_t>(counted) == want,
          what + ": " + std::to_string(std::get<std::int64_t>(counted)) + " records at block " +
              std::to_string(block) + ", want " + std::to_string(want));
  }
  // An extract of a Standard source: no question, the RID count by the marker.
  const std::string line1 = lines.empty() ? std::string() : lines[0];
  const auto extract = sifta::ReadExtractLayout(path, HeadingKind::Standard, block);
  CHECK(!std::holds_alternative<sifta::IoError>(extract), what + ": extract layout failed");
  const sifta::FileLayout& layout = std::holds_alternative<sifta::FileLayout>(extract)
                                        ? std::get<sifta::FileLayout>(extract)
                                        : std::get<sifta::LayoutNoData>(extract).layout;
  CHECK(std::holds_alternative<sifta::LayoutNoData>(extract) == (lines.size() <= 1),
        what + ": extract no data");
  const int items = ref::Count(line1, 1, 0, ",", "\"") + 1;
  const int p = MarkerPosition(line1);
  const int rid = std::string_view(line1).starts_with("\xBE\xD9") ? 0
                  : p == 0                                        ? items
                                                                  : ref::Count(line1, 1, p + 1, ",", "\"");
  CHECK(layout.itemCount == items && layout.ridItemCount == rid && layout.bodyCellCount == items - rid,
        what + ": extract layout items " + std::to_string(layout.itemCount) + " rid " +
            std::to_string(layout.ridItemCount) + ", want " + std::to_string(items) + " / " +
            std::to_string(rid));
  if (items > 0 && rid >= 0 && rid <= items) CheckItemList(layout, what + " (extract)");
}

std::string Kind(HeadingKind k) {
  return k == HeadingKind::Standard ? "Standard" : k == HeadingKind::User ? "User" : "None";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryFile file("layout-source");
  FuzzedDataProvider in(data, size);
  const int answerPick = in.ConsumeIntegralInRange<int>(0, 2);
  const size_t block = in.ConsumeIntegralInRange<size_t>(1, 70);
  const std::string bytes = in.ConsumeRemainingBytesAsString();
  file.Set(bytes);
  const std::optional<HeadingKind> answer = answerPick == 0   ? std::optional(HeadingKind::User)
                                            : answerPick == 1 ? std::optional(HeadingKind::None)
                                                              : std::nullopt;
  const std::string what =
      "file \"" + Printable(bytes) + "\" answer " + (answer ? Kind(*answer) : std::string("cancel"));

  // What the rule says.
  const std::vector<std::string> lines = ref::Lines(bytes);
  const std::string line1 = lines.empty() ? std::string() : lines[0];
  const int commas = ref::Count(line1, 1, 0, ",", "\"");
  const bool unterminated = commas < 0;
  const int itemCount = commas + 1;
  const int p = MarkerPosition(line1);
  const bool standard = p > 0 && !std::string_view(line1).starts_with("\xBE\xD9");
  const int ridCount = standard ? ref::Count(line1, 1, p + 1, ",", "\"") : 0;

  int asked = 0;
  std::vector<HeadingKind> told;
  const int freeBefore = fuzz::LowestFreeDescriptor();
  const sifta::LayoutResult result = sifta::ReadFileLayout(
      file.Path(),
      [&]() {
        ++asked;
        return answer;
      },
      [&](HeadingKind k) { told.push_back(k); }, block);
  CHECK(fuzz::LowestFreeDescriptor() == freeBefore, what + ": the file was left open");
  CHECK(asked == (standard ? 0 : 1), what + ": asked " + std::to_string(asked) + " times");
  CHECK(!std::holds_alternative<sifta::IoError>(result),
        what + ": " + std::get<sifta::IoError>(result).message);
  CheckInspection(file.Path(), lines, block, what);

  if (!standard && !answer) {
    CHECK(std::holds_alternative<sifta::LayoutCancelled>(result), what + ": not cancelled");
    CHECK(told.empty(), what + ": kind told after a cancel");
    return 0;
  }
  const HeadingKind kind = standard ? HeadingKind::Standard : *answer;
  CHECK(told.size() == 1 && told[0] == kind, what + ": kind told " + std::to_string(told.size()) + " times");

  const bool noData = kind != HeadingKind::None && lines.size() <= 1;
  const sifta::FileLayout* layout = nullptr;
  if (noData) {
    CHECK(std::holds_alternative<sifta::LayoutNoData>(result), what + ": no-data expected");
    layout = &std::get<sifta::LayoutNoData>(result).layout;
    CHECK(layout->firstRecord.empty(), what + ": firstRecord of a no-data layout");
  } else {
    CHECK(std::holds_alternative<sifta::FileLayout>(result), what + ": a layout expected");
    layout = &std::get<sifta::FileLayout>(result);
    const std::string& first = kind == HeadingKind::None ? line1 : lines[1];
    CHECK(layout->firstRecord == first, what + ": firstRecord \"" + Printable(layout->firstRecord) + "\"");
  }
  CHECK(layout->fileName == file.Path(), what + ": fileName " + layout->fileName);
  CHECK(layout->headingKind == kind, what + ": kind " + Kind(layout->headingKind));
  CHECK(layout->headingText == (kind == HeadingKind::None ? std::string() : line1),
        what + ": headingText \"" + Printable(layout->headingText) + "\"");

  const std::string counts = " items " + std::to_string(layout->itemCount) + " rid " +
                             std::to_string(layout->ridItemCount) + " body " +
                             std::to_string(layout->bodyCellCount);
  // The kind rules.
  if (kind != HeadingKind::Standard) CHECK(layout->ridItemCount == 0, what + counts);
  if (unterminated) {
    // An unclosed quote on line 1: no item count, and nothing that a plan
    // could take for a usable layout.
    CHECK(layout->itemCount == 0, what + counts);
    CHECK(layout->bodyCellCount <= 0 || layout->ridItemCount < 0, what + counts);
    return 0;
  }
  CHECK(layout->itemCount == itemCount, what + counts + " want items " + std::to_string(itemCount));
  CHECK(layout->ridItemCount == ridCount, what + counts + " want rid " + std::to_string(ridCount));
  CHECK(layout->ridItemCount + layout->bodyCellCount == layout->itemCount, what + counts);
  CHECK(layout->ridItemCount >= 0 && layout->ridItemCount < layout->itemCount, what + counts);
  CheckItemList(*layout, what);
  return 0;
}
