#include "ui/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace sifta {

QFont PixelFont(const char* family, int pixels, bool bold) {
  QFont font(QString::fromUtf8(family));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

void SetBackground(QWidget* widget, const QColor& colour, QPalette::ColorRole role) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top) {
  auto* label = Named(new QLabel(caption, parent), name);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height) {
  return Place(new QPushButton(caption, parent), name, left, top, width, height);
}

QLineEdit* MakeEdit(QWidget* parent, const QString& name, int left, int top, int width, int height) {
  return Place(new QLineEdit(parent), name, left, top, width, height);
}

}  // namespace sifta
