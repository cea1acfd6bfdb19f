#include "scan/ItemBoundaries.h"

#include "scan/Simd.h"

#if SIFTA_X86_SIMD
#include <immintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/Processor.h"
#include "scan/Scanning.h"

#if defined(__GNUC__) || defined(__clang__)
#define SIFTA_ALWAYS_INLINE [[gnu::always_inline]] inline
#define SIFTA_UNROLL_16 _Pragma("GCC unroll 16")
#else
#define SIFTA_ALWAYS_INLINE __forceinline
#define SIFTA_UNROLL_16
#endif

namespace sifta {

namespace {

constexpr std::int32_t kBlock = 64;

// Bit i of a mask stands for byte i of a 64-byte block.
struct BlockMasks {
  std::uint64_t commas = 0;
  std::uint64_t quotes = 0;
  std::uint64_t leads = 0;  // code page 932 lead-byte values
};

// ---- What every instruction set shares ----

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
  const bool endsOdd = bits::AddWithCarry(leads, oddStarts, oddCarries);
  oddCarries |= oddRunBefore;
  oddRunBefore = endsOdd ? 1 : 0;
  const std::uint64_t evenStartOddEnd = evenCarries & ~leads & ~kEven;
  const std::uint64_t oddStartEvenEnd = oddCarries & ~leads & kEven;
  return evenStartOddEnd | oddStartEvenEnd;
}

using bits::LowestBit;
// The same, and 63 for an empty mask.
inline int LowestBitOrTop(std::uint64_t mask) { return LowestBit(mask | (std::uint64_t{1} << 63)); }

// kNthBitOfByte.position[b][r]: the position of the (r+1)-th set bit of b.
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

// Bit i set when byte i lies inside a quoted stretch (an opening quote
// counts as inside, a closing one as outside).
inline std::uint64_t PrefixXorByShifts(std::uint64_t x) {
  x ^= x << 1;
  x ^= x << 2;
  x ^= x << 4;
  x ^= x << 8;
  x ^= x << 16;
  x ^= x << 32;
  return x;
}

// Position of the k-th (1-based) set bit of `mask`, which has at least k,
// without a branch: the byte that holds it by the running byte counts,
// then the bit in that byte from a table.
inline int NthBitByCounts(std::uint64_t mask, int k) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::uint64_t counts = mask - ((mask >> 1) & 0x5555555555555555ull);
  counts = (counts & 0x3333333333333333ull) + ((counts >> 2) & 0x3333333333333333ull);
  counts = (counts + (counts >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  const std::uint64_t running = counts * kOnes;  // byte i: set bits in bytes 0..i
  // Byte i of `reached` has its high bit when running[i] >= k (no borrows:
  // every byte is at most 64).
  const std::uint64_t reached = ((running | kHigh) - kOnes * static_cast<std::uint64_t>(k)) & kHigh;
  const int byte = LowestBit(reached) >> 3;
  const int before = static_cast<int>(((running << 8) >> (8 * byte)) & 0xFF);
  const auto byteBits = static_cast<std::uint8_t>(mask >> (8 * byte));
  return 8 * byte + kNthBitOfByte.position[byteBits][k - before - 1];
}

// ---- Portable: any processor, eight bytes in a word at a time ----

struct Scalar {
  static constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  static constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  static constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;

  // Byte i of the word is byte i of the text, on any byte order.
  static std::uint64_t Load8(const char* bytes) {
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&word, bytes, 8);
    } else {
      for (int i = 0; i < 8; ++i) word |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    }
    return word;
  }

  // High bit of each byte of `low7` (bytes 0..127) that is at least k (1..128):
  // no sum passes 255, so no carry crosses into the next byte.
  static std::uint64_t AtLeast(std::uint64_t low7, unsigned k) { return (low7 + kOnes * (0x80 - k)) & kHigh; }
  // High bit of each byte that equals c (below 0x80), exactly.
  static std::uint64_t Equal(std::uint64_t word, unsigned char c) {
    const std::uint64_t x = word ^ (kOnes * c);
    return ~(((x & kLow7) + kLow7) | x) & kHigh;
  }
  // The high bits of the eight bytes as the bits 0..7.
  static std::uint64_t Gather(std::uint64_t highBits) {
    return ((highBits >> 7) * 0x0102040810204080ull) >> 56;
  }

  static BlockMasks Classify64(const char* block) {
    BlockMasks m;
    for (int part = 0; part < 8; ++part) {
      const std::uint64_t word = Load8(block + 8 * part);
      m.commas |= Gather(Equal(word, ',')) << (8 * part);
      m.quotes |= Gather(Equal(word, '"')) << (8 * part);
      const std::uint64_t high = word & kHigh;
      if (high == 0) continue;
      // Lead values: 0x80 plus 0x01-0x1F or 0x60-0x7C.
      const std::uint64_t low7 = word & kLow7;
      const std::uint64_t leads = high & ((AtLeast(low7, 0x01) & ~AtLeast(low7, 0x20)) |
                                          (AtLeast(low7, 0x60) & ~AtLeast(low7, 0x7D)));
      m.leads |= Gather(leads) << (8 * part);
    }
    return m;
  }

  // A short last block is classified from a copy: nothing is read outside
  // the line, and the zero bytes after it are of no class.
  static BlockMasks Classify(const char* data, std::int32_t length, std::int32_t base) {
    if (length - base >= kBlock) return Classify64(data + base);
    char tail[kBlock] = {};
    std::memcpy(tail, data + base, static_cast<size_t>(length - base));
    return Classify64(tail);
  }

  static int BitCount(std::uint64_t x) { return bits::BitCount(x); }
  static std::uint64_t PrefixXor(std::uint64_t x) { return PrefixXorByShifts(x); }
  static int NthBit(std::uint64_t mask, int k) { return NthBitByCounts(mask, k); }
};

#if SIFTA_X86_SIMD

// ---- SSE2: every x86-64 processor ----

// The last, short block of a line of at least 64 bytes is classified as the
// 64 bytes that end the line; the bytes already seen are shifted out. A line
// shorter than a block is classified from a copy.
inline BlockMasks WithoutSeen(BlockMasks m, int seen) {
  m.commas >>= seen;
  m.quotes >>= seen;
  m.leads >>= seen;
  return m;
}

struct Sse2 {
  static std::uint64_t Bits(__m128i marks, int part) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(marks))) << (16 * part);
  }

  // Four compares per 16 bytes; the lead-byte values (0x81-0x9F, 0xE0-0xFC)
  // only in a block that has a byte of 0x80 or above.
  static BlockMasks Classify64(const char* block) {
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
        const __m128i low =
            _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(0)), _mm_cmpgt_epi8(_mm_set1_epi8(32), x));
        const __m128i upper =
            _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(95)), _mm_cmpgt_epi8(_mm_set1_epi8(125), x));
        m.leads |= Bits(_mm_or_si128(low, upper), part);
      }
    }
    return m;
  }

  // The block at `base`; nothing is read outside the line (WithoutSeen).
  static BlockMasks Classify(const char* data, std::int32_t length, std::int32_t base) {
    if (length - base >= kBlock) return Classify64(data + base);
    if (length >= kBlock) return WithoutSeen(Classify64(data + length - kBlock), base + kBlock - length);
    alignas(64) char tail[kBlock] = {};
    std::memcpy(tail, data, static_cast<size_t>(length));
    return Classify64(tail);
  }

  static int BitCount(std::uint64_t x) { return bits::BitCount(x); }
  static std::uint64_t PrefixXor(std::uint64_t x) { return PrefixXorByShifts(x); }
  static int NthBit(std::uint64_t mask, int k) { return NthBitByCounts(mask, k); }
};

#endif  // SIFTA_X86_SIMD

#if SIFTA_X86_AVX

// ---- AVX2 ----

#define SIFTA_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt,lzcnt,pclmul")))

struct Avx2 {
  SIFTA_AVX2 static std::uint64_t Bits(__m256i marks, int part) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(marks))) << (32 * part);
  }

  SIFTA_AVX2 static BlockMasks Classify64(const char* block) {
    __m256i bytes[2];
    BlockMasks m;
    std::uint64_t high = 0;
    for (int part = 0; part < 2; ++part) {
      bytes[part] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * part));
      m.commas |= Bits(_mm256_cmpeq_epi8(bytes[part], _mm256_set1_epi8(',')), part);
      m.quotes |= Bits(_mm256_cmpeq_epi8(bytes[part], _mm256_set1_epi8('"')), part);
      high |= Bits(bytes[part], part);
    }
    if (high != 0) {
      for (int part = 0; part < 2; ++part) {
        const __m256i x = _mm256_xor_si256(bytes[part], _mm256_set1_epi8(static_cast<char>(0x80)));
        const __m256i low = _mm256_and_si256(_mm256_cmpgt_epi8(x, _mm256_set1_epi8(0)),
                                             _mm256_cmpgt_epi8(_mm256_set1_epi8(32), x));
        const __m256i upper = _mm256_and_si256(_mm256_cmpgt_epi8(x, _mm256_set1_epi8(95)),
                                               _mm256_cmpgt_epi8(_mm256_set1_epi8(125), x));
        m.leads |= Bits(_mm256_or_si256(low, upper), part);
      }
    }
    return m;
  }
  SIFTA_AVX2 static BlockMasks Classify(const char* data, std::int32_t length, std::int32_t base) {
    if (length - base >= kBlock) return Classify64(data + base);
    if (length >= kBlock) return WithoutSeen(Classify64(data + length - kBlock), base + kBlock - length);
    alignas(64) char tail[kBlock] = {};
    std::memcpy(tail, data, static_cast<size_t>(length));
    return Classify64(tail);
  }

  SIFTA_AVX2 static int BitCount(std::uint64_t x) { return bits::BitCountInstruction(x); }

  // A carry-less multiplication by all ones is the prefix XOR.
  SIFTA_AVX2 static std::uint64_t PrefixXor(std::uint64_t x) {
    const __m128i product = _mm_clmulepi64_si128(_mm_set_epi64x(0, static_cast<long long>(x)),
                                                 _mm_set1_epi8(static_cast<char>(0xFF)), 0);
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(product));
  }

  // No PDEP: on some processors with AVX2 it takes hundreds of cycles.
  static int NthBit(std::uint64_t mask, int k) { return NthBitByCounts(mask, k); }
};

// The k-th set bit as the one bit that PDEP deposits there.
SIFTA_AVX2 inline int NthBitByPdep(std::uint64_t mask, int k) {
  return static_cast<int>(_tzcnt_u64(_pdep_u64(std::uint64_t{1} << (k - 1), mask)));
}

struct Avx2FastPdep : Avx2 {
  SIFTA_AVX2 static int NthBit(std::uint64_t mask, int k) { return NthBitByPdep(mask, k); }
};

// ---- AVX-512 ----

#define SIFTA_AVX512 __attribute__((target("avx512f,avx512bw,avx2,bmi,bmi2,popcnt,lzcnt,pclmul")))

struct Avx512 {
  // One register holds the block; a short block is a masked load, which
  // reads nothing past the line.
  SIFTA_AVX512 static BlockMasks Classify(const char* data, std::int32_t length, std::int32_t base) {
    const std::int32_t left = length - base;
    const __m512i bytes =
        left >= kBlock
            ? _mm512_loadu_si512(data + base)
            : _mm512_maskz_loadu_epi8(_bzhi_u64(~std::uint64_t{0}, static_cast<unsigned>(left)), data + base);
    BlockMasks m;
    m.commas = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(','));
    m.quotes = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8('"'));
    m.leads = _mm512_cmple_epu8_mask(_mm512_sub_epi8(bytes, _mm512_set1_epi8(static_cast<char>(0x81))),
                                     _mm512_set1_epi8(0x9F - 0x81)) |
              _mm512_cmple_epu8_mask(_mm512_sub_epi8(bytes, _mm512_set1_epi8(static_cast<char>(0xE0))),
                                     _mm512_set1_epi8(0xFC - 0xE0));
    return m;
  }

  SIFTA_AVX512 static int BitCount(std::uint64_t x) { return bits::BitCountInstruction(x); }
  SIFTA_AVX512 static std::uint64_t PrefixXor(std::uint64_t x) { return Avx2::PrefixXor(x); }
  // Every processor with AVX-512 has a fast PDEP.
  SIFTA_AVX512 static int NthBit(std::uint64_t mask, int k) { return NthBitByPdep(mask, k); }
};

#endif  // SIFTA_X86_AVX

ScanInstructions DetectScanInstructions() {
#if SIFTA_X86_AVX
  const platform::ProcessorFeatures features = platform::DetectProcessorFeatures();
  if (features.avx2 && features.avx512bw) return ScanInstructions::Avx512;
  if (features.avx2) return features.fastPdep ? ScanInstructions::Avx2FastPdep : ScanInstructions::Avx2;
#endif
#if SIFTA_X86_SIMD
  return ScanInstructions::Sse2;
#else
  return ScanInstructions::Scalar;
#endif
}

ScanInstructions& Current() {
  static ScanInstructions current = BestScanInstructions();
  return current;
}

}  // namespace

ScanInstructions BestScanInstructions() {
  static const ScanInstructions best = DetectScanInstructions();
  return best;
}

ScanInstructions CurrentScanInstructions() { return Current(); }

void UseScanInstructions(ScanInstructions which) { Current() = std::min(which, BestScanInstructions()); }

const char* ScanInstructionsName(ScanInstructions which) {
  switch (which) {
    case ScanInstructions::Scalar:
      return "Scalar";
    case ScanInstructions::Sse2:
      return "Sse2";
    case ScanInstructions::Avx2:
      return "Avx2";
    case ScanInstructions::Avx2FastPdep:
      return "Avx2FastPdep";
    case ScanInstructions::Avx512:
      return "Avx512";
  }
  return "Unknown";
}

inline void ItemBoundaries::Prepare(size_t listed) {
  if (ends_.size() < kBlock + 18) Grow(kBlock + 18);
  if (listedEnds_.size() < listed) listedEnds_.resize(listed);
  for (int item : quotedItems_) firstQuote_[static_cast<size_t>(item)] = -1;
  quotedItems_.clear();
  unterminatedItem_ = 0;
}

void ItemBoundaries::Grow(size_t needed) {
  const size_t size = std::max(needed, ends_.size() * 2);
  ends_.resize(size);
  firstQuote_.resize(size, -1);
}

// The scan, written once and compiled for each instruction set.
struct ItemScan {
  template <bool kEveryEnd, typename Simd>
  SIFTA_ALWAYS_INLINE static void Run(ItemBoundaries& self, std::string_view line, int wanted, bool quoting,
                                      bool findQuotedItems, const int* itemEnds, size_t itemEndCount) {
    const auto length = static_cast<std::int32_t>(line.size());
    // A line of L bytes holds at most L + 1 items.
    wanted = std::clamp(wanted, 1, length + 1);
    self.Prepare(kEveryEnd ? 0 : itemEndCount);
    const char* const data = line.data();
    std::int32_t* ends = self.ends_.data();
    std::int32_t* firstQuote = self.firstQuote_.data();
    std::int32_t* const listed = self.listedEnds_.data();
    ends[0] = -1;

    int n = 0;                       // items ended by a comma so far
    bool inQuote = false;            // inside a double-quoted stretch
    std::uint64_t oddRunBefore = 0;  // the block begins with the trail of a lead byte
    size_t nextEnd = 0;              // kEveryEnd false: the next of itemEnds to store

    for (std::int32_t base = 0; base < length; base += kBlock) {
      if constexpr (kEveryEnd) {
        // Room for every item that can end in this block and for the spare
        // stores: the arrays grow with the items found, not with `wanted`.
        if (static_cast<size_t>(n) + kBlock + 18 > self.ends_.size()) {
          self.Grow(static_cast<size_t>(n) + kBlock + 18);
          ends = self.ends_.data();
          firstQuote = self.firstQuote_.data();
        }
      }
      BlockMasks m = Simd::Classify(data, length, base);

      // A comma or quote that is the trail byte of a lead byte is neither.
      if ((m.leads | oddRunBefore) != 0) {
        const std::uint64_t trails = TrailsAfterOddRuns(m.leads, oddRunBefore);
        m.commas &= ~trails;
        m.quotes &= ~trails;
      }

      // Quotes are in most blocks and in no foreseeable pattern: the
      // stretches are worked out for every block, without a branch that
      // would guess. A byte is inside when an odd number of quotes lies
      // before it or on it.
      std::uint64_t separators = m.commas;
      if (quoting) {
        const std::uint64_t inside = Simd::PrefixXor(m.quotes) ^ (inQuote ? ~std::uint64_t{0} : 0);
        separators &= ~inside;
        if (kEveryEnd && findQuotedItems) {
          // The first opening quote of each item.
          for (std::uint64_t openers = m.quotes & inside; openers != 0; openers &= openers - 1) {
            const int bit = LowestBit(openers);
            const int item = n + 1 + Simd::BitCount(separators & ((std::uint64_t{1} << bit) - 1));
            if (item > wanted) break;
            if (firstQuote[item] < 0) {
              firstQuote[item] = base + bit;
              self.quotedItems_.push_back(item);
            }
          }
        }
        inQuote = (inside >> 63) != 0;
      }

      if (separators != 0) {
        const int found = Simd::BitCount(separators);
        if constexpr (kEveryEnd) {
          // Every separator of the block ends an item; ends_ has room for
          // them all and for the unused stores. A block of numbers holds some
          // ten separators: sixteen stores without a branch, more only rarely.
          std::int32_t* out = ends + n + 1;
          SIFTA_UNROLL_16
          for (int i = 0; i < 16; ++i) {
            out[i] = base + LowestBitOrTop(separators);
            separators &= separators - 1;
          }
          for (out += 16; separators != 0; separators &= separators - 1)
            *out++ = base + LowestBit(separators);
        } else {
          // Only the item ends asked for that lie in this block.
          for (; nextEnd < itemEndCount && itemEnds[nextEnd] <= n + found; ++nextEnd) {
            const int item = itemEnds[nextEnd];
            if (item > n) listed[nextEnd] = base + Simd::NthBit(separators, item - n);
          }
        }
        n += found;
      }
      if (n >= wanted) {
        self.count_ = wanted;
        return;
      }
    }

    self.count_ = n + 1;
    if constexpr (kEveryEnd) {
      ends[self.count_] = length;
    } else {  // the last item of the line ends at its end
      for (; nextEnd < itemEndCount && itemEnds[nextEnd] <= self.count_; ++nextEnd) listed[nextEnd] = length;
    }
    if (inQuote) self.unterminatedItem_ = self.count_;
  }

  using Function = void (*)(ItemBoundaries&, std::string_view, int, bool, bool, const int*, size_t);

  template <bool kEveryEnd>
  static void WithScalar(ItemBoundaries& self, std::string_view line, int wanted, bool quoting,
                         bool findQuotedItems, const int* itemEnds, size_t itemEndCount) {
    Run<kEveryEnd, Scalar>(self, line, wanted, quoting, findQuotedItems, itemEnds, itemEndCount);
  }
#if SIFTA_X86_SIMD
  template <bool kEveryEnd>
  static void WithSse2(ItemBoundaries& self, std::string_view line, int wanted, bool quoting,
                       bool findQuotedItems, const int* itemEnds, size_t itemEndCount) {
    Run<kEveryEnd, Sse2>(self, line, wanted, quoting, findQuotedItems, itemEnds, itemEndCount);
  }
#endif
#if SIFTA_X86_AVX
  template <bool kEveryEnd>
  SIFTA_AVX2 static void WithAvx2(ItemBoundaries& self, std::string_view line, int wanted, bool quoting,
                                  bool findQuotedItems, const int* itemEnds, size_t itemEndCount) {
    Run<kEveryEnd, Avx2>(self, line, wanted, quoting, findQuotedItems, itemEnds, itemEndCount);
  }
  template <bool kEveryEnd>
  SIFTA_AVX2 static void WithAvx2FastPdep(ItemBoundaries& self, std::string_view line, int wanted,
                                          bool quoting, bool findQuotedItems, const int* itemEnds,
                                          size_t itemEndCount) {
    Run<kEveryEnd, Avx2FastPdep>(self, line, wanted, quoting, findQuotedItems, itemEnds, itemEndCount);
  }
  template <bool kEveryEnd>
  SIFTA_AVX512 static void WithAvx512(ItemBoundaries& self, std::string_view line, int wanted, bool quoting,
                                      bool findQuotedItems, const int* itemEnds, size_t itemEndCount) {
    Run<kEveryEnd, Avx512>(self, line, wanted, quoting, findQuotedItems, itemEnds, itemEndCount);
  }
#endif

  // `which` is at most what this build has (UseScanInstructions).
  template <bool kEveryEnd>
  static Function For(ScanInstructions which) {
    switch (which) {
#if SIFTA_X86_AVX
      case ScanInstructions::Avx512:
        return WithAvx512<kEveryEnd>;
      case ScanInstructions::Avx2FastPdep:
        return WithAvx2FastPdep<kEveryEnd>;
      case ScanInstructions::Avx2:
        return WithAvx2<kEveryEnd>;
#endif
#if SIFTA_X86_SIMD
      case ScanInstructions::Sse2:
        return WithSse2<kEveryEnd>;
#endif
      default:
        break;
    }
    return WithScalar<kEveryEnd>;
  }
};

void ItemBoundaries::Locate(std::string_view line, int wanted, bool quoting, bool findQuotedItems) {
  listedOnly_ = false;
  ItemScan::For<true>(Current())(*this, line, wanted, quoting, findQuotedItems && quoting, nullptr, 0);
}

void ItemBoundaries::LocateEnds(std::string_view line, const std::vector<int>& itemEnds) {
  listedOnly_ = true;
  listedItems_ = &itemEnds;
  lineLength_ = static_cast<std::uint32_t>(line.size());
  ItemScan::For<false>(Current())(*this, line, itemEnds.empty() ? 1 : itemEnds.back(), true, false,
                                  itemEnds.data(), itemEnds.size());
}

std::uint32_t ItemBoundaries::EndOfListed(int item) const {
  const std::vector<int>& listed = *listedItems_;
  const auto it = std::lower_bound(listed.begin(), listed.end(), item);
  if (it == listed.end() || *it != item) return lineLength_;  // the last item, not listed
  return static_cast<std::uint32_t>(listedEnds_[static_cast<size_t>(it - listed.begin())]);
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
