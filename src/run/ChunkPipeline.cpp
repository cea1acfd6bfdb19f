#include "run/ChunkPipeline.h"

#include <algorithm>
#include <new>
#include <utility>

#include "inspect/LineEnds.h"
#include "run/RunMessages.h"
#include "scan/ByteCount.h"

namespace sifta {

void CutLines(RecordCutter& cutter, CutChunk& chunk, std::size_t outputLimit) {
  chunk.ends.clear();
  chunk.stopped = false;
  chunk.outputSize = 0;
  cutter.SwapOutput(chunk.output, chunk.outputSize);
  const std::size_t size = chunk.lines.size();
  std::size_t at = 0;
  std::int64_t record = chunk.firstRecord;
  // While every line cut is its own record and ends in CR LF, the output is
  // the lines as they stand: nothing is copied. From the first line that is
  // not, the output goes into the buffer, after a copy of the lines before.
  bool verbatim = true;
  while (at < size && (verbatim ? at : cutter.AppendedSize()) < outputLimit) {
    const std::size_t lineStart = at;
    const LineSpan line = LineAt(chunk.lines, at);
    at = line.next;
    const RecordCutter::Verdict verdict = cutter.Judge(line.line, record++);
    const bool writes = RecordCutter::Writes(verdict);
    if (verbatim && !(writes && at == lineStart + line.line.size() + 2 && cutter.LineIsItsRecord())) {
      cutter.AppendBytes(chunk.lines.substr(0, lineStart));
      verbatim = false;
    }
    if (verbatim) {
      chunk.ends.push_back(at);
    } else {
      // A line that cannot be converted is left to the record loop, which
      // counts up to it and then stops on it.
      if (writes && !cutter.AppendRecordLine()) {
        at = lineStart;
        break;
      }
      chunk.ends.push_back(cutter.AppendedSize());
    }
    if (RecordCutter::Stops(verdict)) {
      chunk.stopped = true;
      break;
    }
  }
  chunk.cutThrough = at;
  chunk.verbatim = verbatim;
  cutter.SwapOutput(chunk.output, chunk.outputSize);
}

namespace {

// The lines of a chunk: one per CR. A last line without a line end comes
// in a chunk by itself (LineReader::TakeLines), which has no CR.
std::int64_t LineCount(std::string_view lines) {
  if (lines.empty()) return 0;
  return std::max<std::int64_t>(static_cast<std::int64_t>(CountByte(lines, '\r')), 1);
}

}  // namespace

ChunkPipeline::ChunkPipeline(const ExtractionPlan& plan, LineSource& source, WorkerPool& pool,
                             std::size_t outputLimit, RecordCutter& takingCutter)
    : plan_(plan),
      source_(source),
      pool_(pool),
      outputLimit_(outputLimit),
      counted_(plan.recordMode == RecordMode::Count),
      inFlightMost_(pool.Size() + 1),
      keptBufferSize_(std::max(2 * outputLimit, kKeptBufferSize)),
      takingCutter_(takingCutter),
      cutters_(pool.Size()) {}

ChunkPipeline::~ChunkPipeline() {
  std::unique_lock<std::mutex> held(lock_);
  abandoned_ = true;
  slotCut_.wait(held, [this] { return handedOver_ == 0; });
}

void ChunkPipeline::CutHere(Slot& slot, RecordCutter& cutter) const {
  try {
    if (slot.chunk.toRead) source_.Read(slot.chunk);
    CutLines(cutter, slot.chunk, outputLimit_);
  } catch (const std::bad_alloc&) {
    slot.chunk.cutError = OutOfMemoryError();
  }
}

void ChunkPipeline::ReadAhead() {
  while (!sourceDone_ && inFlight_.size() < inFlightMost_) {
    // The loop ends at the last line read, or before it.
    if (counted_ && takingCutter_.BeyondLastCount(nextRecord_ - 1)) return;
    if (spare_.empty()) {
      slots_.push_back(std::make_unique<Slot>());
      spare_.push_back(slots_.back().get());
    }
    Slot* slot = spare_.back();
    spare_.pop_back();
    slot->cut = slot->handedOver = false;
    slot->chunk.cutError.reset();
    CutChunk& chunk = slot->chunk;
    source_.Next(chunk);
    if (counted_) {
      chunk.firstRecord = nextRecord_;
      nextRecord_ += LineCount(chunk.lines);
    }
    const bool first = inFlight_.empty();
    inFlight_.push_back(slot);
    // The first chunk is read here at once: the text may end in it, and
    // then no worker is needed.
    if (first && chunk.toRead) {
      try {
        source_.Read(chunk);
      } catch (const std::bad_alloc&) {
        chunk.cutError = OutOfMemoryError();
        chunk.after = LinesGoOn::ReadError;
      }
    }
    if (!chunk.toRead && chunk.EndsTheLines()) sourceDone_ = true;
    if (pool_.Size() == 0) continue;  // cut when it is taken
    // The first chunk waits: a file of one chunk is cut without a worker.
    // Once a second one comes, the first goes to the workers too.
    if (first) {
      waiting_ = slot;
      continue;
    }
    if (waiting_) HandOver(*std::exchange(waiting_, nullptr));
    HandOver(*slot);
  }
}

void ChunkPipeline::HandOver(Slot& slot) {
  {
    std::lock_guard<std::mutex> held(lock_);
    slot.handedOver = true;
    ++handedOver_;
  }
  pool_.Run([this, &slot](unsigned worker) {
    bool abandoned;
    {
      std::lock_guard<std::mutex> held(lock_);
      abandoned = abandoned_;
    }
    if (!abandoned) {
      if (!cutters_[worker]) {
        try {
          cutters_[worker] = std::make_unique<RecordCutter>(plan_, takingCutter_.Output());
        } catch (const std::bad_alloc&) {
          slot.chunk.cutError = OutOfMemoryError();
        }
      }
      if (cutters_[worker]) CutHere(slot, *cutters_[worker]);
    }
    std::lock_guard<std::mutex> held(lock_);
    slot.cut = true;
    --handedOver_;
    slotCut_.notify_all();
  });
}

const CutChunk* ChunkPipeline::Next() {
  if (linesEnded_) return nullptr;
  ReadAhead();
  if (inFlight_.empty()) return nullptr;
  Slot& slot = *inFlight_.front();
  if (&slot == waiting_) waiting_ = nullptr;
  if (!slot.handedOver) {
    if (!slot.cut) CutHere(slot, takingCutter_);
    slot.cut = true;
  } else {
    std::unique_lock<std::mutex> held(lock_);
    slotCut_.wait(held, [&slot] { return slot.cut; });
  }
  return &slot.chunk;
}

void ChunkPipeline::Release() {
  Slot* slot = inFlight_.front();
  CutChunk& chunk = slot->chunk;
  // The chunks read after one that ended the lines are never taken.
  if (chunk.EndsTheLines()) linesEnded_ = sourceDone_ = true;
  // A chunk that held a long line gives its buffers back: they would
  // otherwise keep that size, and in time every chunk would hold one.
  if (chunk.input.size() > keptBufferSize_) chunk.input.Reset(0);
  if (chunk.output.size() > keptBufferSize_) chunk.output.Reset(0);
  inFlight_.pop_front();
  spare_.push_back(slot);
}

}  // namespace sifta
