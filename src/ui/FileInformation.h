// What the source and the extract information windows have in common: the
// same labels, boxes, item list and close button at the same places, and the
// same way of showing a layout. Each window names its boxes as its own form
// does (the record count is Edit3 in one and Edit1 in the other).
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

#include "inspect/FileLayout.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace sifta {

struct FileInformationControls {
  QLabel* labels[6] = {};  // Label1..Label6
  QLineEdit* path = nullptr;
  QLineEdit* count = nullptr;
  QLineEdit* items = nullptr;
  QLineEdit* rid = nullptr;
  QLineEdit* body = nullptr;
  QPlainTextEdit* list = nullptr;  // Memo1
  QPushButton* close = nullptr;    // Button1 "閉じる"
};

// The object names of the five boxes in a window.
struct FileInformationBoxNames {
  const char* path;
  const char* count;
  const char* items;
  const char* rid;
  const char* body;
};

// Builds the controls into `window` (caption, colour, fonts, places); the
// close button closes the window.
FileInformationControls BuildFileInformationWindow(QWidget* window, const QString& caption,
                                                   const QColor& background, const QString& countLabel,
                                                   const FileInformationBoxNames& names);

// The path, item, RID and BODY boxes and the all-items list of `layout`.
void ShowFileLayout(const FileInformationControls& controls, const FileLayout& layout);

// A record count as a box shows it: one blank, then "#,#" (0 shows the blank alone).
QString CountBoxText(std::int64_t count);

}  // namespace sifta
