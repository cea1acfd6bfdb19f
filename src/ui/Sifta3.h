// The help window "ヘルプ": the help text, a close button and, under the copy
// switch, a button that copies the whole text. Modeless; closing hides it.
#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class TForm3 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* owner);

  void FormCreate();    // colours, run by the constructor
  void FormShow();      // each time the window becomes visible
  void Button1Click();  // "閉じる"
  void Button2Click();  // "コピー"

  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

extern TForm3* Form3;
