// The wait window "レコード数の確認…", on the screen while the source records
// are counted (the count services no events, so it is painted once up front).
#pragma once

#include <QWidget>

class QLabel;

class TForm5 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm5(QWidget* owner);

  // Colours, shows and paints the window at once.
  void ShowAndPaint();
  void CloseWait();

  QLabel* Label1 = nullptr;  // "レコード数の確認中です。しばらくお待ちください…"
};

extern TForm5* Form5;
