#include "scan/ItemBoundaries.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "scan/Scanning.h"

namespace sifta {

namespace {

constexpr std::int32_t kBlock = 64;

// Bit i of a mask stands for byte i of a 64-byte block.
struct BlockMasks {
  std::uint64_t commas = 0;
  std::uint64_t quotes = 0;
  std::uint64_t leads = 0;  // code page 932 lead-byte values
};

inline std::uint64_t Bits(__m128i marks, int part) {
  return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(marks))) << (16 * part);
}

// Four SSE2 compares per 16 bytes. The lead-byte values (0x81-0x9F, 0xE0-0xFC)
// are only looked for in a block that has a byte of 0x80 or above.
inline BlockMasks Classify(const char* block) {
  __m128i bytes[4];
  BlockMasks m;
  std::uint64_t high = 0;
  for (int part = 0; part < 4; ++part) {
    bytes[part] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
    m.commas |= Bits(_mm_cmpeq_epi8(bytes[part], _mm_set1_epi8(',')), part);
    m.quotes |= Bits(_mm_cmpeq_epi8(bytes[part], _mm_set1_epi8('"')), part);
    high |= Bits(bytes[part], part);
  }
  if (high != 0) {
    // Shifted by 0x80, the lead values are the signed ranges 1..31 and 96..124.
    for (int part = 0; part < 4; ++part) {
      const __m128i x = _mm_xor_si128(bytes[part], _mm_set1_epi8(static_cast<char>(0x80)));
      const __m128i low = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(0)),
                                        _mm_cmpgt_epi8(_mm_set1_epi8(32), x));
      const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(95)),
                                          _mm_cmpgt_epi8(_mm_set1_epi8(125), x));
      m.leads |= Bits(_mm_or_si128(low, upper), part);
    }
  }
  return m;
}

// The bytes that are trail bytes although their value is no lead value: the
// byte after each run of consecutive lead-byte values of odd length (within a
// run, lead and trail alternate). `oddRunBefore` carries a run that ended
// odd at the end of the previous block. The carries of an addition find the
// ends of the runs, as fast JSON parsers find escaped characters.
inline std::uint64_t TrailsAfterOddRuns(std::uint64_t leads, std::uint64_t& oddRunBefore) {
  constexpr std::uint64_t kEven = 0x5555555555555555ull;
  if (leads == 0) {
    const std::uint64_t trail = oddRunBefore;
    oddRunBefore = 0;
    return trail;
  }
  const std::uint64_t starts = leads & ~(leads << 1);
  const std::uint64_t evenStartMask = kEven ^ oddRunBefore;
  const std::uint64_t evenStarts = starts & evenStartMask;
  const std::uint64_t oddStarts = starts & ~evenStartMask;
  const std::uint64_t evenCarries = leads + evenStarts;
  std::uint64_t oddCarries;
  const bool endsOdd = __builtin_add_overflow(leads, oddStarts, &oddCarries);
  oddCarries |= oddRunBefore;
  oddRunBefore = endsOdd ? 1 : 0;
  const std::uint64_t evenStartOddEnd = evenCarries & ~leads & ~kEven;
  const std::uint64_t oddStartEvenEnd = oddCarries & ~leads & kEven;
  return evenStartOddEnd | oddStartEvenEnd;
}

// Bit i set when byte i lies inside a quoted stretch (an opening quote
// counts as inside, a closing one as outside).
inline std::uint64_t InsideQuotes(std::uint64_t quotes, bool inQuoteBefore) {
  std::uint64_t inside = quotes;
  inside ^= inside << 1;
  inside ^= inside << 2;
  inside ^= inside << 4;
  inside ^= inside << 8;
  inside ^= inside << 16;
  inside ^= inside << 32;
  return inQuoteBefore ? ~inside : inside;
}

inline int BitCount(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<int>((x * 0x0101010101010101ull) >> 56);
}

inline int LowestBit(std::uint64_t mask) { return __builtin_ctzll(mask); }
// kNthBitOfByte[b][r]: the position of the (r+1)-th set bit of the byte b.
struct NthBitTable {
  std::uint8_t position[256][8];
  constexpr NthBitTable() : position() {
    for (int byte = 0; byte < 256; ++byte) {
      int r = 0;
      for (int bit = 0; bit < 8; ++bit)
        if (byte & (1 << bit)) position[byte][r++] = static_cast<std::uint8_t>(bit);
    }
  }
};
constexpr NthBitTable kNthBitOfByte;

// Position of the k-th (1-based) set bit of `mask`, which has at least k,
// without a branch: the byte that holds it by the running byte counts, then
// the bit in that byte from a table.
inline int NthBit(std::uint64_t mask, int k) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::uint64_t counts = mask - ((mask >> 1) & 0x5555555555555555ull);
  counts = (counts & 0x3333333333333333ull) + ((counts >> 2) & 0x3333333333333333ull);
  counts = (counts + (counts >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  const std::uint64_t running = counts * kOnes;  // byte i: set bits in bytes 0..i
  // Byte i of `reached` has its high bit when running[i] >= k (no borrows:
  // every byte is at most 64).
  const std::uint64_t reached = ((running | kHigh) - kOnes * static_cast<std::uint64_t>(k)) & kHigh;
  const int byte = __builtin_ctzll(reached) >> 3;
  const int before = static_cast<int>(((running << 8) >> (8 * byte)) & 0xFF);
  const auto bits = static_cast<std::uint8_t>(mask >> (8 * byte));
  return 8 * byte + kNthBitOfByte.position[bits][k - before - 1];
}

// The same, and 63 for an empty mask.
inline int LowestBitOrTop(std::uint64_t mask) { return __builtin_ctzll(mask | (std::uint64_t{1} << 63)); }

}  // namespace

void ItemBoundaries::Prepare(int wanted) {
  // Every item of a block may end in it: room for a whole block past `wanted`
  // and the spare stores.
  const size_t needed = static_cast<size_t>(wanted) + 2 + kBlock + 16;
  if (ends_.size() < needed) {
    ends_.resize(needed);
    firstQuote_.resize(needed, -1);
  }
  for (int item : quotedItems_) firstQuote_[static_cast<size_t>(item)] = -1;
  quotedItems_.clear();
  unterminatedItem_ = 0;
}

void ItemBoundaries::Locate(std::string_view line, int wanted, bool quoting, bool findQuotedItems) {
  Scan<true>(line, wanted, quoting, findQuotedItems && quoting, nullptr, 0);
}

void ItemBoundaries::LocateEnds(std::string_view line, const std::vector<int>& itemEnds) {
  Scan<false>(line, itemEnds.empty() ? 1 : itemEnds.back(), true, false, itemEnds.data(),
              itemEnds.size());
}

template <bool kEveryEnd>
__attribute__((target_clones("arch=x86-64-v3", "default")))
void ItemBoundaries::Scan(std::string_view line, int wanted, bool quoting, bool findQuotedItems,
                          const int* itemEnds, size_t itemEndCount) {
  const auto length = static_cast<std::int32_t>(line.size());
  // A line of L bytes holds at most L + 1 items.
  wanted = std::clamp(wanted, 1, length + 1);
  Prepare(wanted);
  const char* const data = line.data();
  std::int32_t* const ends = ends_.data();
  ends[0] = -1;

  int n = 0;                       // items ended by a comma so far
  bool inQuote = false;            // inside a double-quoted stretch
  std::uint64_t oddRunBefore = 0;  // the block begins with the trail of a lead byte
  size_t nextEnd = 0;              // kEveryEnd false: the next of itemEnds to store

  for (std::int32_t base = 0; base < length; base += kBlock) {
    BlockMasks m;
    if (length - base >= kBlock) {
      m = Classify(data + base);
    } else if (length >= kBlock) {
      // The last, short block: the 64 bytes that end the line, without the
      // bytes already seen. Nothing is read outside the line.
      m = Classify(data + length - kBlock);
      const int seen = base + kBlock - length;
      m.commas >>= seen;
      m.quotes >>= seen;
      m.leads >>= seen;
    } else {  // a line shorter than a block
      alignas(16) char tail[kBlock] = {};
      std::memcpy(tail, data, static_cast<size_t>(length));
      m = Classify(tail);
    }

    // A comma or quote that is the trail byte of a lead byte is neither.
    if ((m.leads | oddRunBefore) != 0) {
      const std::uint64_t trails = TrailsAfterOddRuns(m.leads, oddRunBefore);
      m.commas &= ~trails;
      m.quotes &= ~trails;
    }

    // Quotes are in most blocks and in no foreseeable pattern: the stretches
    // are worked out for every block, without a branch that would guess.
    std::uint64_t separators = m.commas;
    if (quoting) {
      const std::uint64_t inside = InsideQuotes(m.quotes, inQuote);
      separators &= ~inside;
      if (findQuotedItems) {
        // The first opening quote of each item.
        for (std::uint64_t openers = m.quotes & inside; openers != 0; openers &= openers - 1) {
          const int bit = LowestBit(openers);
          const int item = n + 1 + BitCount(separators & ((std::uint64_t{1} << bit) - 1));
          if (item > wanted) break;
          if (firstQuote_[static_cast<size_t>(item)] < 0) {
            firstQuote_[static_cast<size_t>(item)] = base + bit;
            quotedItems_.push_back(item);
          }
        }
      }
      inQuote = (inside >> 63) != 0;
    }

    if (separators != 0) {
      const int found = BitCount(separators);
      if constexpr (kEveryEnd) {
        // Every separator of the block ends an item; ends_ has room for them
        // all and for the unused stores. A block of numbers holds some ten
        // separators: sixteen stores without a branch, more only rarely.
        std::int32_t* out = ends + n + 1;
#pragma GCC unroll 16
        for (int i = 0; i < 16; ++i) {
          out[i] = base + LowestBitOrTop(separators);
          separators &= separators - 1;
        }
        for (out += 16; separators != 0; separators &= separators - 1) *out++ = base + LowestBit(separators);
      } else {
        // Only the item ends asked for that lie in this block.
        for (; nextEnd < itemEndCount && itemEnds[nextEnd] <= n + found; ++nextEnd) {
          const int item = itemEnds[nextEnd];
          if (item > n) ends[item] = base + NthBit(separators, item - n);
        }
      }
      n += found;
    }
    if (n >= wanted) {
      count_ = wanted;
      return;
    }
  }

  count_ = n + 1;
  ends[count_] = length;
  if (inQuote) unterminatedItem_ = count_;
}

template void ItemBoundaries::Scan<true>(std::string_view, int, bool, bool, const int*, size_t);
template void ItemBoundaries::Scan<false>(std::string_view, int, bool, bool, const int*, size_t);

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
