// The records of a source file as a cut takes them: chunks of whole lines,
// each with one value that says how the lines of the file go on after it.
// Two sources give them: SequentialLines reads the file from its start to its
// end (a pipe, or wherever reading by position is not possible), and
// PositionalLines reads it in blocks by their offsets, so that several
// threads read at once. Both give the lines that LineReader::ReadLine gives
// one by one, each but the text's last ending in its line end.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "inspect/ByteBuffer.h"
#include "inspect/TextFile.h"

namespace sifta {

// How the lines of a file go on after a chunk's. Every value but More ends
// the lines: a chunk after it holds none of the file's.
enum class LinesGoOn {
  More,            // further lines follow
  TextEnds,        // the file ends, or a 0x1A byte that nothing follows
  TextEndsAtMark,  // a 0x1A byte that more bytes of the file follow, which are no text
  ReadError,       // reading failed (the chunk's error says how)
  LineTooLong,     // the next line is longer than allowed (the chunk's error says so)
};

struct LineChunk {
  ByteBuffer input;  // the lines lie in it
  std::string_view lines;
  LinesGoOn after = LinesGoOn::More;
  std::optional<IoError> error;  // with ReadError and LineTooLong
  // Read by position: the block's offset in the file, and whether its lines
  // are still to be read (LineSource::Read).
  std::int64_t offset = 0;
  bool toRead = false;

  bool EndsTheLines() const { return after != LinesGoOn::More; }
};

class LineSource {
 public:
  virtual ~LineSource() = default;
  // On the one thread that takes the chunks, in the order of the file: makes
  // `chunk` the next one, its lines read now or left to Read.
  virtual void Next(LineChunk& chunk) = 0;
  // On any thread, for a chunk that Next left to read: reads its lines.
  virtual void Read(LineChunk& chunk) const = 0;
};

}  // namespace sifta
