// The extract information window "抽出ファイルの情報": the layout of the
// extract file written for the inspected source file and the number of
// records the run wrote to it. The main window (Button8Click) reads the
// layout and fills this window.
#pragma once

#include <QWidget>
#include <cstdint>

#include "inspect/FileLayout.h"
#include "ui/FileInformation.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TForm6 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm6(QWidget* owner);

  // Record count (" " + "#,#"), path, item, RID and BODY boxes and the list.
  void FillLayout(const sifta::FileLayout& extractLayout, std::int64_t extractRecordCount);

  void Button1Click();  // "閉じる"

  QLabel* Label1 = nullptr;         // "ファイル名："
  QLabel* Label2 = nullptr;         // "抽出ﾚｺｰﾄﾞ数："
  QLabel* Label3 = nullptr;         // "全項目数："
  QLabel* Label4 = nullptr;         // "ＲＩＤの項目数："
  QLabel* Label5 = nullptr;         // "ＢＯＤＹのセル数："
  QLabel* Label6 = nullptr;         // "全項目の一覧："
  QLineEdit* Edit1 = nullptr;       // extract record count
  QLineEdit* Edit2 = nullptr;       // item count
  QLineEdit* Edit3 = nullptr;       // RID item count
  QLineEdit* Edit4 = nullptr;       // BODY cell count
  QLineEdit* Edit5 = nullptr;       // path
  QPlainTextEdit* Memo1 = nullptr;  // all items
  QPushButton* Button1 = nullptr;   // "閉じる"

 private:
  sifta::FileInformationControls controls_;
};

extern TForm6* Form6;
