#include "scan/ItemBoundaries.h"

#include <emmintrin.h>

#include <cstring>

#include "scan/Scanning.h"

namespace sifta {

namespace {

constexpr int kBlock = 16;

// Bit i set when byte i of the block is a comma / a rare byte: a double quote
// (with quoting on) or a byte of 0x80 and above.
struct BlockMasks {
  unsigned commas;
  unsigned rare;
};

inline BlockMasks Classify(__m128i bytes, bool quoting) {
  const __m128i commas = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(','));
  __m128i rare = bytes;  // the high bit of a byte is its own mask bit
  if (quoting) rare = _mm_or_si128(rare, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')));
  return {static_cast<unsigned>(_mm_movemask_epi8(commas)),
          static_cast<unsigned>(_mm_movemask_epi8(rare))};
}

inline int LowestBit(unsigned mask) { return __builtin_ctz(mask); }

}  // namespace

void ItemBoundaries::Prepare(int wanted) {
  const size_t needed = static_cast<size_t>(wanted) + 2 + kBlock;
  if (ends_.size() < needed) {
    ends_.resize(needed);
    firstQuote_.resize(needed, -1);
  }
  for (int item : quotedItems_) firstQuote_[item] = -1;
  quotedItems_.clear();
  unterminatedItem_ = 0;
}

void ItemBoundaries::Locate(std::string_view line, int wanted, bool quoting) {
  if (wanted < 1) wanted = 1;
  // A line of n bytes holds at most n + 1 items: never size for more.
  if (static_cast<size_t>(wanted) > line.size() + 1) wanted = static_cast<int>(line.size()) + 1;
  Prepare(wanted);
  const char* const data = line.data();
  const auto length = static_cast<std::int32_t>(line.size());
  std::int32_t* const ends = ends_.data();
  ends[0] = -1;

  int n = 0;                   // items ended by a comma so far
  bool inQuote = false;        // inside a double-quoted stretch
  std::int32_t nextFree = 0;   // a byte before this offset is a trail byte already passed

  for (std::int32_t base = 0; base < length; base += kBlock) {
    __m128i bytes;
    if (length - base >= kBlock) {
      bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + base));
    } else {  // the last, short block: never read past the line
      alignas(16) char tail[kBlock] = {};
      std::memcpy(tail, data + base, static_cast<size_t>(length - base));
      bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
    }
    BlockMasks m = Classify(bytes, quoting);
    if (nextFree > base) {  // the block begins with the trail of a lead byte
      m.commas &= ~1u;
      m.rare &= ~1u;
    }

    if (m.rare == 0) {
      if (inQuote || m.commas == 0) continue;
      const int found = __builtin_popcount(m.commas);
      if (n + found < wanted) {
        // Every comma of the block ends an item: store them all, four at a
        // time (the bits above the block stand in for "no more", so the
        // stores past the last comma fall into the spare room of ends_).
        std::int32_t* out = ends + n + 1;
        unsigned commas = m.commas | ~0xFFFFu;
        do {
          out[0] = base + LowestBit(commas);
          commas &= commas - 1;
          out[1] = base + LowestBit(commas);
          commas &= commas - 1;
          out[2] = base + LowestBit(commas);
          commas &= commas - 1;
          out[3] = base + LowestBit(commas);
          commas &= commas - 1;
          out += 4;
        } while ((commas & 0xFFFFu) != 0);
        n += found;
        continue;
      }
      for (unsigned commas = m.commas;; commas &= commas - 1) {
        ends[++n] = base + LowestBit(commas);
        if (n == wanted) {
          count_ = wanted;
          return;
        }
      }
    }

    // A block with a rare byte: each marked byte through the rules.
    for (unsigned marks = m.commas | m.rare; marks != 0; marks &= marks - 1) {
      const std::int32_t pos = base + LowestBit(marks);
      if (pos < nextFree) continue;  // the trail byte of a lead byte
      const auto byte = static_cast<unsigned char>(data[pos]);
      if (byte == ',') {
        if (inQuote) continue;
        ends[++n] = pos;
        if (n == wanted) {
          count_ = wanted;
          return;
        }
      } else if (byte == '"') {
        if (!inQuote && firstQuote_[n + 1] < 0) {
          firstQuote_[n + 1] = pos;
          quotedItems_.push_back(n + 1);
        }
        inQuote = !inQuote;
      } else if (IsLeadByte(byte)) {
        nextFree = pos + 2;
      }
    }
  }

  count_ = n + 1;
  ends[count_] = length;
  if (inQuote) unterminatedItem_ = count_;
}

std::size_t DeleteQuotesAndCommas(char* text, std::size_t size) {
  std::size_t kept = 0;
  bool trail = false;
  for (std::size_t i = 0; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (trail) {
      trail = false;
    } else if (byte == '"' || byte == ',') {
      continue;
    } else {
      trail = IsLeadByte(byte);
    }
    text[kept++] = static_cast<char>(byte);
  }
  return kept;
}

}  // namespace sifta
