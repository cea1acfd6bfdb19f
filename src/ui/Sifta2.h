// The progress window "実行状況…" of one source file: the elapsed time of the
// file, the substitution text in a series, and the cancel button. The run
// creates a new one for every file (owner: the main window), calls SetUp,
// services events while the file is processed and deletes the window when the
// file is done. Nothing but the cancel request reaches the run from here: it
// is the answer of the run's service hook. Below the described controls, a
// bar of the share of the file read, the records read and the time left,
// which the window layer updates a few times a second (ShowProgress).
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <string>

#include "run/RecordSelection.h"

class QLabel;
class QProgressBar;
class QLineEdit;
class QPushButton;
class QTimer;

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* owner);

  // Label3/Edit2 visible with " " + substitution in a series, hidden
  // otherwise; the colours; Timer1 at 1000 ms (which starts it); shown and
  // painted at once.
  void SetUp(bool isSeries, const std::string& substitution);

  // A tick: the elapsed time grows by 1000 ms and Edit1 shows " hh:mm:ss".
  void Timer1Timer();
  // "キャンセル": beep, "キャンセルしますか？"; on Yes the timer stops and the
  // cancel request is set.
  void Button1Click();

  // How far the file is: the bar (hidden while its size is unknown), the
  // records read and the time left at the pace since SetUp.
  void ShowProgress(const sifta::FileProgress& progress);

  QLabel* Label1 = nullptr;        // "　実行中です。しばらくお待ちください…　"
  QLabel* Label2 = nullptr;        // "経過時間："
  QLabel* Label3 = nullptr;        // "＠文字："
  QLineEdit* Edit1 = nullptr;      // the elapsed time
  QLineEdit* Edit2 = nullptr;      // the substitution text
  QPushButton* Button1 = nullptr;  // "キャンセル"
  QTimer* Timer1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QLabel* Label4 = nullptr;    // "ﾚｺｰﾄﾞ数："
  QLineEdit* Edit3 = nullptr;  // the records read
  QLabel* Label5 = nullptr;    // "残り時間："
  QLineEdit* Edit4 = nullptr;  // the time left

  // The cancel request, set by "キャンセル" (the run reads it as the answer
  // of its service hook), and the elapsed time of the file, in ms.
  bool cancelRequest = false;
  std::int32_t elapsedMs = 0;

 protected:
  // The window's own close control (a spontaneous close from the window
  // system) acts as "キャンセル" and leaves the window open; a close by the
  // program (QWidget::close) is accepted.
  void closeEvent(QCloseEvent* event) override;

 private:
  bool asking_ = false;  // the confirmation box is open
  QElapsedTimer sinceSetUp_;
};

// The progress window of the file being processed, or nullptr.
extern TForm2* Form2;
