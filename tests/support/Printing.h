// How GoogleTest prints the engine's values in a failure, by name rather than
// as a byte dump.
#pragma once

#include <ostream>

#include "scan/ItemBoundaries.h"

namespace sifta {

inline void PrintTo(ScanInstructions instructions, std::ostream* os) {
  *os << ScanInstructionsName(instructions);
}

}  // namespace sifta
