// A whole run, from the press of "抽出する" to the closing message: the result
// fields and the record count list emptied, the conditions checked into a
// plan, then one iteration per source file (one file, or a file series named
// with @ and fed by the @ dialog), each opening its source file, creating or
// appending to its extract file and cutting the one into the other; at the
// end the totals and the times. The run reaches the windows only through the
// WindowLayer, so it runs the same under the Qt forms, the batch driver and
// the tests.
//
// File names are UTF-8 paths; the texts of the window layer (list lines,
// messages, the @ entries) are code page 932.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "inspect/FileLayout.h"
#include "run/ExtractionConditions.h"
#include "run/FileOutput.h"
#include "run/RecordSelection.h"
#include "run/WindowLayer.h"

namespace sifta {

// What outlives a run; the main window keeps it. Each run starts it afresh,
// so a second run neither adds to the totals of the first nor appends to its
// last extract file. The extract information window reads the information
// extract file (the extract of the file whose layout the run used) and the
// records written to it.
struct RunRecord {
  std::string informationExtractFile;  // UTF-8 path; empty until a run writes it
  std::int64_t informationExtractCount = 0;
  bool informationExtractUtf8 = false;  // it was written in UTF-8
  std::int64_t sourceTotal = 0;
  std::int64_t extractTotal = 0;
  std::string previousExtractFile;  // the extract file of the iteration before
  // The run ended on a cancel request; the extract file of that iteration
  // holds only the records written before it (UTF-8 path).
  bool cancelled = false;
  std::string cancelledExtractFile;
  int rangeWidth = 0;  // length of the first text of the last @ entry
};

enum class RunOutcome {
  Refused,    // the conditions were refused (the message is shown); no file was opened
  Finished,   // the run end steps ran: after the last file, a cancel, or the end of the @ entries
  Failed,     // stopped by an input/output error or an extract file that is a source
              // file of the run; the message is shown, the run end steps are not
  Abandoned,  // the window layer gave up asking for @ entries (WindowLayer::AbandonsRun)
};

// How a run uses the machine; nothing of it changes what a run does.
struct RunOptions {
  // Threads that cut records besides the one that reads, counts and writes
  // (0: every record cut by that one).
  unsigned cutWorkers = DefaultCutWorkers();
  // The lines of a part of an extract split for Excel (tests make it small).
  std::int64_t partLines = kExcelRows;
};

// The handler of "抽出する". `layout` is the layout of the chosen source file;
// `record` is reset at the start and filled during the run.
RunOutcome RunExtraction(const ExtractionConditions& conditions, const FileLayout& layout,
                         WindowLayer& windows, RunRecord& record, const RunOptions& options = {});

// Pieces of the run, usable on their own.

// The member after `current` in a numeric range: its value plus 1, written
// with as many digits as `current` has, leading zeros kept ("009" gives "010",
// "7" gives "8"). `current` is 1 to 8 digits.
std::string StepRangeText(std::string_view current);

// `name` with every '@' replaced by `text`.
std::string ReplacePlaceholder(std::string_view name, std::string_view text);

// Whether the two paths name the same file: for two files on disk, the same
// identity (device and inode, or volume and file index: another spelling of
// the name, a hard or symbolic link); otherwise the same path once made
// absolute and normalised (symbolic links resolved).
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace sifta
