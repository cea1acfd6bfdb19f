// The one-pass item boundaries of the record loop against the chain of
// literal comma searches, with quoting on and off, for any number of wanted
// items, with every instruction set the processor has, and the scan for some
// item ends only; one object is used for two lines in a row, as the loop
// reuses it.
// The lines lie in heap blocks of exactly their size, so that a 16-byte load
// past the end of a line is an AddressSanitizer finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "scan/ItemBoundaries.h"
#include "support/Reference.h"

using fuzz::Printable;

namespace {

// Items by the chain of comma searches; with quoting off every comma at a
// single-byte position separates.
struct ModelItems {
  ModelItems(std::string_view line, bool quoting) : length(static_cast<int>(line.size())) {
    int pos = 0;
    for (;;) {
      const int c = ref::Find(line, pos + 1, length, ",", quoting ? "\"" : "");
      if (c <= 0) {
        unterminated = c < 0;
        break;
      }
      commas.push_back(c);
      pos = c;
    }
  }
  int Count() const { return static_cast<int>(commas.size()) + 1; }
  int Begin(int i) const { return i == 1 ? 0 : commas[static_cast<size_t>(i - 2)]; }  // 0-based
  int End(int i) const {
    return i <= static_cast<int>(commas.size()) ? commas[static_cast<size_t>(i - 1)] - 1 : length;
  }
  int length;
  bool unterminated = false;
  std::vector<int> commas;
};

std::string Instructions() {
  switch (sifta::CurrentScanInstructions()) {
    case sifta::ScanInstructions::Scalar:
      return " scalar";
    case sifta::ScanInstructions::Sse2:
      return " sse2";
    case sifta::ScanInstructions::Avx2:
      return " avx2";
    case sifta::ScanInstructions::Avx2FastPdep:
      return " avx2-pdep";
    case sifta::ScanInstructions::Avx512:
      return " avx512";
  }
  return "";
}

// Only the listed item ends (and the count) of the line.
void CheckEnds(sifta::ItemBoundaries& items, std::string_view line, const std::vector<int>& wantedEnds) {
  std::string what = "line \"" + Printable(line) + "\" ends";
  for (int e : wantedEnds) what += " " + std::to_string(e);
  what += Instructions();
  items.LocateEnds(line, wantedEnds);
  const ModelItems model(line, true);
  const int count = std::min(wantedEnds.back(), model.Count());
  CHECK(items.Count() == count,
        what + ": count " + std::to_string(items.Count()) + " want " + std::to_string(count));
  for (size_t k = 0; k < wantedEnds.size(); ++k) {
    const int i = wantedEnds[k];
    if (i > count) break;
    CHECK(static_cast<int>(items.End(i)) == model.End(i), what + ": end of item " + std::to_string(i) + " " +
                                                              std::to_string(items.End(i)) + " want " +
                                                              std::to_string(model.End(i)));
    if (i + 1 <= count)
      CHECK(static_cast<int>(items.Begin(i + 1)) == model.Begin(i + 1),
            what + ": begin of item " + std::to_string(i + 1));
  }
  CHECK(static_cast<int>(items.End(count)) == model.End(count), what + ": end of the last item found");
  CHECK(items.Begin(1) == 0, what + ": begin of item 1");
}

void Check(sifta::ItemBoundaries& items, std::string_view line, int wanted, bool quoting) {
  const std::string what = "line \"" + Printable(line) + "\" wanted " + std::to_string(wanted) +
                           (quoting ? " quoting" : " no quoting") + Instructions();
  items.Locate(line, wanted, quoting);
  const ModelItems model(line, quoting);
  const int count = std::min(wanted, model.Count());
  CHECK(items.Count() == count,
        what + ": count " + std::to_string(items.Count()) + " want " + std::to_string(count));
  for (int i = 1; i <= count; ++i) {
    CHECK(
        static_cast<int>(items.Begin(i)) == model.Begin(i) && static_cast<int>(items.End(i)) == model.End(i),
        what + ": item " + std::to_string(i) + " [" + std::to_string(items.Begin(i)) + "," +
            std::to_string(items.End(i)) + ") want [" + std::to_string(model.Begin(i)) + "," +
            std::to_string(model.End(i)) + ")");
  }
  if (!quoting) return;

  const int unterminated = model.unterminated ? model.Count() : 0;
  if (unterminated <= wanted) {
    CHECK(items.UnterminatedItem() == unterminated,
          what + ": unterminated item " + std::to_string(items.UnterminatedItem()));
  } else {
    CHECK(items.UnterminatedItem() == 0 || items.UnterminatedItem() == unterminated,
          what + ": unterminated item " + std::to_string(items.UnterminatedItem()));
  }
  // The first double quote of each item, at a single-byte position.
  std::vector<int> quoted;
  for (int i = 1; i <= count; ++i) {
    const int begin = model.Begin(i) + 1, end = model.End(i);
    const int q = end >= begin ? ref::Find(line, begin, end, "\"", "") : 0;
    CHECK(items.FirstQuote(i) == (q > 0 ? q - 1 : -1), what + ": first quote of item " + std::to_string(i) +
                                                           " at " + std::to_string(items.FirstQuote(i)) +
                                                           " want " + std::to_string(q - 1));
    if (q > 0) quoted.push_back(i);
  }
  CHECK(items.QuotedItems() == quoted, what + ": quoted items");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const bool quotingA = in.ConsumeBool();
  const bool quotingB = in.ConsumeBool();
  const uint8_t wantedA = in.ConsumeIntegral<uint8_t>();
  const uint8_t wantedB = in.ConsumeIntegral<uint8_t>();
  const std::string first = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 300));
  const std::string second = in.ConsumeRemainingBytesAsString();
  const fuzz::ExactBytes a(first), b(second);

  std::vector<int> ends;
  for (int e = 1 + wantedA % 3; e <= 60 && ends.size() < 6; e += 1 + (wantedB >> (ends.size() % 8)) % 7)
    ends.push_back(e);

  const auto best = static_cast<int>(sifta::BestScanInstructions());
  for (int which = 0; which <= best; ++which) {
    sifta::UseScanInstructions(static_cast<sifta::ScanInstructions>(which));
    sifta::ItemBoundaries items;
    Check(items, a.View(), 1 + wantedA % 40, quotingA);
    Check(items, b.View(), 1 + wantedB % 40, quotingB);
    CheckEnds(items, b.View(), ends);
    Check(items, a.View(), 1 + wantedB % 70, true);
  }
  sifta::UseScanInstructions(static_cast<sifta::ScanInstructions>(best));

  // The deletion of quotes and commas for the key.
  std::unique_ptr<char[]> key(new char[second.size()]);
  if (!second.empty()) std::memcpy(key.get(), second.data(), second.size());
  const size_t kept = sifta::DeleteQuotesAndCommas(key.get(), second.size());
  const std::string want = ref::Delete(ref::Delete(second, "\"", ""), ",", "");
  CHECK(std::string_view(key.get(), kept) == want,
        "DeleteQuotesAndCommas \"" + Printable(second) + "\" gave \"" +
            Printable(std::string_view(key.get(), kept)) + "\" want \"" + Printable(want) + "\"");
  return 0;
}
