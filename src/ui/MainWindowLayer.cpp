#include "ui/MainWindowLayer.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include "run/RunMessages.h"
#include "scan/NumberText.h"
#include "ui/Dialogs.h"
#include "ui/FileInformation.h"
#include "ui/QtText.h"
#include "ui/Sifta1.h"
#include "ui/Sifta2.h"
#include "ui/Sifta7.h"
#include "ui/Sifta8.h"

namespace sifta {

namespace {

// The clock is read once in this many calls of ServicePendingEvents.
constexpr unsigned kCallsPerClockRead = 16;
// The progress window's bar, records and time left are updated this often.
constexpr qint64 kProgressMs = 250;

// A time of day as the time boxes show it, after one blank.
QString TimeBoxText(const std::string& time) { return QStringLiteral(" ") + FromSj(time); }

}  // namespace

MainWindowLayer::MainWindowLayer(TForm1& form) : form_(form) { sinceService_.start(); }

MainWindowLayer::~MainWindowLayer() {
  if (Form2 == progress_.get()) Form2 = nullptr;
}

void MainWindowLayer::RunRequested() {
  for (QLineEdit* box : {form_.Edit6, form_.Edit3, form_.Edit4, form_.Edit5}) box->clear();
  if (Form8) Form8->ClearList();
}

void MainWindowLayer::RunRefused(const PlanError& error) {
  Dialogs::Current().Beep();
  Dialogs::Current().Information(&form_, FromSj(error.message));
  switch (error.focus) {
    case FocusTarget::SourceButton:
      form_.Button1->setFocus();
      break;
    case FocusTarget::ExtractButton:
      form_.Button2->setFocus();
      break;
    case FocusTarget::Unchanged:
      break;
  }
}

void MainWindowLayer::ConversionRefused(const std::string& text) {
  Dialogs::Current().Error(&form_, FromSj(text));
}

void MainWindowLayer::RunStarted(const std::string& startTime) {
  filesShown_ = 0;
  form_.SetRunInProgress(true);
  form_.Edit4->setText(TimeBoxText(startTime));
  form_.Edit5->setText(QStringLiteral(" "));
}

void MainWindowLayer::IterationStarting() { form_.repaint(); }

void MainWindowLayer::ListLine(const std::string& line) {
  if (Form8) Form8->AppendLine(line);
}

void MainWindowLayer::FileStarted(bool isSeries, const std::string& substitution) {
  // A new window for every file; the one made at start-up goes.
  CloseProgress();
  if (Form2) {
    delete Form2;
    Form2 = nullptr;
  }
  progress_ = std::make_unique<TForm2>(&form_);
  Form2 = progress_.get();
  progress_->SetUp(isSeries, substitution);
  ++filesShown_;
  sinceService_.restart();
  sinceProgress_.invalidate();
  if (progressShown) progressShown(filesShown_, *progress_);
}

void MainWindowLayer::FileDone(const FileRunResult&) { CloseProgress(); }

void MainWindowLayer::RunEnded(const RunTotals& totals) {
  Dialogs::Current().Beep();
  Unlock();
  form_.Button4->setEnabled(true);
  form_.Button6->setEnabled(true);
  form_.Button8->setEnabled(true);
  form_.Edit6->setText(CountBoxText(totals.sourceRecords));
  form_.Edit3->setText(CountBoxText(totals.extractRecords));
  form_.Edit5->setText(TimeBoxText(totals.endTime));
  form_.Button4->setFocus();
  if (Form8) {
    std::string total = " ";
    total += FormatCount(totals.extractRecords);
    Form8->SetTotal(total);
  }
  if (!totals.endedAtMark.empty()) {
    // The text rule ends a file at 0x1A; the user learns that bytes were left.
    Dialogs::Current().Information(&form_, FromSj(EndMarkNoticeMessage(totals.endedAtMark)));
    Dialogs::Current().Beep();
  }
  if (!totals.excelNotices.empty()) {
    std::string notices;
    for (const std::string& notice : totals.excelNotices) notices += (notices.empty() ? "" : "\r\n") + notice;
    Dialogs::Current().Information(&form_, FromSj(notices));
  }
  Dialogs::Current().Information(&form_, FromSj(FinishedMessage()));
}

void MainWindowLayer::RunFailed(const IoError& error) {
  Unlock();
  Dialogs::Current().Beep();
  Dialogs::Current().Error(&form_, FromSj(error.message));
}

void MainWindowLayer::RunStopped(const std::string& message) {
  Unlock();
  Dialogs::Current().Beep();
  Dialogs::Current().Information(&form_, FromSj(message));
}

void MainWindowLayer::RunAbandoned() { Unlock(); }

std::optional<SubstitutionEntry> MainWindowLayer::AskSubstitution(const std::string& promptPrefix,
                                                                  const std::string& doneText) {
  Dialogs::Current().Beep();
  // The dialog exists only while it is shown; the one made at start-up goes.
  if (Form7) {
    delete Form7;
    Form7 = nullptr;
  }
  TForm7 dialog(&form_, promptPrefix, doneText);
  Form7 = &dialog;
  std::optional<SubstitutionEntry> entry = dialog.Ask();
  Form7 = nullptr;
  return entry;
}

void MainWindowLayer::Unlock() {
  CloseProgress();
  form_.SetRunInProgress(false);
}

void MainWindowLayer::CloseProgress() {
  if (!progress_) return;
  if (Form2 == progress_.get()) Form2 = nullptr;
  progress_->close();
  progress_.reset();
}

bool MainWindowLayer::ServicePendingEvents() {
  if (serviceIntervalMs_ > 0) {
    if (++callsSinceClock_ < kCallsPerClockRead) return CancelRequest();
    callsSinceClock_ = 0;
    if (sinceService_.elapsed() < serviceIntervalMs_) return CancelRequest();
  }
  QCoreApplication::processEvents();
  sinceService_.restart();
  // How far the file is, a few times a second.
  if (progress_ && Progress() && (!sinceProgress_.isValid() || sinceProgress_.elapsed() >= kProgressMs)) {
    progress_->ShowProgress(*Progress());
    sinceProgress_.start();
  }
  return CancelRequest();
}

bool MainWindowLayer::CancelRequest() const { return progress_ && progress_->cancelRequest; }

}  // namespace sifta
