// The instruction sets of the processor that the scanners can use.
#pragma once

namespace sifta::platform {

struct ProcessorFeatures {
  bool sse2 = false;
  bool avx2 = false;      // with BMI1, BMI2, POPCNT and PCLMUL, all of which the scanners need with it
  bool avx512bw = false;  // AVX-512 F and BW
};

ProcessorFeatures DetectProcessorFeatures();

}  // namespace sifta::platform
