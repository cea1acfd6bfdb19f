#include "ui/MainWindowLayer.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include "ui/Dialogs.h"
#include "ui/QtText.h"
#include "ui/Sifta1.h"
#include "ui/Sifta2.h"
#include "ui/Sifta7.h"
#include "ui/Sifta8.h"

namespace sifta {

namespace {

// The clock is read once in this many calls of ServicePendingEvents.
constexpr unsigned kCallsPerClockRead = 16;

}  // namespace

MainWindowLayer::MainWindowLayer(TForm1& form) : form_(form) { sinceService_.start(); }

MainWindowLayer::~MainWindowLayer() {
  if (Form2 == progress_.get()) Form2 = nullptr;
}

void MainWindowLayer::SetResultText(ResultField field, const std::string& text) {
  const QString shown = FromSj(text);
  switch (field) {
    case ResultField::SourceTotal:
      form_.Edit6->setText(shown);
      break;
    case ResultField::ExtractTotal:
      form_.Edit3->setText(shown);
      break;
    case ResultField::StartTime:
      form_.Edit4->setText(shown);
      break;
    case ResultField::EndTime:
      form_.Edit5->setText(shown);
      break;
    case ResultField::ListTotal:
      if (Form8) Form8->SetTotal(text);
      break;
  }
}

void MainWindowLayer::ClearList() {
  if (Form8) Form8->ClearList();
}

void MainWindowLayer::AppendListLine(const std::string& line) {
  if (Form8) Form8->AppendLine(line);
}

void MainWindowLayer::Beep() { Dialogs::Current().Beep(); }

void MainWindowLayer::ShowMessage(const std::string& text) {
  Dialogs::Current().Information(&form_, FromSj(text));
}

void MainWindowLayer::ShowPlanError(const PlanError& error) {
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

void MainWindowLayer::ShowConversionError(const std::string& text) {
  Dialogs::Current().Error(&form_, FromSj(text));
}

void MainWindowLayer::ShowIoError(const IoError& error) {
  // The run has beeped; an open progress window goes first.
  CloseProgress();
  Dialogs::Current().Error(&form_, FromSj(error.message));
}

std::optional<SubstitutionEntry> MainWindowLayer::AskSubstitution(const std::string& promptPrefix,
                                                                  const std::string& doneText) {
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

void MainWindowLayer::ShowProgress(bool isSeries, const std::string& substitution, RunSignals& runSignals) {
  // A new window for every file; the one made at start-up goes.
  CloseProgress();
  if (Form2) {
    delete Form2;
    Form2 = nullptr;
  }
  progress_ = std::make_unique<TForm2>(&form_);
  Form2 = progress_.get();
  progress_->SetUp(isSeries, substitution, runSignals);
  ++filesShown_;
  sinceService_.restart();
  if (progressShown) progressShown(filesShown_, *progress_);
}

void MainWindowLayer::CloseProgress() {
  if (!progress_) return;
  if (Form2 == progress_.get()) Form2 = nullptr;
  progress_->close();
  progress_.reset();
}

void MainWindowLayer::SetRunInProgress(bool inProgress) {
  if (inProgress) filesShown_ = 0;
  if (!inProgress) CloseProgress();
  form_.SetRunInProgress(inProgress);
}

void MainWindowLayer::EnableAfterRun() {
  form_.Button4->setEnabled(true);
  form_.Button6->setEnabled(true);
  form_.Button8->setEnabled(true);
}

void MainWindowLayer::FocusQuitButton() { form_.Button4->setFocus(); }

void MainWindowLayer::RepaintMain() { form_.repaint(); }

void MainWindowLayer::ServicePendingEvents() {
  if (serviceIntervalMs_ > 0) {
    if (++callsSinceClock_ < kCallsPerClockRead) return;
    callsSinceClock_ = 0;
    if (sinceService_.elapsed() < serviceIntervalMs_) return;
  }
  QCoreApplication::processEvents();
  sinceService_.restart();
}

}  // namespace sifta
