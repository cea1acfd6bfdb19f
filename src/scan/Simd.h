// What the scanners may use of the processor, decided when the program is
// built, and the bit operations on the 64-bit masks of their blocks, in the
// form each compiler turns into single instructions.
//
//  - SIFTA_X86_SIMD: SSE2, which every x86-64 processor has, is the baseline.
//    Off on every other target (ARM64 Windows and Linux, say) and with the
//    build option SIFTA_PORTABLE_SIMD: then the portable routines are the
//    only ones.
//  - SIFTA_X86_AVX: AVX2 and AVX-512 routines beside it, in functions with a
//    target attribute (GCC and Clang), chosen at run time by what the
//    processor has. Not with MinGW-w64's GCC: it does not realign the stack
//    for the 32- and 64-byte spills of such functions on Win64, which can
//    crash. Not with MSVC either, which has no target attribute.
#pragma once

#include <cstdint>

#if !defined(SIFTA_PORTABLE_SIMD) && (defined(__x86_64__) || defined(_M_X64))
#define SIFTA_X86_SIMD 1
#if (defined(__GNUC__) || defined(__clang__)) && !(defined(__MINGW32__) && !defined(__clang__))
#define SIFTA_X86_AVX 1
#endif
#endif

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace sifta::bits {

// Position of the lowest set bit of `mask`, which is not 0.
inline int LowestBit(std::uint64_t mask) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctzll(mask);
#else
  unsigned long index;
  _BitScanForward64(&index, mask);
  return static_cast<int>(index);
#endif
}

// Number of set bits, for every processor of the target: where the target
// has no population count instruction (the x86-64 baseline; GCC would call a
// library routine), it is counted in the register.
inline int BitCount(std::uint64_t x) {
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__POPCNT__) || defined(__aarch64__))
  return __builtin_popcountll(x);
#else
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<int>((x * 0x0101010101010101ull) >> 56);
#endif
}

// The same with the POPCNT instruction, only inside the AVX routines (GCC and
// Clang expand it where it is inlined, with the target of that function).
inline int BitCountInstruction(std::uint64_t x) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_popcountll(x);
#else
  return BitCount(x);
#endif
}

// sum = a + b; true when the addition carries out of bit 63.
inline bool AddWithCarry(std::uint64_t a, std::uint64_t b, std::uint64_t& sum) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_add_overflow(a, b, &sum);
#else
  sum = a + b;
  return sum < a;
#endif
}

}  // namespace sifta::bits
