#include "platform/Processor.h"

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <immintrin.h>
#include <intrin.h>
#endif

namespace sifta::platform {

ProcessorFeatures DetectProcessorFeatures() {
  ProcessorFeatures features;
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  features.sse2 = __builtin_cpu_supports("sse2");
  features.avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                  __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt") &&
                  __builtin_cpu_supports("pclmul");
  features.avx512bw = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
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
#endif
  return features;
}

}  // namespace sifta::platform
