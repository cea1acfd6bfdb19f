// The source information window "元ファイルの情報": the layout of the current
// source file, its record count when it has been counted, and the list of all
// items. The main window (Button7Click) decides when to count and fill.
#pragma once

#include <QWidget>
#include <cstdint>

#include "inspect/FileLayout.h"
#include "ui/FileInformation.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TForm4 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm4(QWidget* owner);

  // The path (the layout's fileName), item, RID and BODY boxes and the list.
  void FillLayout(const sifta::FileLayout& layout);
  // " " + the count grouped by threes (0 gives a single blank).
  void SetRecordCount(std::int64_t count);
  void ClearRecordCount();
  // The record count box is not empty: the records have been counted.
  bool HasRecordCount() const;

  void Button1Click();  // "閉じる"

  QLabel* Label1 = nullptr;         // "ファイル名："
  QLabel* Label2 = nullptr;         // "レコード数："
  QLabel* Label3 = nullptr;         // "全項目数："
  QLabel* Label4 = nullptr;         // "ＲＩＤの項目数："
  QLabel* Label5 = nullptr;         // "ＢＯＤＹのセル数："
  QLabel* Label6 = nullptr;         // "全項目の一覧："
  QLineEdit* Edit1 = nullptr;       // RID item count
  QLineEdit* Edit2 = nullptr;       // BODY cell count
  QLineEdit* Edit3 = nullptr;       // record count
  QLineEdit* Edit4 = nullptr;       // item count
  QLineEdit* Edit5 = nullptr;       // path
  QPlainTextEdit* Memo1 = nullptr;  // all items
  QPushButton* Button1 = nullptr;   // "閉じる"

 private:
  sifta::FileInformationControls controls_;
};

extern TForm4* Form4;
