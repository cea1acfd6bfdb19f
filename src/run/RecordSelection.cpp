// The record loop, one for every way a file is read and cut:
//
//   the heading: read, and written projected into a new extract;
//   then for every record, in the order of the file:
//     count it; when a cancel was asked for, end (counted, not tested);
//     service the windows, whose answer is the cancel request;
//     write it when its verdict says so; end after it when its verdict stops;
//   after the last record: the end of the text, or the error that ended the
//   lines.
//
// The verdicts and the output lines come cut, chunk by chunk, from the
// ChunkPipeline; a chunk whose output reached its limit leaves its later
// records to be cut here, one at a time, by the same verdicts.
#include "run/RecordSelection.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <variant>

#include "inspect/LineEnds.h"
#include "inspect/PositionalLines.h"
#include "inspect/SequentialLines.h"
#include "run/ChunkPipeline.h"
#include "run/RecordCutter.h"
#include "run/RunMessages.h"

namespace sifta {

namespace {

class RecordLoop {
 public:
  RecordLoop(const ExtractionPlan& plan, const FileOutput& output, LineReader& source, LineWriter& extract,
             ServiceHook& service, WorkerPool& workers, std::size_t chunkOutputLimit, ExtractParts* parts)
      : plan_(plan),
        source_(source),
        extract_(&extract),
        parts_(parts),
        room_(parts ? parts->Room() : std::numeric_limits<std::int64_t>::max()),
        service_(service),
        workers_(workers),
        chunkOutputLimit_(chunkOutputLimit),
        cutter_(plan, output) {}

  FileRunResult Run(HeadingKind headingKind, bool appending) {
    if (const std::optional<platform::FileStamp> stamp = source_.Stamp()) progress_.sourceBytes = stamp->size;
    service_.WatchProgress(&progress_);
    try {
      Cut(headingKind, appending);
    } catch (const std::bad_alloc&) {
      result_.end = FileFailed{OutOfMemoryError()};
    }
    service_.WatchProgress(nullptr);
    return result_;
  }

 private:
  void Cut(HeadingKind headingKind, bool appending) {
    if (headingKind != HeadingKind::None) {
      const std::string_view heading = source_.ReadLine();
      if (source_.Error()) return Fail(*source_.Error());
      // Every part of an extract begins with the heading.
      if (!appending || parts_) {
        cutter_.Load(heading);
        const std::string_view output = cutter_.OutputLineWithEnd(false);
        if (output.empty()) return Unconvertible();
        if (parts_) heading_ = output;
        if (!appending) {
          extract_->Append(output);
          if (extract_->Error()) return Fail(*extract_->Error());
        }
        // The output of a long heading is not kept beside the chunks.
        cutter_.ReleaseOutputOver(chunkOutputLimit_);
      }
    }
    // No count range: no record is read.
    if (plan_.recordMode == RecordMode::Count && plan_.countRanges.empty()) return End(false);

    // Blocks read by the workers where they can be; lines read from the
    // start where the record numbers are needed as the chunks are taken.
    std::optional<PositionalLines> byPosition;
    std::optional<SequentialLines> inTurn;
    LineSource& lines =
        plan_.recordMode != RecordMode::Count && workers_.Size() > 0 && PositionalLines::CanRead(source_)
            ? static_cast<LineSource&>(byPosition.emplace(source_))
            : inTurn.emplace(source_);
    ChunkPipeline pipeline(plan_, lines, workers_, chunkOutputLimit_, cutter_);
    while (const CutChunk* chunk = pipeline.Next()) {
      if (chunk->cutError) return Fail(*chunk->cutError);
      if (!TakeChunk(*chunk)) return;
      progress_.bytesTaken += static_cast<std::int64_t>(chunk->lines.size());
      progress_.records = result_.sourceRecords;
      switch (chunk->after) {
        case LinesGoOn::More:
          break;
        case LinesGoOn::TextEnds:
          return End(false);
        case LinesGoOn::TextEndsAtMark:
          return End(true);
        case LinesGoOn::ReadError:
        case LinesGoOn::LineTooLong:
          return Fail(*chunk->error);
      }
      pipeline.Release();
    }
    End(false);
  }

  // The records of a chunk in turn; false when the loop ended in it.
  bool TakeChunk(const CutChunk& chunk) {
    // The output of the records taken is appended in runs: a run that
    // cannot fill the writer's buffer gives what the records appended one
    // by one give, and no write error can show on its way. A record that
    // could fill it is appended by itself, when it would be one by one.
    std::size_t run = 0;    // the output from here on is not appended yet
    std::size_t taken = 0;  // the output of the records taken ends here
    const auto appendRun = [&] {
      if (taken > run) extract_->Append(chunk.Output(run, taken));
      run = taken;
    };
    for (const std::size_t end : chunk.ends) {
      if (!CountRecord()) {
        appendRun();
        return false;
      }
      if (end == taken) continue;  // not written
      if (room_ == 0) {
        // The records before go into the part that is full.
        appendRun();
        if (!NextPart()) return false;
      }
      --room_;
      ++result_.extractRecords;
      if (extract_->Buffered() + (end - run) >= extract_->BufferSize()) {
        appendRun();
        extract_->Append(chunk.Output(taken, end));
        run = end;
      }
      taken = end;
      if (extract_->Error()) return Fail(*extract_->Error()), false;
    }
    appendRun();
    if (chunk.stopped) return EndEarly(chunk, chunk.cutThrough), false;
    // The records left uncut.
    for (std::size_t at = chunk.cutThrough; at < chunk.lines.size();) {
      const LineSpan line = LineAt(chunk.lines, at);
      at = line.next;
      if (!CountRecord()) return false;
      const RecordCutter::Verdict verdict = cutter_.Judge(line.line, result_.sourceRecords);
      if (RecordCutter::Writes(verdict)) {
        const std::string_view output = cutter_.OutputLineWithEnd(true);
        if (output.empty()) return Unconvertible(), false;
        if (room_ == 0 && !NextPart()) return false;
        --room_;
        extract_->Append(output);
        ++result_.extractRecords;
        if (extract_->Error()) return Fail(*extract_->Error()), false;
      }
      if (RecordCutter::Stops(verdict)) return EndEarly(chunk, at), false;
    }
    return true;
  }

  // Counts the record read and services the windows; false (the loop
  // cancelled) when a cancel was asked for before it.
  bool CountRecord() {
    ++result_.sourceRecords;
    if (cancelRequest_) {
      result_.end = FileCancelled{};
      return false;
    }
    cancelRequest_ = service_.ServicePendingEvents();
    return true;
  }

  // The loop stopped at the record that ends at `next` in `chunk`: it met
  // the end of the text only when that record has no line end.
  void EndEarly(const CutChunk& chunk, std::size_t next) {
    End(next > chunk.lines.size() && chunk.after == LinesGoOn::TextEndsAtMark);
  }

  // The loop ended without an error (a cancel confirmed as the last record
  // was serviced counts all the same).
  void End(bool endMarkBeforeEnd) {
    if (cancelRequest_)
      result_.end = FileCancelled{};
    else
      result_.end = FileDone{endMarkBeforeEnd};
  }

  void Fail(const IoError& error) { result_.end = FileFailed{error}; }
  // The current part is full; false (the file failed) when no next part
  // could be begun.
  bool NextPart() {
    std::variant<LineWriter*, IoError> next = parts_->NextPart(heading_);
    if (const IoError* error = std::get_if<IoError>(&next)) return Fail(*error), false;
    extract_ = std::get<LineWriter*>(next);
    room_ = parts_->Room();
    return true;
  }
  // The heading, or the record just counted, has no UTF-8 form.
  void Unconvertible() {
    Fail(UnconvertibleLineError(cutter_.Output().sourceShown, result_.sourceRecords,
                                cutter_.UnconvertibleBytes()));
  }

  const ExtractionPlan& plan_;
  LineReader& source_;
  LineWriter* extract_;  // the extract, or its current part
  ExtractParts* const parts_;
  std::int64_t room_;    // records the current part still takes
  std::string heading_;  // as written, for the parts after the first
  ServiceHook& service_;
  WorkerPool& workers_;
  const std::size_t chunkOutputLimit_;
  // The heading, the chunks cut on this thread and the records left uncut.
  RecordCutter cutter_;
  bool cancelRequest_ = false;
  FileRunResult result_;
  FileProgress progress_;
};

}  // namespace

FileRunResult ProcessSourceFile(const ExtractionPlan& plan, HeadingKind headingKind, LineReader& source,
                                LineWriter& extract, bool appending, ServiceHook& service,
                                WorkerPool& workers, std::size_t chunkOutputLimit, const FileOutput& output,
                                ExtractParts* parts) {
  try {
    return RecordLoop(plan, output, source, extract, service, workers, chunkOutputLimit, parts)
        .Run(headingKind, appending);
  } catch (const std::bad_alloc&) {
    return FileRunResult{0, 0, FileFailed{OutOfMemoryError()}};
  }
}

FileRunResult ProcessSourceFile(const ExtractionPlan& plan, HeadingKind headingKind, LineReader& source,
                                LineWriter& extract, bool appending, ServiceHook& service,
                                unsigned cutWorkers, std::size_t chunkOutputLimit) {
  WorkerPool workers(cutWorkers);
  return ProcessSourceFile(plan, headingKind, source, extract, appending, service, workers, chunkOutputLimit);
}

unsigned DefaultCutWorkers() { return std::clamp(std::thread::hardware_concurrency(), 2u, kMostCutWorkers); }

}  // namespace sifta
