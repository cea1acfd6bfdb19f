// Cutting one source file into one extract file by a plan: the projected
// heading into a created extract file, then every record tested and its kept
// items written. The inner loop of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "inspect/FileLayout.h"
#include "inspect/TextFile.h"
#include "run/ExtractionPlan.h"
#include "scan/Scanning.h"

namespace sifta {

// Runs the pending window events; called once per record, after the cancel
// test and before the record is tested. Its cost is the window layer's
// business: an implementation that does real work only every few tens of
// milliseconds keeps the loop fast.
class ServiceHook {
 public:
  virtual ~ServiceHook() = default;
  virtual void ServicePendingEvents() = 0;
};

// sourceRecords counts every line the loop read (not the heading; the line on
// which a cancel was seen and the record that ended the loop early included);
// extractRecords counts the records written (not the heading). `failure` is a
// read or write error, which ended the file at once.
// `endMarkBeforeEnd`: the loop read to the end of the text, which ended at a
// 0x1A byte with more bytes of the file after it.
struct FileRunResult {
  std::int64_t sourceRecords = 0;
  std::int64_t extractRecords = 0;
  bool cancelled = false;
  std::optional<IoError> failure;
  bool endMarkBeforeEnd = false;
};

// Reads `source` from its first line to the end (or to the early stop) and
// writes to `extract`. The heading (when `headingKind` is not None) is written
// projected only when not `appending`. `cancelRequest` is read after every
// record read.
//
// The records are cut by `cutWorkers` threads besides this one (0: on this
// thread alone; no more than kMostCutWorkers are started), which may read
// the source ahead of the records counted; what the result says, what is
// written and when the windows are serviced are the same whatever their
// number. The records of a chunk whose output passes `chunkOutputLimit`
// bytes are cut here from there on, so that memory stays bounded however
// much output a record gives (tests make the limit small): each chunk in
// flight holds at most about that much output beside its block.
constexpr std::size_t kChunkOutputLimit = std::size_t{2} << 20;
FileRunResult ProcessSourceFile(const ExtractionPlan& plan, HeadingKind headingKind, LineReader& source,
                                LineWriter& extract, bool appending, const bool& cancelRequest,
                                ServiceHook& service, unsigned cutWorkers = 0,
                                std::size_t chunkOutputLimit = kChunkOutputLimit);

// The cutting threads a run uses unless told otherwise: one per hardware
// thread, at least two, at most the most a run starts (kMostCutWorkers).
unsigned DefaultCutWorkers();

}  // namespace sifta
