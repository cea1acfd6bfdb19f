// The window layer of sifta-batch: the record count list on standard output,
// the messages on standard error (both UTF-8), the @ dialog answered from the
// conditions file, a progress line on standard error when it is a terminal,
// and Ctrl-C as the progress window's cancel button.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "run/SubstitutionRules.h"
#include "run/WindowLayer.h"

namespace sifta::batch {

// The terminal's form of a program text: UTF-8, every line break as one LF.
std::string TerminalText(const std::string& cp932);

class TerminalWindows : public WindowLayer {
 public:
  TerminalWindows(std::vector<SubstitutionTexts> entries, std::FILE* list, std::FILE* messages);
  ~TerminalWindows() override;

  void RunRequested() override {}
  void RunRefused(const PlanError& error) override;
  void ConversionRefused(const std::string& text) override;
  void RunStarted(const std::string& startTime) override;
  void ListLine(const std::string& line) override;
  void FileStarted(bool isSeries, const std::string& substitution) override;
  void FileDone(const FileRunResult& result) override;
  // Ctrl-C is the cancel request.
  bool ServicePendingEvents() override;
  void RunEnded(const RunTotals& totals) override;
  void RunFailed(const IoError& error) override;
  void RunStopped(const std::string& message) override;
  void RunAbandoned() override;

  // The next entry of the conditions file, checked by the dialog's rules. No
  // entry left: the dialog is closed, the series ends. A refused entry: its
  // message, and the run is abandoned (nobody can type another).
  std::optional<SubstitutionEntry> AskSubstitution(const std::string& promptPrefix,
                                                   const std::string& doneText) override;
  bool AbandonsRun() override { return abandoned_; }

  bool IoErrorShown() const { return ioErrorShown_; }
  // The errno value of the first failed write of the record count list, or 0.
  int ListError() const { return listError_; }

 private:
  void Say(const std::string& cp932);
  void DrawProgress();

  std::deque<SubstitutionTexts> entries_;
  std::FILE* list_;
  std::FILE* messages_;
  bool abandoned_ = false;
  bool ioErrorShown_ = false;
  int listError_ = 0;

  // Progress of the current file.
  bool showProgress_;         // standard error is a terminal
  std::string substitution_;  // UTF-8, empty outside a series
  std::int64_t serviced_ = 0;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point drawn_;
  bool lineDrawn_ = false;
};

}  // namespace sifta::batch
