// What a run needs of the windows. The Qt forms implement it; the batch
// driver and the tests have their own. Every text is code page 932.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// The run values that the progress window changes while a file is processed.
// The run clears both at the start of every file; the window's cancel button
// sets cancelRequest, its timer raises elapsedMs by 1000 a tick.
struct RunSignals {
  bool cancelRequest = false;
  std::int32_t elapsedMs = 0;
};

// The result boxes that a run writes.
enum class ResultField {
  SourceTotal,   // Edit6 全元レコード数
  ExtractTotal,  // Edit3 抽出レコード数
  StartTime,     // Edit4 始め時間
  EndTime,       // Edit5 終り時間
  ListTotal,     // Edit1 of the record count list window, 全抽出レコード数
};

class WindowLayer : public ServiceHook {
 public:
  virtual void SetResultText(ResultField field, const std::string& text) = 0;

  // The record count list.
  virtual void ClearList() = 0;
  virtual void AppendListLine(const std::string& line) = 0;

  virtual void Beep() = 0;
  // A message box with OK; it does not beep by itself.
  virtual void ShowMessage(const std::string& text) = 0;
  // One beep, the message box, then the focus as the error says.
  virtual void ShowPlanError(const PlanError& error) = 0;
  // The error box of a number conversion, without a beep.
  virtual void ShowConversionError(const std::string& text) = 0;
  // The error box of an input/output error; it does not beep by itself.
  virtual void ShowIoError(const IoError& error) = 0;

  // The @ dialog, modal, created for this showing. `promptPrefix` is
  // "最初の" or "つぎの", `doneText` the substitution text of the iteration
  // just done. Nothing when the dialog was closed by its close control.
  virtual std::optional<SubstitutionEntry> AskSubstitution(const std::string& promptPrefix,
                                                           const std::string& doneText) = 0;
  // Asked when AskSubstitution handed back nothing: true when the run is to
  // stop at once, without its end steps, because an entry was refused and no
  // one can type another (the batch driver). The windows keep the default: a
  // closed dialog ends the series and the run ends normally.
  virtual bool AbandonsRun() { return false; }

  // The progress window of one file, shown (and painted) before the file is
  // processed and closed right after; `substitution` is shown in a series.
  virtual void ShowProgress(bool isSeries, const std::string& substitution, RunSignals& runSignals) = 0;
  virtual void CloseProgress() = 0;

  // A run is in progress: nothing that would change it may be used, and
  // "おわり" is disabled. Called with false when the run ends, by an error too.
  virtual void SetRunInProgress(bool inProgress) = 0;

  // Run end: "おわり", "レコード数一覧" and "抽出ﾌｧｲﾙ情報表示" are enabled.
  virtual void EnableAfterRun() = 0;
  // The focus goes to "おわり".
  virtual void FocusQuitButton() = 0;

  // The main window is repainted before each file.
  virtual void RepaintMain() {}

  // The local time of day, "hh:mm:ss" on a 24-hour clock.
  virtual std::string TimeOfDay();
};

}  // namespace sifta
