#include "ui/Sifta7.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/QtText.h"
#include "ui/WindowMessages.h"

TForm7* Form7 = nullptr;

namespace {

using sifta::MakeEdit;
using sifta::MakeLabel;

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

bool IsEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

// A typed character without a code page 932 form cannot be part of a file name.
QString NotCp932Message() { return sifta::Ui(sifta::window_messages::kNotCp932); }

}  // namespace

TForm7::TForm7(QWidget* owner, const std::string& promptPrefix, const std::string& doneText)
    : QDialog(owner) {
  setObjectName(QStringLiteral("Form7"));
  setWindowTitle(sifta::Ui("＠文字の入力"));
  setModal(true);
  setFixedSize(330, 206);
  setFont(sifta::PixelFont("ＭＳ Ｐゴシック", 12));

  Label1 = MakeLabel(this, "Label1", sifta::Ui("＠に相当する文字を入力してください。数字の場合は"), 16, 12);
  Label5 = MakeLabel(this, "Label5", sifta::Ui("範囲指定ができます。これが最後の指定ならチェック"), 16, 30);
  Label6 = MakeLabel(this, "Label6", sifta::Ui("してから[次へ]を押します。(入力文字は８桁以内)"), 16, 48);
  Edit1 = MakeEdit(this, "Edit1", 16, 74, 120);
  Edit1->setReadOnly(true);
  Edit1->setFocusPolicy(Qt::NoFocus);
  Label2 = MakeLabel(this, "Label2", sifta::Ui("を処理しました。"), 142, 78);
  Label3 = MakeLabel(this, "Label3", QString(), 16, 108);
  Edit2 = MakeEdit(this, "Edit2", 16, 128, 120);
  Label4 = MakeLabel(this, "Label4", sifta::Ui("～"), 143, 132);
  Edit3 = MakeEdit(this, "Edit3", 162, 128, 120);
  CheckBox1 = new QCheckBox(sifta::Ui("これが最後の指定です"), this);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->move(16, 168);
  CheckBox1->adjustSize();
  Button1 = sifta::MakeButton(this, "Button1", sifta::Ui("次　へ"), 222, 162, 90, 30);

  Edit2->installEventFilter(this);
  Edit3->installEventFilter(this);
  CheckBox1->installEventFilter(this);
  connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

  // The state of every showing.
  Label3->setText(sifta::FromSj(promptPrefix) + sifta::Ui("＠に相当する文字："));
  Label3->adjustSize();
  Edit2->clear();
  Edit3->clear();
  Edit1->setText(sifta::FromSj(doneText));
  SetColour(this, QPalette::Window, QColor(212, 242, 192));
  setAutoFillBackground(true);
  SetColour(Edit2, QPalette::Base, QColor(255, 255, 163));
  SetColour(Edit3, QPalette::Base, QColor(255, 255, 163));
  Edit3->setVisible(true);
  Label4->setVisible(true);
  CheckBox1->setChecked(false);
  Edit2->setFocus();
}

std::optional<sifta::SubstitutionEntry> TForm7::Ask() {
  entry_.reset();
  Edit2->setFocus();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return entry_;
}

void TForm7::Edit2Enter() {
  const std::optional<std::string> left = sifta::ToSj(Edit2->text());
  if (left && sifta::TakesRangeEnd(*left)) {
    Edit3->setVisible(true);
    Label4->setVisible(true);
    Edit3->clear();
    Edit3->setFocus();
  } else {
    Edit3->setVisible(false);
    Label4->setVisible(false);
    CheckBox1->setFocus();
  }
}

void TForm7::Edit3Enter() { CheckBox1->setFocus(); }

void TForm7::CheckBox1Click() { Button1->setFocus(); }

void TForm7::Button1Click() {
  sifta::Dialogs& dialogs = sifta::Dialogs::Current();
  auto refuse = [&](const QString& message, QLineEdit* focus) {
    dialogs.Beep();
    dialogs.Information(this, message);
    if (focus->isHidden()) {
      // A right-hand box hidden by an earlier Enter is shown again to be corrected.
      focus->setVisible(true);
      if (focus == Edit3) Label4->setVisible(true);
    }
    focus->setFocus();
  };

  sifta::SubstitutionTexts texts;
  const std::optional<std::string> left = sifta::ToSj(Edit2->text());
  if (!left) return refuse(NotCp932Message(), Edit2);
  texts.left = *left;
  if (const std::optional<std::string> right = sifta::ToSj(Edit3->text())) {
    texts.right = *right;
  } else if (sifta::TakesRangeEnd(texts.left)) {
    // The right-hand text is read only for a digits-only left-hand text.
    return refuse(NotCp932Message(), Edit3);
  }
  texts.lastEntryChecked = CheckBox1->isChecked();

  auto outcome = sifta::CheckSubstitutionEntry(texts);
  if (auto* refusal = std::get_if<sifta::SubstitutionRefusal>(&outcome)) {
    return refuse(sifta::FromSj(refusal->message),
                  refusal->focus == sifta::SubstitutionFocus::Edit3 ? Edit3 : Edit2);
  }
  entry_ = std::get<sifta::SubstitutionEntry>(outcome);
  accept();
}

bool TForm7::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (watched == Edit2 && IsEnter(key)) {
    Edit2Enter();
    return true;
  }
  if (watched == Edit3 && IsEnter(key)) {
    Edit3Enter();
    return true;
  }
  if (watched == CheckBox1) {
    // The space bar ticks the box as usual, and its click moves the focus on.
    if (key->key() == Qt::Key_Space) return false;
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    if (IsEnter(key) || !key->text().isEmpty()) {
      Button1->setFocus();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TForm7::keyPressEvent(QKeyEvent* event) {
  // The dialog has no cancel button: Esc does not close it.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}
