// The record count list window "抽出レコード数一覧": the lines a run writes
// for every file, the total, and copy, print and save of the list.
#pragma once

#include <QFont>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

class TForm8 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm8(QWidget* owner);
  ~TForm8() override;

  // The list as the run writes it (code page 932 lines).
  void ClearList();
  void AppendLine(const std::string& cp932Line);
  void SetTotal(const std::string& cp932Text);
  std::vector<std::string> Lines() const;

  void FormShow();      // the background colour
  void Button1Click();  // "コピー"
  void Button2Click();  // "印　刷"
  void Button3Click();  // "保　存"
  void Button4Click();  // "閉じる"

  // The printer of the window, kept from print to print.
  QPrinter& Printer();
  // The font the next print uses unless the font dialog chooses another.
  const QFont& PrintFont() const { return printFont_; }

  QLabel* Label1 = nullptr;  // "抽出レコード数一覧："
  QLabel* Label2 = nullptr;  // "全抽出レコード数："
  QPlainTextEdit* Memo1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::vector<std::string> lines_;
  std::unique_ptr<QPrinter> printer_;
  QFont dialogFont_;   // the font dialog starts with the last font chosen
  QFont printFont_;    // the printer's font
  QString savedName_;  // the list saved last in this session: the save dialog starts beside it
};

extern TForm8* Form8;
