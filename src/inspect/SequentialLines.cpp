#include "inspect/SequentialLines.h"

namespace sifta {

void SequentialLines::Next(LineChunk& chunk) {
  chunk.toRead = false;
  chunk.lines = reader_.TakeLines(chunk.input);
  chunk.after = reader_.HowLinesGoOn();
  chunk.error = reader_.Error();
}

}  // namespace sifta
