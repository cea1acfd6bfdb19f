// Cutting one source file into one extract file by a plan: the projected
// heading into a created extract file, then every record tested and its kept
// items written. The inner loop of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "inspect/FileLayout.h"
#include "inspect/TextFile.h"
#include "run/ExtractionPlan.h"
#include "run/FileOutput.h"
#include "run/WorkerPool.h"
#include "scan/Scanning.h"

namespace sifta {

// How far the record loop has come in its source file, chunk by chunk: the
// bytes of the lines it has taken of the file's `sourceBytes` (0 when the
// size is not known: a pipe), and the records among them.
struct FileProgress {
  std::int64_t sourceBytes = 0;
  std::int64_t bytesTaken = 0;
  std::int64_t records = 0;
};

// Runs the pending window events; called once per record, after the cancel
// test and before the record is tested, and answers whether the user has
// asked to cancel (the progress window's キャンセル, confirmed) since the
// file began: the cancel request, which the loop tests after the next record
// read. Its cost is the window layer's business: an implementation that does
// real work only every few tens of milliseconds keeps the loop fast.
class ServiceHook {
 public:
  virtual ~ServiceHook() = default;
  virtual bool ServicePendingEvents() = 0;

  // While a file is cut, how far the loop has come in it (for a progress
  // display to read when it services the windows); null otherwise.
  const FileProgress* Progress() const { return progress_; }
  void WatchProgress(const FileProgress* progress) { progress_ = progress; }

 private:
  const FileProgress* progress_ = nullptr;
};

// An extract written in parts (ExtractionPlan::splitForExcel): the record
// loop asks for the next part before a record that the current part has no
// room for.
class ExtractParts {
 public:
  virtual ~ExtractParts() = default;
  // Records the current part takes before the next one must begin.
  virtual std::int64_t Room() const = 0;
  // The current part is full: it is finished and the next one begun, with
  // `heading` (the heading line as written, CR LF included; empty without
  // one). The next part's writer, or the error that ends the file.
  virtual std::variant<LineWriter*, IoError> NextPart(std::string_view heading) = 0;
};

// How the cut of a file ended, one of three:
struct FileDone {
  // The loop met the end of the text, which ended at a 0x1A byte with more
  // bytes of the file after it.
  bool endMarkBeforeEnd = false;
};
// The cancel request was set when the loop ended: it stopped on it, or it
// was confirmed while the last record was serviced.
struct FileCancelled {};
// A read or write error, or no memory left, ended the file at once.
struct FileFailed {
  IoError error;
};

// sourceRecords counts every line the loop read (not the heading; the line on
// which a cancel was seen and the record that ended the loop early included);
// extractRecords counts the records written (not the heading).
struct FileRunResult {
  std::int64_t sourceRecords = 0;
  std::int64_t extractRecords = 0;
  std::variant<FileDone, FileCancelled, FileFailed> end;

  bool Cancelled() const { return std::holds_alternative<FileCancelled>(end); }
  const IoError* Failure() const {
    const auto* failed = std::get_if<FileFailed>(&end);
    return failed ? &failed->error : nullptr;
  }
  bool EndMarkBeforeEnd() const {
    const auto* done = std::get_if<FileDone>(&end);
    return done && done->endMarkBeforeEnd;
  }
};

// Reads `source` from its first line to the end (or to the early stop) and
// writes to `extract`. The heading (when `headingKind` is not None) is written
// projected only when not `appending`. The service hook's answer is the
// cancel request, tested after every record read.
//
// The records are cut by the threads of `workers` (on this thread when it
// has none), which may read the source ahead of the records counted; what
// the result says, what is written and when the windows are serviced are
// the same whatever their number. The records of a chunk whose output passes
// `chunkOutputLimit` bytes are cut here from there on, so that memory stays
// bounded however much output a record gives (tests make the limit small):
// each chunk in flight holds at most about that much output beside its
// block. No exception leaves it: running out of memory fails the file.
// `output` gives the records' form (FileOutput); a line with no UTF-8 form,
// when it asks for UTF-8, fails the file at that record. With `parts`, the
// records go into the parts it gives, `extract` being the current one.
constexpr std::size_t kChunkOutputLimit = std::size_t{2} << 20;
FileRunResult ProcessSourceFile(const ExtractionPlan& plan, HeadingKind headingKind, LineReader& source,
                                LineWriter& extract, bool appending, ServiceHook& service,
                                WorkerPool& workers, std::size_t chunkOutputLimit = kChunkOutputLimit,
                                const FileOutput& output = {}, ExtractParts* parts = nullptr);
// The same with a pool of `cutWorkers` threads of its own (0: none).
FileRunResult ProcessSourceFile(const ExtractionPlan& plan, HeadingKind headingKind, LineReader& source,
                                LineWriter& extract, bool appending, ServiceHook& service,
                                unsigned cutWorkers = 0, std::size_t chunkOutputLimit = kChunkOutputLimit);

// The cutting threads a run uses unless told otherwise: one per hardware
// thread, at least two, at most the most a pool starts (kMostCutWorkers).
unsigned DefaultCutWorkers();

}  // namespace sifta
