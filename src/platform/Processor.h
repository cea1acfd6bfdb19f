// The instruction sets of the processor that the scanners can use.
#pragma once

namespace sifta::platform {

struct ProcessorFeatures {
  bool sse2 = false;
  bool avx2 = false;      // with BMI1, BMI2, POPCNT and PCLMUL, all of which the scanners need with it
  bool avx512bw = false;  // AVX-512 F and BW
  // PDEP in a few cycles: every Intel processor with BMI2 and AMD's from
  // family 19h on; AMD's earlier ones take one step per bit of the mask.
  bool fastPdep = false;
};

ProcessorFeatures DetectProcessorFeatures();

}  // namespace sifta::platform
