// The extract information window "抽出ファイルの情報": the layout of the
// extract file written for the inspected source file and the number of
// records the run wrote to it. The main window (Button8Click) reads the
// layout and fills this window.
#pragma once

#include <cstdint>

#include "inspect/FileLayout.h"
#include "ui/FileInformation.h"

class QLineEdit;

class TForm6 : public sifta::FileInformationWindow {
  Q_OBJECT

 public:
  // Label1 to Label6, the path box Edit5, the list Memo1 and Button1 "閉じる" are
  // the information window's; the numbered boxes below are this form's own.
  explicit TForm6(QWidget* owner);

  // Record count (" " + "#,#"), path, item, RID and BODY boxes and the list.
  void FillLayout(const sifta::FileLayout& extractLayout, std::int64_t extractRecordCount);

  QLineEdit* Edit1 = nullptr;  // extract record count
  QLineEdit* Edit2 = nullptr;  // item count
  QLineEdit* Edit3 = nullptr;  // RID item count
  QLineEdit* Edit4 = nullptr;  // BODY cell count
};

extern TForm6* Form6;
