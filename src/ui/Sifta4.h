// The source information window "元ファイルの情報": the layout of the current
// source file, its record count when it has been counted, and the list of all
// items. The main window (Button7Click) decides when to count and fill.
#pragma once

#include <cstdint>

#include "inspect/FileLayout.h"
#include "ui/FileInformation.h"

class QLineEdit;

class TForm4 : public sifta::FileInformationWindow {
  Q_OBJECT

 public:
  // Label1 to Label6, the path box Edit5, the list Memo1 and Button1 "閉じる" are
  // the information window's; the numbered boxes below are this form's own.
  explicit TForm4(QWidget* owner);

  // The path (the layout's fileName), item, RID and BODY boxes and the list.
  void FillLayout(const sifta::FileLayout& layout);
  // " " + the count grouped by threes (0 gives a single blank).
  void SetRecordCount(std::int64_t count);
  void ClearRecordCount();
  // The record count box is not empty: the records have been counted.
  bool HasRecordCount() const;

  QLineEdit* Edit1 = nullptr;  // RID item count
  QLineEdit* Edit2 = nullptr;  // BODY cell count
  QLineEdit* Edit3 = nullptr;  // record count
  QLineEdit* Edit4 = nullptr;  // item count
};

extern TForm4* Form4;
