// What a run tells the windows and asks of them. The Qt forms implement it;
// the batch driver and the tests have their own. Every text is code page 932.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "inspect/TextFile.h"
#include "run/ExtractionPlan.h"
#include "run/RecordSelection.h"

namespace sifta {

// What the @ dialog hands back once its own checks have passed. A range width
// of 0 means that no text was entered (the series ends).
struct SubstitutionEntry {
  std::string rangeCurrent;  // the first text
  std::string rangeEnd;      // the last text of the range; rangeCurrent for a single text
  int rangeWidth = 0;        // length of the first text
  bool lastEntry = false;    // "これが最後の指定です" was checked
};

// The counts of a run that ended normally, and its end.
struct RunTotals {
  std::int64_t sourceRecords = 0;   // every record read, over all files
  std::int64_t extractRecords = 0;  // every record written
  std::string endTime;              // "hh:mm:ss"
  // The source files whose text ended at a 0x1A byte with more of the file
  // after it: the user is told that those bytes were not read.
  std::vector<std::string> endedAtMark;
  // The extracts that Excel cannot open whole, one notice each (also lines
  // of the record count list).
  std::vector<std::string> excelNotices;
};

// The engine reports what happens in a run, in the order it happens, and
// asks its questions; each layer decides what that means for its controls
// (what to fill, enable, disable and focus).
class WindowLayer : public ServiceHook {
 public:
  // ---- Before the checks ----

  // A run was asked for: what the run before showed (its counts, times and
  // record count list) is out of date.
  virtual void RunRequested() = 0;
  // The checks refused the run: its message, and where the focus goes.
  virtual void RunRefused(const PlanError& error) = 0;
  // A number of the conditions has no integer form (its error box, no beep).
  virtual void ConversionRefused(const std::string& text) = 0;

  // ---- The run ----

  // The checks passed; the run starts at `startTime` ("hh:mm:ss"). Until it
  // ends, stops or is abandoned, nothing that would change it may be used.
  virtual void RunStarted(const std::string& startTime) = 0;
  // Another iteration begins (the main window is repainted before each).
  virtual void IterationStarting() {}
  // A line of the record count list.
  virtual void ListLine(const std::string& line) = 0;
  // The source file of an iteration is about to be cut; `substitution` is the
  // series text, shown in a series. No cancel is asked for at its start.
  // While it is cut, ServicePendingEvents is called once for every record
  // read and answers whether the user has asked to cancel since.
  virtual void FileStarted(bool isSeries, const std::string& substitution) = 0;
  // The file is cut, or its cut stopped (a cancel, an error): its counts.
  virtual void FileDone(const FileRunResult& result) = 0;
  // The run came to its end: its totals and times shown, then its closing
  // messages (the bytes left after an end mark, when there are, and
  // "** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。"), each after a beep.
  virtual void RunEnded(const RunTotals& totals) = 0;
  // The run stopped on an input/output error: beep, then its error box.
  virtual void RunFailed(const IoError& error) = 0;
  // The run stopped on a refusal met on the way (an extract that is a
  // source, an extract another run writes): beep, then the message.
  virtual void RunStopped(const std::string& message) = 0;
  // The run stopped without a word (an @ entry was refused and no one can
  // type another).
  virtual void RunAbandoned() = 0;

  // ---- Questions ----

  // The @ dialog after a beep, modal, created for this showing. `promptPrefix` is
  // "最初の" or "つぎの", `doneText` the substitution text of the iteration
  // just done. Nothing when the dialog was closed by its close control.
  virtual std::optional<SubstitutionEntry> AskSubstitution(const std::string& promptPrefix,
                                                           const std::string& doneText) = 0;
  // Asked when AskSubstitution handed back nothing: true when the run is to
  // stop at once, without its end steps, because an entry was refused and no
  // one can type another (the batch driver). The windows keep the default: a
  // closed dialog ends the series and the run ends normally.
  virtual bool AbandonsRun() { return false; }

  // The local time of day, "hh:mm:ss" on a 24-hour clock.
  virtual std::string TimeOfDay();
};

}  // namespace sifta
