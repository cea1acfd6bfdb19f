#include "ui/PrinterCanvas.h"

#include <QPrinter>

#include "ui/QtText.h"

namespace sifta {

PrinterCanvas::PrinterCanvas(QPrinter& printer, const QFont& font)
    : printer_(printer), font_(ForPrinter(font)) {}

PrinterCanvas::~PrinterCanvas() { End(); }

QFont PrinterCanvas::ForPrinter(const QFont& font) {
  if (font.pixelSize() <= 0) return font;
  QFont printed(font);
  printed.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
  return printed;
}

bool PrinterCanvas::Begin() {
  if (!painter_.begin(&printer_)) return false;
  painter_.setFont(font_);
  metrics_.emplace(painter_.fontMetrics());
  return true;
}

void PrinterCanvas::End() {
  if (painter_.isActive()) painter_.end();
}

int PrinterCanvas::PageWidth() { return printer_.width(); }

int PrinterCanvas::PageHeight() { return printer_.height(); }

int PrinterCanvas::FontHeight() { return metrics_->height(); }

int PrinterCanvas::AverageCharWidth() { return metrics_->averageCharWidth(); }

int PrinterCanvas::TextWidth(std::string_view cp932) { return metrics_->horizontalAdvance(FromSj(cp932)); }

void PrinterCanvas::DrawText(int x, int y, std::string_view cp932) {
  painter_.drawText(x, y + metrics_->ascent(), FromSj(cp932));
}

bool PrinterCanvas::NewPage() { return printer_.newPage(); }

}  // namespace sifta
