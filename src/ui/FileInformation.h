// What the source and the extract information windows have in common: the
// same labels, boxes, item list and close button at the same places, and the
// same way of showing a layout. Each window names its boxes as its own form
// does (the record count is Edit3 in one and Edit1 in the other), so the
// numbered boxes Edit1 to Edit4 are the windows' own; the path box is Edit5
// in both.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "inspect/FileLayout.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sifta {

class FileInformationWindow : public QWidget {
  Q_OBJECT

 public:
  void Button1Click();  // "閉じる"

  QLabel* Label1 = nullptr;         // "ファイル名："
  QLabel* Label2 = nullptr;         // the record count's label
  QLabel* Label3 = nullptr;         // "全項目数："
  QLabel* Label4 = nullptr;         // "ＲＩＤの項目数："
  QLabel* Label5 = nullptr;         // "ＢＯＤＹのセル数："
  QLabel* Label6 = nullptr;         // "全項目の一覧："
  QLineEdit* Edit5 = nullptr;       // path
  QPlainTextEdit* Memo1 = nullptr;  // all items
  QPushButton* Button1 = nullptr;   // "閉じる"

 protected:
  // The object names of the four numbered boxes in a window.
  struct BoxNames {
    const char* count;
    const char* items;
    const char* rid;
    const char* body;
  };

  // Builds the controls (caption, colour, fonts, places) into a window of
  // the form name `formName`.
  FileInformationWindow(QWidget* owner, const char* formName, const QString& caption,
                        const QColor& background, const QString& countLabel, const BoxNames& names);

  // The path, item, RID and BODY boxes and the all-items list of `layout`.
  void ShowFileLayout(const FileLayout& layout);

  QLineEdit* countBox_ = nullptr;
  QLineEdit* itemsBox_ = nullptr;
  QLineEdit* ridBox_ = nullptr;
  QLineEdit* bodyBox_ = nullptr;
};

// A record count as a box shows it: one blank, then "#,#" (0 shows the blank alone).
QString CountBoxText(std::int64_t count);

}  // namespace sifta
