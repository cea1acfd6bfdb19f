#include "ui/Sifta5.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPalette>

#include "ui/QtText.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(sifta::Ui("レコード数の確認…"));
  setFixedSize(400, 80);

  Label1 = new QLabel(sifta::Ui("レコード数の確認中です。しばらくお待ちください…"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  QFont font(sifta::Ui("ＭＳ Ｐゴシック"));
  font.setPixelSize(15);
  font.setBold(true);
  Label1->setFont(font);
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setGeometry(16, 24, 368, 30);
}

void TForm5::ShowAndPaint() {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(255, 255, 193));
  setPalette(palette);
  setAutoFillBackground(true);
  QPalette labelPalette = Label1->palette();
  labelPalette.setColor(QPalette::Window, QColor(210, 255, 255));
  Label1->setPalette(labelPalette);
  Label1->setAutoFillBackground(true);
  show();
  // The count that follows services no events: paint now.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  repaint();
}

void TForm5::CloseWait() { close(); }
