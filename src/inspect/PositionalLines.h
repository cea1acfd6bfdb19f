// The rest of a file read in blocks by their offsets, several blocks at once
// on several threads: a block gives the lines that begin in it (the last may
// reach far past it), so the blocks one after the other give the lines that
// LineReader::ReadLine would give from where the block reading begins. A
// block after one whose lines end the file's lines gives nothing of them.
#pragma once

#include <cstdint>
#include <filesystem>

#include "inspect/LineSource.h"
#include "inspect/TextFile.h"
#include "platform/Files.h"

namespace sifta {

class PositionalLines final : public LineSource {
 public:
  // The file `reader` holds open, from the line it would give next; the
  // reader gives no lines while this reads (File::ReadAt moves its position
  // on Windows).
  explicit PositionalLines(const LineReader& reader) : PositionalLines(reader, reader.Consumed()) {}
  // The same from the lines that begin at `textStart` of the file on.
  PositionalLines(const LineReader& reader, std::int64_t textStart);

  // Whether a file can be read this way: a file on a disk, not a pipe or a
  // device (which Windows lets a reader open).
  static bool CanRead(const LineReader& reader) {
    return reader.File().Kind() == platform::FileKind::Regular;
  }

  void Next(LineChunk& chunk) override;  // the next block, left to Read
  void Read(LineChunk& chunk) const override;

 private:
  const platform::File& file_;
  const std::filesystem::path path_;
  const std::size_t blockSize_;
  const std::size_t longestLine_;
  const std::int64_t textStart_;  // where the lines to give begin
  std::int64_t nextBlock_;
};

}  // namespace sifta
