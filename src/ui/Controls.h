// The building blocks of every form: a control placed where its form puts it
// and named as its form names it, the fonts given in pixels, and the
// background colours. Each form builds its controls from these, so that a
// label, a button or a box is made the same way in every window.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace sifta {

// `widget` under its form name (the name a test finds it by).
template <typename Widget>
Widget* Named(Widget* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}

// `widget` named, at `left`, `top` and `width` x `height` in its parent.
template <typename Widget>
Widget* Place(Widget* widget, const QString& name, int left, int top, int width, int height) {
  Named(widget, name)->setGeometry(left, top, width, height);
  return widget;
}

// A font of `pixels` height, as the forms give their sizes.
QFont PixelFont(const char* family, int pixels, bool bold = false);

// Fills `widget` with `colour` in the palette role `role` (the window's
// ground, or the ground of a text box with QPalette::Base).
void SetBackground(QWidget* widget, const QColor& colour, QPalette::ColorRole role = QPalette::Window);

// A label at `left`, `top`, as wide and high as its caption.
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top);

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                        int width, int height);

// A one-line text box, 22 pixels high unless told otherwise.
QLineEdit* MakeEdit(QWidget* parent, const QString& name, int left, int top, int width, int height = 22);

}  // namespace sifta
