// The chunks of a file read from its start to its end by one LineReader: a
// pipe, a device Windows lets a reader open, or a file whose record numbers
// are needed as its chunks are taken (a count range). Each chunk is read as
// Next gives it; Read has nothing left to do.
#pragma once

#include "inspect/LineSource.h"
#include "inspect/TextFile.h"

namespace sifta {

class SequentialLines final : public LineSource {
 public:
  // `reader` is open, at the first line to give; nothing else reads it
  // meanwhile.
  explicit SequentialLines(LineReader& reader) : reader_(reader) {}

  void Next(LineChunk& chunk) override;
  void Read(LineChunk&) const override {}

 private:
  LineReader& reader_;
};

}  // namespace sifta
