// Cutting a source file on several threads. A line ends at its CR and no
// line ever joins the next, so the source splits at any line end into
// chunks that are cut independently, each by a thread of the run's
// WorkerPool with a RecordCutter of its own, and the chunks come back in the
// order of the file. Only the thread that takes them (the record loop)
// counts, writes and services the windows; a worker touches nothing but the
// chunk it is given.
//
// The chunks come from a LineSource: mostly blocks of the file, read by the
// worker that cuts them (PositionalLines), so the reading itself is shared
// and a block is cut while it is still in its worker's caches; lines read
// from the start (SequentialLines) where the file cannot be read by position
// or the record numbers are needed as chunks are taken (mode Count).
//
// A fixed number of chunks is in flight, each about one read block, so that
// memory stays at that many blocks plus their output whatever the file's
// size; a chunk that held a long line gives its buffers back once taken. A
// chunk's output stops growing once it passes a limit (records padded with
// many empty items can give far more output than input): the lines after
// are left uncut, for the record loop to cut one at a time. The first chunk
// is read on the taking thread and waits there: a file of one chunk needs no
// worker; once a second chunk comes, the workers take the first as well.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "inspect/ByteBuffer.h"
#include "inspect/LineSource.h"
#include "run/ExtractionPlan.h"
#include "run/RecordCutter.h"
#include "run/WorkerPool.h"

namespace sifta {

// One chunk of lines and what was cut of it. After the cut, `ends` has one
// entry per line cut, the size of the output after that line's output (the
// same as before it when the line is not written); the line after the lines
// cut begins at `cutThrough` (past the end of `lines` when the last one has
// no line end), which is the chunk's end unless the output reached its limit
// or the last line cut stops the loop (`stopped`). When the output of every
// line cut is that line with its CR LF (`verbatim`), nothing was copied: the
// output is `lines` itself.
struct CutChunk : LineChunk {
  ByteBuffer output;
  std::size_t outputSize = 0;
  std::vector<std::size_t> ends;
  std::size_t cutThrough = 0;
  std::int64_t firstRecord = 1;  // mode Count: the record number of its first line
  bool stopped = false;
  bool verbatim = false;
  std::optional<IoError> cutError;  // reading or cutting it ran out of memory

  std::string_view Output(std::size_t from, std::size_t to) const {
    return {(verbatim ? lines.data() : output.data()) + from, to - from};
  }
};

// Cuts the lines of `chunk` by the verdicts of `cutter`, until the output
// holds `outputLimit` bytes or more, or a line stops the loop.
void CutLines(RecordCutter& cutter, CutChunk& chunk, std::size_t outputLimit);

class ChunkPipeline {
 public:
  // The chunks of `source`, cut by the threads of `pool`, or on the taking
  // thread by `takingCutter` (the first chunk, and every chunk when the pool
  // has no thread); `outputLimit` as for CutLines. `source`, `pool` and
  // `takingCutter` must outlive the pipeline, and `source` is used by it
  // alone.
  ChunkPipeline(const ExtractionPlan& plan, LineSource& source, WorkerPool& pool, std::size_t outputLimit,
                RecordCutter& takingCutter);
  ChunkPipeline(const ChunkPipeline&) = delete;
  ChunkPipeline& operator=(const ChunkPipeline&) = delete;
  ~ChunkPipeline();  // waits for the chunks the workers hold; what they held is dropped

  // The next chunk of the file once cut, in the order of the file; null once
  // a chunk that ended the lines is released. Valid until Release.
  const CutChunk* Next();
  void Release();  // done with the chunk Next gave

 private:
  struct Slot {
    CutChunk chunk;
    bool handedOver = false;  // to a worker, which sets `cut`
    bool cut = false;
  };
  void ReadAhead();
  void HandOver(Slot& slot);  // to a worker, which reads it when it is to be read, and cuts it
  void CutHere(Slot& slot, RecordCutter& cutter) const;

  const ExtractionPlan& plan_;
  LineSource& source_;
  WorkerPool& pool_;
  const std::size_t outputLimit_;
  const bool counted_;
  const std::size_t inFlightMost_;
  // A released chunk keeps buffers of up to keptBufferSize_ bytes: twice the
  // output limit, and at least kKeptBufferSize (eight default read blocks).
  static constexpr std::size_t kKeptBufferSize = std::size_t{8} << 20;
  const std::size_t keptBufferSize_;
  std::int64_t nextRecord_ = 1;  // mode Count: the number of the next line read
  bool sourceDone_ = false;      // no chunk is taken from the source any more
  bool linesEnded_ = false;      // a chunk taken ended the lines
  Slot* waiting_ = nullptr;      // the first chunk, not handed over while it may be the only one
  RecordCutter& takingCutter_;
  std::vector<std::unique_ptr<Slot>> slots_;  // all there are
  std::vector<Slot*> spare_;
  std::deque<Slot*> inFlight_;  // in the order of the file
  // Shared with the workers, under lock_: the `cut` of every slot handed
  // over, the cutters, and how many slots they hold.
  std::mutex lock_;
  std::condition_variable slotCut_;
  std::vector<std::unique_ptr<RecordCutter>> cutters_;  // one per worker, made by the worker
  int handedOver_ = 0;
  bool abandoned_ = false;  // the slots handed over need not be cut
};

}  // namespace sifta
