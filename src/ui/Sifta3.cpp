#include "ui/Sifta3.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/HelpText.h"
#include "ui/QtText.h"
#include "ui/Sifta1.h"
#include "ui/WindowMessages.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(sifta::Ui("ヘルプ"));
  // 435 x 558 with the frame: the client area is a frame's width and a
  // caption's height smaller.
  move(516, 113);
  resize(427, 531);
  setFont(sifta::PixelFont("ＭＳ Ｐゴシック", 12));

  Memo1 = sifta::Place(new QPlainTextEdit(this), "Memo1", 15, 8, 398, 473);
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  QFont fixed = sifta::PixelFont("ＭＳ ゴシック", 12);
  fixed.setStyleHint(QFont::TypeWriter);
  Memo1->setFont(fixed);
  Memo1->setPlainText(sifta::HelpLines().join(QLatin1Char('\n')));

  Button2 = sifta::MakeButton(this, "Button2", sifta::Ui("コピー"), 32, 489, 57, 25);
  Button2->setToolTip(sifta::Ui("範囲指定してからコピーします"));
  Button2->setVisible(false);
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

  Button1 = sifta::MakeButton(this, "Button1", sifta::Ui("閉じる"), 325, 489, 57, 25);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

  FormCreate();
}

void TForm3::FormCreate() {
  sifta::SetBackground(this, QColor(180, 252, 131), QPalette::Window);
  sifta::SetBackground(Memo1, QColor(255, 255, 210), QPalette::Base);
}

void TForm3::FormShow() {
  const bool copySwitch = Form1 && Form1->CopySwitchText() == TForm1::CopySwitch();
  Button2->setVisible(copySwitch);
}

void TForm3::showEvent(QShowEvent* event) {
  FormShow();
  QWidget::showEvent(event);
}

void TForm3::Button1Click() { hide(); }

void TForm3::Button2Click() {
  QClipboard* clipboard = QApplication::clipboard();
  clipboard->clear();
  clipboard->setText(Memo1->toPlainText());
  sifta::Dialogs::Current().Beep();
  sifta::Dialogs::Current().Information(this, sifta::Ui(sifta::window_messages::kCopyDone));
}
