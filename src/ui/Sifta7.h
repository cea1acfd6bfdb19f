// The @ dialog "＠文字の入力": asks for the substitution text of the next file
// of a series, one text or a numeric range. Created anew for every showing,
// owned by the main window. The entry rules live in run/SubstitutionRules.h;
// this window collects the texts, moves the focus and shows the refusals.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "run/SubstitutionRules.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm7 : public QDialog {
  Q_OBJECT

 public:
  // `promptPrefix` ("最初の" / "つぎの") and `doneText` (the substitution text
  // of the iteration just done) are code page 932.
  explicit TForm7(QWidget* owner, const std::string& promptPrefix = {}, const std::string& doneText = {});

  // Shows the dialog modally. The accepted entry, or nothing when the dialog
  // was closed by its close control (the series then ends).
  std::optional<sifta::SubstitutionEntry> Ask();

  // The Enter steps and "次　へ".
  void Edit2Enter();
  void Edit3Enter();
  void CheckBox1Click();
  void Button1Click();

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;  // "を処理しました。"
  QLabel* Label3 = nullptr;  // prompt prefix + "＠に相当する文字："
  QLabel* Label4 = nullptr;  // "～"
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLineEdit* Edit1 = nullptr;      // the substitution text just done (read-only)
  QLineEdit* Edit2 = nullptr;      // the left-hand text
  QLineEdit* Edit3 = nullptr;      // the right-hand text
  QCheckBox* CheckBox1 = nullptr;  // "これが最後の指定です"
  QPushButton* Button1 = nullptr;  // "次　へ"

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::optional<sifta::SubstitutionEntry> entry_;
};

extern TForm7* Form7;
