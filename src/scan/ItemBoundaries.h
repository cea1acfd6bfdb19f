// The items of one CSV line, found in one pass: the fast counterpart of
// LocateItems for the record loop. After Locate, the span of any items is two
// index lookups.
//
// The pass gives exactly the items of the reference operations (Scanning.h):
//  - a comma separates items only outside double-quoted stretches and only
//    at a single-byte position: the byte after a code page 932 lead byte is
//    its trail byte, whatever its value (a comma, a quote or another lead byte
//    value included);
//  - the same rule holds inside a quoted stretch, whose closing quote is only
//    a quote at a single-byte position;
//  - a quote that opens a stretch without closing it makes the rest of the
//    line part of the item in which it stands.
//
// How it is fast: a line is taken 64 bytes at a time. Vector compares give a
// bit mask of the commas, the double quotes and the lead-byte values of the
// block; the trail bytes that look like a comma or a quote come from the
// carries of one addition over the lead mask (the byte after a run of lead
// values of odd length), the quoted stretches from a prefix XOR over the
// quote mask, and what is left of the comma mask are the item ends. Nothing
// branches on the data but the loops over those bits. The state carried from
// one block to the next is `inQuote` and whether the block begins with the
// trail byte of the previous block's last lead byte. On x86-64 the compares
// use SSE2 (every such processor), AVX2 or AVX-512, the best the processor
// has; elsewhere a portable loop classifies the bytes (scan/Simd.h).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace sifta {

// The instructions of the scan, in rising order. All give the same items;
// tests run each one up to the best. Every build has Scalar; x86-64 builds
// have Sse2, and AVX2 and AVX-512 where the compiler can build them (Simd.h).
// Avx2FastPdep is AVX2 on a processor whose PDEP is fast.
enum class ScanInstructions { Scalar, Sse2, Avx2, Avx2FastPdep, Avx512 };
ScanInstructions BestScanInstructions();                   // what this build and the processor have
ScanInstructions CurrentScanInstructions();                // what Locate uses
void UseScanInstructions(ScanInstructions which);          // for tests: at most the best
const char* ScanInstructionsName(ScanInstructions which);  // "Scalar", "Sse2" …

class ItemBoundaries {
 public:
  // Finds the items 1..wanted of `line` (fewer when the line holds fewer);
  // nothing after the 64-byte block in which item `wanted` ends is looked
  // at, and memory grows with the items found, not with `wanted`. With `quoting`
  // off every comma at a single-byte position separates, inside double
  // quotes too (the fields of an output line). `findQuotedItems` gathers
  // QuotedItems and FirstQuote (quoting on only).
  void Locate(std::string_view line, int wanted, bool quoting = true, bool findQuotedItems = true);

  // The same for a caller that needs only some item ends: `itemEnds` lists
  // item numbers (ascending, at least 1); the last of them plays the part of
  // `wanted`. Afterwards Count() is valid, ListedEnd(k) is the end of item
  // itemEnds[k] when that item is at most Count(), End(i) is valid for the
  // listed items up to Count() and for Count() itself, and Begin(i) for
  // i = 1 and when i - 1 is listed (both look the item up in the list,
  // which must outlive these calls).
  // Quoting on; no
  // quote information. Spares storing every item end of a long record, and
  // memory is bounded by the list.
  void LocateEnds(std::string_view line, const std::vector<int>& itemEnds);
  std::uint32_t ListedEnd(std::size_t k) const { return static_cast<std::uint32_t>(listedEnds_[k]); }

  // Items found: min(wanted, items of the line). A line always has at least
  // one item (the empty line holds one empty item).
  int Count() const { return count_; }

  // Item i (1 <= i <= Count()) is the bytes [Begin(i), End(i)) of the line,
  // as 0-based offsets; End(i) is the offset of the comma after it, or the
  // length of the line for the last item.
  std::uint32_t Begin(int i) const {
    if (listedOnly_) return i == 1 ? 0 : EndOfListed(i - 1) + 1;
    return static_cast<std::uint32_t>(ends_[i - 1] + 1);
  }
  std::uint32_t End(int i) const {
    return listedOnly_ ? EndOfListed(i) : static_cast<std::uint32_t>(ends_[i]);
  }

  // Items (ascending) that hold a double quote, when asked for.
  const std::vector<int>& QuotedItems() const { return quotedItems_; }
  // Offset of the first double quote of item i, or -1 when it holds none.
  std::int32_t FirstQuote(int i) const { return firstQuote_[i]; }
  // The item whose quote never closes (it runs to the end of the line), or 0.
  int UnterminatedItem() const { return unterminatedItem_; }

  // After Locate, for a loop over many items: EndsArray()[i] is End(i), and
  // EndsArray()[i - 1] + 1 is Begin(i) (EndsArray()[0] is -1);
  // FirstQuotesArray()[i] is FirstQuote(i).
  const std::int32_t* EndsArray() const { return ends_.data(); }
  const std::int32_t* FirstQuotesArray() const { return firstQuote_.data(); }

 private:
  friend struct ItemScan;  // the scan proper, one for each ScanInstructions
  void Prepare(std::size_t listed);
  void Grow(std::size_t needed);
  std::uint32_t EndOfListed(int item) const;

  int count_ = 0;
  int unterminatedItem_ = 0;
  // ends_[0] = -1; ends_[i] = end of item i. Grown before each block to hold
  // every item end the block may have, so that they are stored unchecked.
  std::vector<std::int32_t> ends_;
  std::vector<std::int32_t> firstQuote_;           // by item number, as ends_; -1 = no quote
  std::vector<std::int32_t> listedEnds_;           // LocateEnds: by place in the list
  const std::vector<int>* listedItems_ = nullptr;  // LocateEnds: the caller's list
  bool listedOnly_ = false;                        // the last scan was LocateEnds
  std::uint32_t lineLength_ = 0;
  std::vector<int> quotedItems_;
};

// Deletes every double quote and every comma at a single-byte position from
// text[0..size), in place; the byte classes are those of the whole text, as
// DeleteUnquoted("\"") then DeleteUnquoted(",") with quoting off give them.
// Returns the new size.
std::size_t DeleteQuotesAndCommas(char* text, std::size_t size);

}  // namespace sifta
