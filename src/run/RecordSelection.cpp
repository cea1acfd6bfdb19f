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
#include <new>
#include <optional>
#include <thread>

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
  RecordLoop(const ExtractionPlan& plan, LineReader& source, LineWriter& extract, ServiceHook& service,
             WorkerPool& workers, std::size_t chunkOutputLimit)
      : plan_(plan),
        source_(source),
        extract_(extract),
        service_(service),
        workers_(workers),
        chunkOutputLimit_(chunkOutputLimit),
        cutter_(plan) {}

  FileRunResult Run(HeadingKind headingKind, bool appending) {
    try {
      Cut(headingKind, appending);
    } catch (const std::bad_alloc&) {
      result_.end = FileFailed{OutOfMemoryError()};
    }
    return result_;
  }

 private:
  void Cut(HeadingKind headingKind, bool appending) {
    if (headingKind != HeadingKind::None) {
      const std::string_view heading = source_.ReadLine();
      if (source_.Error()) return Fail(*source_.Error());
      if (!appending) {
        cutter_.Load(heading);
        extract_.Append(cutter_.OutputLineWithEnd(false));
        if (extract_.Error()) return Fail(*extract_.Error());
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
      if (taken > run) extract_.Append(chunk.Output(run, taken));
      run = taken;
    };
    for (const std::size_t end : chunk.ends) {
      if (!CountRecord()) {
        appendRun();
        return false;
      }
      if (end == taken) continue;  // not written
      ++result_.extractRecords;
      if (extract_.Buffered() + (end - run) >= extract_.BufferSize()) {
        appendRun();
        extract_.Append(chunk.Output(taken, end));
        run = end;
      }
      taken = end;
      if (extract_.Error()) return Fail(*extract_.Error()), false;
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
        extract_.Append(cutter_.OutputLineWithEnd(true));
        ++result_.extractRecords;
        if (extract_.Error()) return Fail(*extract_.Error()), false;
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

  const ExtractionPlan& plan_;
  LineReader& source_;
  LineWriter& extract_;
  ServiceHook& service_;
  WorkerPool& workers_;
  const std::size_t chunkOutputLimit_;
  // The heading, the chunks cut on this thread and the records left uncut.
  RecordCutter cutter_;
  bool cancelRequest_ = false;
  FileRunResult result_;
};

}  // namespace

FileRunResult ProcessSourceFile(const ExtractionPlan& plan, HeadingKind headingKind, LineReader& source,
                                LineWriter& extract, bool appending, ServiceHook& service,
                                WorkerPool& workers, std::size_t chunkOutputLimit) {
  try {
    return RecordLoop(plan, source, extract, service, workers, chunkOutputLimit).Run(headingKind, appending);
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
