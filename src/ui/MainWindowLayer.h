// The window layer of a run from the main window: result fields, the record
// count list window, message boxes, the @ dialog, one progress window per
// file, the run's lock, and the servicing of window events from inside the
// record loop.
#pragma once

// The engine header first: its parameter names are Qt keywords.
#include "run/WindowLayer.h"

#include <QElapsedTimer>
#include <functional>
#include <memory>

class TForm1;
class TForm2;

namespace sifta {

class MainWindowLayer final : public WindowLayer {
 public:
  explicit MainWindowLayer(TForm1& form);
  ~MainWindowLayer() override;

  void SetResultText(ResultField field, const std::string& text) override;
  void ClearList() override;
  void AppendListLine(const std::string& line) override;
  void Beep() override;
  void ShowMessage(const std::string& text) override;
  void ShowPlanError(const PlanError& error) override;
  void ShowConversionError(const std::string& text) override;
  void ShowIoError(const IoError& error) override;
  std::optional<SubstitutionEntry> AskSubstitution(const std::string& promptPrefix,
                                                   const std::string& doneText) override;
  void ShowProgress(bool isSeries, const std::string& substitution, RunSignals& runSignals) override;
  void CloseProgress() override;
  void SetRunInProgress(bool inProgress) override;
  void EnableAfterRun() override;
  void FocusQuitButton() override;
  void RepaintMain() override;

  // Processes the pending window events when the service interval has passed
  // since the last time; otherwise it only counts (the clock is read every
  // few calls), so that calling it once per record costs next to nothing.
  void ServicePendingEvents() override;

  // 40 ms by default; 0 processes the events at every call.
  void SetServiceInterval(int milliseconds) { serviceIntervalMs_ = milliseconds; }

  // Called with the progress window of each file once it is shown, the files
  // counted from 1 within a run (tests act on the window through it).
  std::function<void(int file, TForm2& progress)> progressShown;

 private:
  TForm1& form_;
  std::unique_ptr<TForm2> progress_;
  int filesShown_ = 0;
  int serviceIntervalMs_ = 40;
  unsigned callsSinceClock_ = 0;
  QElapsedTimer sinceService_;
};

}  // namespace sifta
