#include "scan/ByteCount.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "scan/Simd.h"

#if SIFTA_X86_SIMD
#include <immintrin.h>
#endif

namespace sifta {

std::size_t CountByte(std::string_view text, char byte) {
  const char* at = text.data();
  const char* const end = at + text.size();
  std::size_t count = 0;
#if SIFTA_X86_SIMD
  // 64 bytes a round: each compare gives -1 per byte found, so a round adds
  // at most 4 to a byte counter; 63 rounds stay below 256, then the counters
  // are summed into two words.
  const __m128i sought = _mm_set1_epi8(byte);
  const __m128i zero = _mm_setzero_si128();
  while (end - at >= 64) {
    const std::size_t rounds = std::min<std::size_t>(static_cast<std::size_t>(end - at) / 64, 63);
    __m128i counts = zero;
    for (std::size_t i = 0; i < rounds; ++i, at += 64) {
      const auto* v = reinterpret_cast<const __m128i*>(at);
      const __m128i a = _mm_cmpeq_epi8(_mm_loadu_si128(v), sought);
      const __m128i b = _mm_cmpeq_epi8(_mm_loadu_si128(v + 1), sought);
      const __m128i c = _mm_cmpeq_epi8(_mm_loadu_si128(v + 2), sought);
      const __m128i d = _mm_cmpeq_epi8(_mm_loadu_si128(v + 3), sought);
      counts = _mm_sub_epi8(counts, _mm_add_epi8(_mm_add_epi8(a, b), _mm_add_epi8(c, d)));
    }
    const __m128i words = _mm_sad_epu8(counts, zero);
    count += static_cast<std::size_t>(_mm_cvtsi128_si64(words)) +
             static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(words, words)));
  }
#else
  // Eight bytes a word: a byte found becomes 1 in its byte of the word.
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t pattern = kOnes * static_cast<unsigned char>(byte);
  for (; end - at >= 8; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    const std::uint64_t x = word ^ pattern;
    const std::uint64_t found = ~(((x & kLow7) + kLow7) | x | kLow7);  // high bit where x is 0
    count += static_cast<std::size_t>(bits::BitCount(found));
  }
#endif
  for (; at < end; ++at) count += *at == byte ? 1 : 0;
  return count;
}

}  // namespace sifta
