#include "ui/Sifta2.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "run/ProgressEstimate.h"
#include "scan/NumberText.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/QtText.h"
#include "ui/WindowMessages.h"

TForm2* Form2 = nullptr;

namespace {

constexpr std::int32_t kTickMs = 1000;
constexpr std::int32_t kDayMs = 24 * 60 * 60 * 1000;

using sifta::MakeButton;
using sifta::MakeEdit;
using sifta::PixelFont;
using sifta::Place;
using sifta::SetBackground;

}  // namespace

TForm2::TForm2(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(sifta::Ui("実行状況…"));
  setFixedSize(382, 158);
  setFont(PixelFont("ＭＳ Ｐゴシック", 12));

  Label1 =
      Place(new QLabel(sifta::Ui("　実行中です。しばらくお待ちください…　"), this), "Label1", 16, 8, 350, 26);
  Label1->setFont(PixelFont("ＭＳ Ｐゴシック", 16, true));
  Label1->setAlignment(Qt::AlignCenter);

  Label3 = Place(new QLabel(sifta::Ui("＠文字："), this), "Label3", 16, 46, 64, 20);
  Edit2 = MakeEdit(this, "Edit2", 80, 44, 150);
  Edit2->setReadOnly(true);

  Label2 = Place(new QLabel(sifta::Ui("経過時間："), this), "Label2", 16, 75, 64, 20);
  Edit1 = MakeEdit(this, "Edit1", 80, 73, 100);
  Edit1->setReadOnly(true);
  Edit1->setFont(PixelFont("ＭＳ Ｐゴシック", 12, true));

  Button1 = MakeButton(this, "Button1", sifta::Ui("キャンセル"), 262, 56, 100, 32);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

  // How far the file is, below the described controls.
  ProgressBar1 = Place(new QProgressBar(this), "ProgressBar1", 16, 104, 346, 16);
  ProgressBar1->setRange(0, 1000);
  ProgressBar1->setFormat(QStringLiteral("%p%"));
  Label4 = Place(new QLabel(sifta::Ui("ﾚｺｰﾄﾞ数："), this), "Label4", 16, 130, 64, 20);
  Edit3 = MakeEdit(this, "Edit3", 80, 128, 100);
  Edit3->setReadOnly(true);
  Edit3->setAlignment(Qt::AlignRight);
  Label5 = Place(new QLabel(sifta::Ui("残り時間："), this), "Label5", 196, 130, 64, 20);
  Edit4 = MakeEdit(this, "Edit4", 262, 128, 100);
  Edit4->setReadOnly(true);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TForm2::SetUp(bool isSeries, const std::string& substitution) {
  cancelRequest = false;
  elapsedMs = 0;
  Label3->setVisible(isSeries);
  Edit2->setVisible(isSeries);
  if (isSeries) Edit2->setText(QStringLiteral(" ") + sifta::FromSj(substitution));
  SetBackground(this, QColor(230, 203, 254));
  SetBackground(Label1, QColor(255, 255, 157));
  ProgressBar1->setValue(0);
  ProgressBar1->setVisible(true);
  Edit3->clear();
  Edit4->clear();
  sinceSetUp_.start();
  Timer1->start(kTickMs);
  show();
  // Painted now: the run gives the event loop its turn only between records.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  repaint();
}

void TForm2::Timer1Timer() {
  // The display starts again at 00:00:00 past 24 hours; keeping the count
  // within a day keeps it from overflowing on very long runs.
  elapsedMs = (elapsedMs % kDayMs + kTickMs) % kDayMs;
  const std::int32_t seconds = elapsedMs / 1000;
  char text[16];
  std::snprintf(text, sizeof text, " %02d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  Edit1->setText(QString::fromLatin1(text));
}

void TForm2::ShowProgress(const sifta::FileProgress& progress) {
  const std::optional<int> perMille = sifta::PerMilleTaken(progress);
  ProgressBar1->setVisible(perMille.has_value());
  if (perMille) ProgressBar1->setValue(*perMille);
  Edit3->setText(QString::fromStdString(sifta::FormatCount(progress.records)) + QLatin1Char(' '));
  const std::optional<std::int64_t> left = sifta::SecondsLeft(progress, sinceSetUp_.elapsed());
  Edit4->setText(left ? QStringLiteral(" ") + QString::fromStdString(sifta::ClockText(*left)) : QString());
}

void TForm2::Button1Click() {
  if (asking_) return;
  asking_ = true;
  sifta::Dialogs& dialogs = sifta::Dialogs::Current();
  dialogs.Beep();
  const auto answer = dialogs.Question(this, sifta::Ui(sifta::window_messages::kCancelQuestion), false,
                                       sifta::Ui("確認"), sifta::Ui("はい(&Y)"), sifta::Ui("いいえ(&N)"));
  asking_ = false;
  if (answer != sifta::Dialogs::Answer::Yes) return;
  Timer1->stop();
  cancelRequest = true;
}

void TForm2::closeEvent(QCloseEvent* event) {
  if (!event->spontaneous()) {
    event->accept();
    return;
  }
  // The run removes this window itself when the file is done.
  event->ignore();
  Button1Click();
}
