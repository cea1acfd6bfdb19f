// Cutting a source file on several threads. A line ends at its CR and no
// line ever joins the next, so the source splits at any line end into
// chunks that are cut independently, each by a worker thread with its own
// RecordCutter, and the chunks come back in the order of the file. Only the
// reading thread counts, writes and services the windows; a worker touches
// nothing but its chunk.
//
// The chunks are read in one of two ways. Mostly a chunk is a block of the
// file, read by the worker that cuts it (LineReader::ReadBlock): the lines
// that begin in the block, so the reading itself is shared among the
// workers and a block is cut while it is still in its worker's caches.
// Record numbers are not known that way, so in mode Count the reading
// thread reads the chunks of whole lines (LineReader::TakeLines) and numbers
// them as it goes; so it does for a source that cannot be read by position.
//
// A fixed number of chunks is in flight, each about one read block, so that
// memory stays at that many blocks plus their output whatever the file's
// size; a chunk that held a long line gives its buffers back once taken.
// A chunk's output stops growing once it passes a limit (records padded
// with many empty items can give far more output than input): the lines
// after are left uncut, for the reading thread to cut one at a time as it
// writes them. A file of one chunk is cut on the reading thread, without
// starting any thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "inspect/ByteBuffer.h"
#include "inspect/TextFile.h"
#include "run/ExtractionPlan.h"
#include "run/RecordCutter.h"

namespace sifta {

// The most worker threads a pipeline starts, whatever it is asked for: each
// keeps a chunk in flight, with its block and its output, and memory has to
// stay small on a machine of many hardware threads too. More would not make
// a run faster: the one thread that writes is the limit long before.
constexpr unsigned kMostCutWorkers = 8;

// One chunk of lines and what was cut of it. After the cut, `ends` has one
// entry per line cut, the size of `output` after that line's output (the
// same as before it when the line is not written); the lines cut end at
// `cutThrough`, which is the chunk's end unless the output reached its limit
// or the cut `stopped`. When the output of every line cut is that line with
// its CR LF (`verbatim`), nothing was copied: the output is `lines` itself.
struct CutChunk {
  ByteBuffer input;  // the lines lie in it; it takes turns with the reader's buffer
  std::string_view lines;
  ByteBuffer output;
  std::size_t outputSize = 0;
  std::vector<std::size_t> ends;
  std::size_t cutThrough = 0;
  std::int64_t firstRecord = 1;  // mode Count: the record number of its first line
  // The last line cut is the first beyond the last code range of a grouped
  // key, or beyond the last count range: no later line is looked at.
  bool stopped = false;
  // At a last line without a line end: the text ends with it (at an end mark).
  bool stoppedAtEnd = false;
  std::exception_ptr failure;  // thrown while cutting (out of memory), thrown again when taken
  bool verbatim = false;
  bool cut = false;

  // Read by blocks: the offset of the block in the file, and what reading
  // it found after the lines (BlockLines).
  std::int64_t offset = 0;
  bool toRead = false;  // the worker reads the block before cutting it
  bool textEnds = false;
  bool markBeforeEnd = false;
  std::optional<IoError> readError;
  // No line of the file follows this chunk's: the text or the reading ends.
  bool EndsTheLines() const { return textEnds || readError.has_value(); }

  std::string_view Output(std::size_t from, std::size_t to) const {
    return {(verbatim ? lines.data() : output.data()) + from, to - from};
  }
};

// The line of `lines` that begins at `at`, by the line rule of LineReader (up
// to a CR, an LF right after it belonging to the line end; the last line may
// have none), and where the next one begins: past the end of `lines` for a
// last line without a line end.
struct ChunkLine {
  std::string_view line;
  std::size_t next;
};
ChunkLine LineAt(std::string_view lines, std::size_t at);

// Cuts the lines of `chunk` by the plan of `cutter`, until the output holds
// `outputLimit` bytes or more.
void CutLines(const ExtractionPlan& plan, RecordCutter& cutter, CutChunk& chunk, std::size_t outputLimit);

class ChunkPipeline {
 public:
  // `workers` threads (at least 1, at most kMostCutWorkers), started when a
  // second chunk is read;
  // `outputLimit` as for CutLines.
  ChunkPipeline(const ExtractionPlan& plan, unsigned workers, std::size_t outputLimit);
  ChunkPipeline(const ChunkPipeline&) = delete;
  ChunkPipeline& operator=(const ChunkPipeline&) = delete;
  ~ChunkPipeline();  // the chunks in flight are dropped

  // Reads chunks from `source` until the set in flight is full or no line
  // is left; in mode Count, also once the first line beyond the last count
  // range is read. Read errors stay with the reader, or, when the chunks are
  // blocks, with the chunk after whose lines they came (readError). Blocks
  // are read ahead past the end of the text, which only the block that
  // meets it knows (textEnds). `source` must not be used elsewhere while the
  // pipeline lives.
  void ReadAhead(LineReader& source);

  // The oldest chunk in flight, once cut (rethrowing what its cut threw);
  // null when none is in flight, or once a block whose lines end the lines
  // of the file is released. Valid until Release.
  CutChunk* Oldest();
  void Release();  // done with the oldest chunk
  // Whether no chunk was read after `chunk`.
  bool IsNewest(const CutChunk* chunk) const { return !inFlight_.empty() && inFlight_.back() == chunk; }

 private:
  void Start();
  void Work();
  void ReadBlock(CutChunk& chunk) const;

  const ExtractionPlan& plan_;
  unsigned workers_;
  std::size_t outputLimit_;
  std::size_t inFlightMost_;
  // A released chunk keeps buffers of up to keptBufferSize_ bytes: twice the
  // output limit, and at least kKeptBufferSize (eight default read blocks).
  static constexpr std::size_t kKeptBufferSize = std::size_t{8} << 20;
  std::size_t keptBufferSize_;
  std::int64_t nextRecord_ = 1;  // mode Count: the number of the next line read
  // Read by blocks (not in mode Count, and only a file that can be read by
  // position): where the text of the records begins and the offset of the
  // next block. Decided at the first ReadAhead.
  bool byBlocks_ = false;
  const LineReader* blockSource_ = nullptr;
  std::int64_t textStart_ = 0;
  std::int64_t nextBlock_ = 0;
  bool blocksDone_ = false;  // a block taken or the first one read ended the lines: no more are read
  bool linesEnded_ = false;  // a block taken ended the lines: the chunks after it are not taken
  RecordCutter ownCutter_;   // for a chunk cut on the reading thread
  std::vector<std::unique_ptr<CutChunk>> chunks_;  // all there are
  std::vector<CutChunk*> spare_;
  std::deque<CutChunk*> inFlight_;  // in the order of the file
  // Shared with the workers, under lock_, with the `cut` and `failure` of
  // every chunk handed to them.
  std::mutex lock_;
  std::condition_variable workToDo_;
  std::condition_variable chunkCut_;
  std::deque<CutChunk*> toCut_;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace sifta
