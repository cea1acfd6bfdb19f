#include "run/ChunkPipeline.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "scan/ByteCount.h"

namespace sifta {

ChunkLine LineAt(std::string_view lines, std::size_t at) {
  const char* const text = lines.data();
  const std::size_t size = lines.size();
  const void* cr = std::memchr(text + at, '\r', size - at);
  const std::size_t end = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - text) : size;
  return {{text + at, end - at}, end + 1 < size && text[end + 1] == '\n' ? end + 2 : end + 1};
}

void CutLines(const ExtractionPlan& plan, RecordCutter& cutter, CutChunk& chunk, std::size_t outputLimit) {
  const bool counted = plan.recordMode == RecordMode::Count;
  const bool keyed = plan.recordMode == RecordMode::Code || plan.recordMode == RecordMode::Value;
  const bool stopsEarly = keyed && plan.grouping == CodeGrouping::GroupedInOrder && !plan.extractAllExcept;
  chunk.ends.clear();
  chunk.stopped = chunk.stoppedAtEnd = false;
  chunk.outputSize = 0;
  cutter.SwapOutput(chunk.output, chunk.outputSize);
  const std::size_t size = chunk.lines.size();
  std::size_t at = 0;
  std::int64_t record = chunk.firstRecord;
  // While every line cut is its own record and ends in CR LF, the output is
  // the lines as they stand: nothing is copied. From the first line that is
  // not on, the output goes into the buffer, after a copy of the lines before.
  bool verbatim = true;
  while (at < size && (verbatim ? at : cutter.AppendedSize()) < outputLimit) {
    const std::size_t lineStart = at;
    const ChunkLine line = LineAt(chunk.lines, at);
    at = line.next;
    bool keep = true;
    bool last = false;  // no later line can be kept
    if (counted) {
      keep = cutter.CountKeeps(record);
      last = cutter.BeyondLastCount(record);
      ++record;
      if (keep) cutter.Load(line.line);
    } else {
      cutter.Load(line.line);
      if (keyed) {
        const std::string_view key = cutter.Key();
        last = stopsEarly && cutter.BeyondLastRange(key);
        keep = cutter.KeyMatches(key) != plan.extractAllExcept;
      }
    }
    if (verbatim && !(keep && at == lineStart + line.line.size() + 2 && cutter.LineIsItsRecord())) {
      cutter.AppendBytes(chunk.lines.substr(0, lineStart));
      verbatim = false;
    }
    if (verbatim) {
      chunk.ends.push_back(at);
    } else {
      if (keep) cutter.AppendRecordLine();
      chunk.ends.push_back(cutter.AppendedSize());
    }
    if (last) {
      chunk.stopped = true;
      chunk.stoppedAtEnd = at > size;
      break;
    }
  }
  chunk.cutThrough = std::min(at, size);
  chunk.verbatim = verbatim;
  cutter.SwapOutput(chunk.output, chunk.outputSize);
}

namespace {

// The lines of a chunk: one per CR. A last line without a line end comes
// in a chunk by itself (LineReader::TakeLines), which has no CR.
std::int64_t LineCount(std::string_view lines) {
  return std::max<std::int64_t>(static_cast<std::int64_t>(CountByte(lines, '\r')), 1);
}

}  // namespace

ChunkPipeline::ChunkPipeline(const ExtractionPlan& plan, unsigned workers, std::size_t outputLimit)
    : plan_(plan),
      workers_(std::clamp(workers, 1u, kMostCutWorkers)),
      outputLimit_(outputLimit),
      inFlightMost_(workers_ + 1),
      keptBufferSize_(std::max(2 * outputLimit, kKeptBufferSize)),
      ownCutter_(plan) {}

ChunkPipeline::~ChunkPipeline() {
  {
    std::lock_guard<std::mutex> held(lock_);
    stop_ = true;
  }
  workToDo_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ChunkPipeline::ReadAhead(LineReader& source) {
  if (!blockSource_) {
    blockSource_ = &source;
    byBlocks_ = plan_.recordMode != RecordMode::Count && source.ReadsByPosition();
    if (byBlocks_) {
      blocksDone_ = source.AtEnd();  // the text may end (or fail) right after the heading
      textStart_ = nextBlock_ = source.Consumed();
    }
  }
  const bool counted = plan_.recordMode == RecordMode::Count;
  while (inFlight_.size() < inFlightMost_) {
    // The loop ends at the last line read, or before it.
    if (counted && ownCutter_.BeyondLastCount(nextRecord_ - 1)) return;
    if (byBlocks_ && blocksDone_) return;
    if (spare_.empty()) {
      chunks_.push_back(std::make_unique<CutChunk>());
      spare_.push_back(chunks_.back().get());
    }
    CutChunk* chunk = spare_.back();
    chunk->textEnds = chunk->markBeforeEnd = false;
    chunk->readError.reset();
    if (byBlocks_) {
      chunk->offset = nextBlock_;
      nextBlock_ += static_cast<std::int64_t>(source.BlockSize());
      // The first block is read here: a text of one block is cut without
      // starting any thread.
      chunk->toRead = !(threads_.empty() && inFlight_.empty());
      chunk->lines = {};
      if (!chunk->toRead) {
        ReadBlock(*chunk);
        blocksDone_ = chunk->EndsTheLines();
      }
    } else {
      chunk->lines = source.TakeLines(chunk->input);
      if (chunk->lines.empty()) return;
    }
    spare_.pop_back();
    if (counted) {
      chunk->firstRecord = nextRecord_;
      nextRecord_ += LineCount(chunk->lines);
    }
    chunk->cut = false;
    chunk->failure = nullptr;
    // The first chunk waits: a file of one chunk is cut without threads.
    if (threads_.empty() && inFlight_.empty()) {
      inFlight_.push_back(chunk);
      continue;
    }
    inFlight_.push_back(chunk);
    if (threads_.empty()) {
      Start();
      continue;
    }
    {
      std::lock_guard<std::mutex> held(lock_);
      toCut_.push_back(chunk);
    }
    workToDo_.notify_one();
  }
}

void ChunkPipeline::Start() {
  // The chunk waiting since the first read goes first.
  {
    std::lock_guard<std::mutex> held(lock_);
    toCut_.assign(inFlight_.begin(), inFlight_.end());
  }
  for (unsigned i = 0; i < workers_; ++i) threads_.emplace_back([this] { Work(); });
}

void ChunkPipeline::Work() {
  // A cutter that cannot be made (out of memory) fails every chunk this
  // worker takes, as a failed cut would.
  std::optional<RecordCutter> cutter;
  std::exception_ptr noCutter;
  try {
    cutter.emplace(plan_);
  } catch (...) {
    noCutter = std::current_exception();
  }
  std::unique_lock<std::mutex> held(lock_);
  for (;;) {
    workToDo_.wait(held, [this] { return stop_ || !toCut_.empty(); });
    if (stop_) return;
    CutChunk* chunk = toCut_.front();
    toCut_.pop_front();
    held.unlock();
    try {
      if (noCutter) std::rethrow_exception(noCutter);
      if (chunk->toRead) ReadBlock(*chunk);
      CutLines(plan_, *cutter, *chunk, outputLimit_);
    } catch (...) {
      chunk->failure = std::current_exception();
    }
    held.lock();
    chunk->cut = true;
    chunkCut_.notify_all();
  }
}

void ChunkPipeline::ReadBlock(CutChunk& chunk) const {
  BlockLines block = blockSource_->ReadBlock(textStart_, chunk.offset, chunk.input);
  chunk.lines = block.lines;
  chunk.textEnds = block.textEnds;
  chunk.markBeforeEnd = block.markBeforeEnd;
  chunk.readError = std::move(block.error);
  chunk.toRead = false;
}

CutChunk* ChunkPipeline::Oldest() {
  if (inFlight_.empty() || linesEnded_) return nullptr;
  CutChunk* chunk = inFlight_.front();
  if (threads_.empty()) {
    if (!chunk->cut) {
      try {
        CutLines(plan_, ownCutter_, *chunk, outputLimit_);
      } catch (...) {
        chunk->failure = std::current_exception();
      }
      chunk->cut = true;
    }
  } else {
    std::unique_lock<std::mutex> held(lock_);
    chunkCut_.wait(held, [chunk] { return chunk->cut; });
  }
  if (chunk->failure) std::rethrow_exception(chunk->failure);
  return chunk;
}

void ChunkPipeline::Release() {
  // A chunk that held a long line gives its buffers back: they would
  // otherwise keep that size, and in time every chunk would hold one.
  CutChunk* chunk = inFlight_.front();
  // The blocks read after one that ended the lines are never taken.
  if (chunk->EndsTheLines()) linesEnded_ = blocksDone_ = true;
  if (chunk->input.size() > keptBufferSize_) chunk->input.Reset(0);
  if (chunk->output.size() > keptBufferSize_) chunk->output.Reset(0);
  spare_.push_back(chunk);
  inFlight_.pop_front();
}

}  // namespace sifta
