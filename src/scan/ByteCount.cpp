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
  // Each compare gives -1 per byte found; up to 255 of them are summed in the
  // bytes of one register, then the bytes are added up into two words.
  const __m128i sought = _mm_set1_epi8(byte);
  while (end - at >= 16) {
    const std::size_t blocks = std::min<std::size_t>(static_cast<std::size_t>(end - at) / 16, 255);
    __m128i sums = _mm_setzero_si128();
    for (std::size_t i = 0; i < blocks; ++i, at += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      sums = _mm_sub_epi8(sums, _mm_cmpeq_epi8(bytes, sought));
    }
    const __m128i words = _mm_sad_epu8(sums, _mm_setzero_si128());
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
