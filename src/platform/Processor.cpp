#include "platform/Processor.h"

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <immintrin.h>
#include <intrin.h>
#define SIFTA_CPUID 1
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define SIFTA_CPUID 1
#endif

#include <cstring>

namespace sifta::platform {

namespace {

#ifdef SIFTA_CPUID
// Registers EAX, EBX, ECX, EDX of CPUID `leaf`.
void CpuId(unsigned leaf, unsigned r[4]) {
#if defined(_MSC_VER)
  int out[4];
  __cpuid(out, static_cast<int>(leaf));
  for (int i = 0; i < 4; ++i) r[i] = static_cast<unsigned>(out[i]);
#else
  __cpuid(leaf, r[0], r[1], r[2], r[3]);
#endif
}

// Whether PDEP takes a few cycles whatever the mask: by vendor and family.
bool HasFastPdep() {
  unsigned r[4];
  CpuId(0, r);
  char vendor[13] = {};
  std::memcpy(vendor, &r[1], 4);
  std::memcpy(vendor + 4, &r[3], 4);
  std::memcpy(vendor + 8, &r[2], 4);
  if (std::strcmp(vendor, "GenuineIntel") == 0) return true;
  if (std::strcmp(vendor, "AuthenticAMD") != 0) return false;
  CpuId(1, r);
  unsigned family = (r[0] >> 8) & 0xF;
  if (family == 0xF) family += (r[0] >> 20) & 0xFF;
  return family >= 0x19;
}
#endif

}  // namespace

ProcessorFeatures DetectProcessorFeatures() {
  ProcessorFeatures features;
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  features.sse2 = __builtin_cpu_supports("sse2");
  features.avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                  __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt") &&
                  __builtin_cpu_supports("pclmul");
  features.avx512bw = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  features.fastPdep = features.avx2 && HasFastPdep();
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
  int r[4];
  __cpuid(r, 0);
  const int top = r[0];
  __cpuid(r, 1);
  features.sse2 = (r[3] >> 26) & 1;
  const bool pclmul = (r[2] >> 1) & 1, popcnt = (r[2] >> 23) & 1;
  const bool osSavesYmm = ((r[2] >> 27) & 1) && (_xgetbv(0) & 0x6) == 0x6;
  const bool osSavesZmm = osSavesYmm && (_xgetbv(0) & 0xE0) == 0xE0;
  if (top >= 7) {
    __cpuidex(r, 7, 0);
    const bool avx2 = (r[1] >> 5) & 1, bmi = (r[1] >> 3) & 1, bmi2 = (r[1] >> 8) & 1;
    features.avx2 = osSavesYmm && avx2 && bmi && bmi2 && popcnt && pclmul;
    features.avx512bw = osSavesZmm && ((r[1] >> 16) & 1) && ((r[1] >> 30) & 1);
  }
  features.fastPdep = features.avx2 && HasFastPdep();
#endif
  return features;
}

}  // namespace sifta::platform
