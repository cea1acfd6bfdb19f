// ReadFileLayout over random files and answers to the heading question,
// against the layout rule worked out from the literal scanning operations:
// the item count of line 1, the ",ｾﾙ" marker, the kinds and their counts, the
// no-data and cancel outcomes; the question is asked only when line 1 is no
// standard heading, and the file is closed on every outcome.
#include <fuzzer/FuzzedDataProvider.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "FuzzSupport.h"
#include "Reference.h"
#include "inspect/FileLayout.h"

using fuzz::Printable;
using sifta::HeadingKind;

namespace {

// ",ｾﾙ" in code page 932.
constexpr std::string_view kMarker = "\x2C\xBE\xD9";

int MarkerPosition(std::string_view line) { return ref::Find(line, 1, 0, kMarker, ""); }

std::string Kind(HeadingKind k) {
  return k == HeadingKind::Standard ? "Standard" : k == HeadingKind::User ? "User" : "None";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryFile file("layout-source");
  FuzzedDataProvider in(data, size);
  const int answerPick = in.ConsumeIntegralInRange<int>(0, 2);
  const std::string bytes = in.ConsumeRemainingBytesAsString();
  file.Set(bytes);
  const std::optional<HeadingKind> answer =
      answerPick == 0 ? std::optional(HeadingKind::User)
                      : answerPick == 1 ? std::optional(HeadingKind::None) : std::nullopt;
  const std::string what = "file \"" + Printable(bytes) + "\" answer " +
                           (answer ? Kind(*answer) : std::string("cancel"));

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
      [&](HeadingKind k) { told.push_back(k); });
  CHECK(fuzz::LowestFreeDescriptor() == freeBefore, what + ": the file was left open");
  CHECK(asked == (standard ? 0 : 1), what + ": asked " + std::to_string(asked) + " times");
  CHECK(!std::holds_alternative<sifta::IoError>(result),
        what + ": " + std::get<sifta::IoError>(result).message);

  if (!standard && !answer) {
    CHECK(std::holds_alternative<sifta::LayoutCancelled>(result), what + ": not cancelled");
    CHECK(told.empty(), what + ": kind told after a cancel");
    return 0;
  }
  const HeadingKind kind = standard ? HeadingKind::Standard : *answer;
  CHECK(told.size() == 1 && told[0] == kind, what + ": kind told " + std::to_string(told.size()) +
                                                 " times");

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
    CHECK(layout->firstRecord == first,
          what + ": firstRecord \"" + Printable(layout->firstRecord) + "\"");
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
  return 0;
}
