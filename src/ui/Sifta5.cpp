#include "ui/Sifta5.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPalette>

#include "ui/Controls.h"
#include "ui/QtText.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(sifta::Ui("レコード数の確認…"));
  setFixedSize(400, 80);

  Label1 = sifta::Place(new QLabel(sifta::Ui("レコード数の確認中です。しばらくお待ちください…"), this),
                        "Label1", 16, 24, 368, 30);
  Label1->setFont(sifta::PixelFont("ＭＳ Ｐゴシック", 15, true));
  Label1->setAlignment(Qt::AlignCenter);
}

void TForm5::ShowAndPaint() {
  sifta::SetBackground(this, QColor(255, 255, 193));
  sifta::SetBackground(Label1, QColor(210, 255, 255));
  show();
  // The count that follows services no events: paint now.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  repaint();
}

void TForm5::CloseWait() { close(); }
