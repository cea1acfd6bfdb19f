#include "run/RecordSelection.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <thread>

#include "run/ChunkPipeline.h"
#include "run/RecordCutter.h"

namespace sifta {

namespace {

class RecordLoop {
 public:
  RecordLoop(const ExtractionPlan& plan, LineReader& source, LineWriter& extract, const bool& cancelRequest,
             ServiceHook& service, unsigned cutWorkers, std::size_t chunkOutputLimit)
      : plan_(plan),
        cutWorkers_(cutWorkers),
        chunkOutputLimit_(chunkOutputLimit),
        cutter_(plan),
        source_(source),
        extract_(extract),
        cancelRequest_(cancelRequest),
        service_(service) {}

  FileRunResult Run(HeadingKind headingKind, bool appending) {
    if (headingKind != HeadingKind::None) {
      const std::string_view heading = source_.ReadLine();
      if (Failed()) return Finish();
      if (!appending) {
        cutter_.Load(heading);
        extract_.Append(cutter_.OutputLineWithEnd(false));
        if (Failed()) return Finish();
        // The output of a long heading is not kept beside the chunks.
        if (cutWorkers_ > 0) cutter_.ReleaseOutputOver(chunkOutputLimit_);
      }
    }
    // No count range: no record is read.
    if (plan_.recordMode == RecordMode::Count && plan_.countRanges.empty()) return Finish();
    if (cutWorkers_ == 0)
      OneByOneLoop();
    else
      ChunkLoop();
    return Finish();
  }

 private:
  // Reads the next record, counts it, tests the cancel request and services
  // the window. False when the loop must end instead of testing the record.
  bool NextRecord(std::string_view& line) {
    line = source_.ReadLine();
    if (source_.Error()) {  // the line may be cut short: it is no record
      Failed();
      return false;
    }
    return CountRecord();
  }

  // Counts the record read, tests the cancel request and services the window.
  bool CountRecord() {
    ++result_.sourceRecords;
    if (cancelRequest_) return false;
    service_.ServicePendingEvents();
    return true;
  }

  // Cuts the record counted and writes it when the mode keeps it. False when
  // the loop must end after it: a write error, or no later record can be
  // kept (the first record beyond the last count range, or beyond the last
  // code range of a grouped key). Only a write error counts here: the reader
  // may have met its own error ahead of the record.
  bool KeepRecord(std::string_view line) {
    if (plan_.recordMode == RecordMode::Count) {
      const std::int64_t n = result_.sourceRecords;
      if (cutter_.CountKeeps(n)) {
        cutter_.Load(line);
        Write();
        if (extract_.Error()) return false;
      }
      return !cutter_.BeyondLastCount(n);
    }
    cutter_.Load(line);
    if (plan_.recordMode == RecordMode::All) {
      Write();
      return !extract_.Error();
    }
    const std::string_view key = cutter_.Key();
    const bool passedLastRange = stopsEarly_ && cutter_.BeyondLastRange(key);
    if (cutter_.KeyMatches(key) != plan_.extractAllExcept) {
      Write();
      if (extract_.Error()) return false;
    }
    return !passedLastRange;
  }

  // Writes the loaded record.
  void Write() {
    extract_.Append(cutter_.OutputLineWithEnd(true));
    ++result_.extractRecords;
  }

  // Every record read, cut and written in turn on this thread.
  void OneByOneLoop() {
    std::string_view line;
    while (!source_.AtEnd()) {
      if (!NextRecord(line) || !KeepRecord(line)) return;
    }
    Failed();
  }

  // Every record cut by the workers, then taken here in order as the loop
  // above takes them: counted, the cancel request tested, the window
  // serviced, the output written. The reader runs ahead of the records
  // taken, so what it met past them (a read error, the end of the text)
  // counts only once every chunk read is taken; a chunk read as a block
  // says itself what came after its lines.
  void ChunkLoop() {
    ChunkPipeline pipeline(plan_, cutWorkers_, chunkOutputLimit_);
    for (;;) {
      pipeline.ReadAhead(source_);
      const CutChunk* chunk = pipeline.Oldest();
      if (!chunk) break;
      if (!TakeChunk(*chunk)) {
        // An early stop at the last line of the text, when no line end
        // follows it, meets the end of the text, as the loops above would.
        sourceReadAhead_ = true;
        textEndMet_ = stoppedAtLastLine_ && (chunk->textEnds || pipeline.IsNewest(chunk));
        if (chunk->textEnds) blockMarkBeforeEnd_ = chunk->markBeforeEnd;
        return;
      }
      if (chunk->EndsTheLines()) {
        sourceReadAhead_ = true;
        if (chunk->textEnds) blockMarkBeforeEnd_ = chunk->markBeforeEnd;
        if (chunk->readError && !result_.failure) result_.failure = chunk->readError;
        break;
      }
      pipeline.Release();
    }
    Failed();
  }

  // False when the loop must end.
  bool TakeChunk(const CutChunk& chunk) {
    // The output of the records taken is appended in runs: a run that
    // cannot fill the writer's buffer gives what the records appended one
    // by one give, and no write error can show on its way. A record that
    // could fill it is appended by itself, when the loop on one thread
    // would append it.
    std::size_t run = 0;    // the output from here on is not appended yet
    std::size_t taken = 0;  // the output of the records taken ends here
    const auto appendRun = [&] {
      if (taken > run) extract_.Append(chunk.Output(run, taken));
      run = taken;
    };
    for (const std::size_t end : chunk.ends) {
      ++result_.sourceRecords;
      if (cancelRequest_) {
        appendRun();
        return false;
      }
      service_.ServicePendingEvents();
      if (end == taken) continue;  // not written
      ++result_.extractRecords;
      if (extract_.Buffered() + (end - run) >= extract_.BufferSize()) {
        appendRun();
        extract_.Append(chunk.Output(taken, end));
        run = end;
      }
      taken = end;
      if (extract_.Error()) return false;
    }
    appendRun();
    if (chunk.stopped) {
      stoppedAtLastLine_ = chunk.stoppedAtEnd;
      return false;
    }
    // The lines left uncut, as the loop on one thread takes them.
    for (std::size_t at = chunk.cutThrough; at < chunk.lines.size();) {
      const ChunkLine line = LineAt(chunk.lines, at);
      at = line.next;
      if (!CountRecord() || !KeepRecord(line.line)) {
        stoppedAtLastLine_ = at > chunk.lines.size();  // no line end after it
        return false;
      }
    }
    return true;
  }

  // Takes the first read or write error into the result; true when there is one.
  bool Failed() {
    if (result_.failure) return true;
    if (source_.Error() && !sourceReadAhead_)
      result_.failure = source_.Error();
    else if (extract_.Error())
      result_.failure = extract_.Error();
    return result_.failure.has_value();
  }

  FileRunResult Finish() {
    Failed();
    result_.cancelled = cancelRequest_;
    // A loop that stopped before the end of the text has not met its end.
    result_.endMarkBeforeEnd = !result_.cancelled && !result_.failure && textEndMet_ &&
                               (blockMarkBeforeEnd_ ? *blockMarkBeforeEnd_ : source_.EndMarkBeforeEnd());
    return result_;
  }

  const ExtractionPlan& plan_;
  const unsigned cutWorkers_;
  const std::size_t chunkOutputLimit_;
  const bool stopsEarly_ = plan_.grouping == CodeGrouping::GroupedInOrder && !plan_.extractAllExcept;
  // The chunk loop stopped before taking every chunk read: the reader's
  // errors lie past the records taken, and its end of text unless
  // textEndMet_.
  bool sourceReadAhead_ = false;
  bool textEndMet_ = true;
  bool stoppedAtLastLine_ = false;  // the chunk loop stopped at a line without a line end
  // The chunk loop's last chunk was a block that met the end of the text, or
  // stopped in it: whether an end mark with bytes after it ended the text.
  std::optional<bool> blockMarkBeforeEnd_;
  RecordCutter cutter_;
  LineReader& source_;
  LineWriter& extract_;
  const bool& cancelRequest_;
  ServiceHook& service_;
  FileRunResult result_;
};

}  // namespace

FileRunResult ProcessSourceFile(const ExtractionPlan& plan, HeadingKind headingKind, LineReader& source,
                                LineWriter& extract, bool appending, const bool& cancelRequest,
                                ServiceHook& service, unsigned cutWorkers, std::size_t chunkOutputLimit) {
  return RecordLoop(plan, source, extract, cancelRequest, service, cutWorkers, chunkOutputLimit)
      .Run(headingKind, appending);
}

unsigned DefaultCutWorkers() { return std::clamp(std::thread::hardware_concurrency(), 2u, kMostCutWorkers); }

}  // namespace sifta
