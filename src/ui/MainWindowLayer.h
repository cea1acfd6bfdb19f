// The window layer of a run from the main window: what each event of a run
// means for the main window's boxes and buttons (the order of those steps is
// the main window's), the record count list window, message boxes, the @
// dialog, one progress window per file, the run's lock, and the servicing of
// window events from inside the record loop.
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

  void RunRequested() override;
  void RunRefused(const PlanError& error) override;
  void ConversionRefused(const std::string& text) override;
  void RunStarted(const std::string& startTime) override;
  void IterationStarting() override;
  void ListLine(const std::string& line) override;
  void FileStarted(bool isSeries, const std::string& substitution) override;
  void FileDone(const FileRunResult& result) override;
  void RunEnded(const RunTotals& totals) override;
  void RunFailed(const IoError& error) override;
  void RunStopped(const std::string& message) override;
  void RunAbandoned() override;
  std::optional<SubstitutionEntry> AskSubstitution(const std::string& promptPrefix,
                                                   const std::string& doneText) override;

  // Whatever ended a run, the main window is unlocked and the progress
  // window gone.
  void Unlock();

  // Processes the pending window events when the service interval has passed
  // since the last time; otherwise it only counts (the clock is read every
  // few calls), so that calling it once per record costs next to nothing.
  // Answers the progress window's cancel request.
  bool ServicePendingEvents() override;

  // 40 ms by default; 0 processes the events at every call.
  void SetServiceInterval(int milliseconds) { serviceIntervalMs_ = milliseconds; }

  // Called with the progress window of each file once it is shown, the files
  // counted from 1 within a run (tests act on the window through it).
  std::function<void(int file, TForm2& progress)> progressShown;

 private:
  void CloseProgress();
  bool CancelRequest() const;

  TForm1& form_;
  std::unique_ptr<TForm2> progress_;
  int filesShown_ = 0;
  int serviceIntervalMs_ = 40;
  unsigned callsSinceClock_ = 0;
  QElapsedTimer sinceService_;
  QElapsedTimer sinceProgress_;  // since the progress window last showed how far the file is
};

}  // namespace sifta
