// The page canvas of a print job on a QPrinter: code page 932 texts are
// measured and drawn as Qt text in the printer's own units.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <optional>

#include "inspect/TextLines.h"

class QPrinter;

namespace sifta {

class PrinterCanvas final : public PageCanvas {
 public:
  PrinterCanvas(QPrinter& printer, const QFont& font);
  ~PrinterCanvas() override;

  // Starts the job; false when the printer cannot start it.
  bool Begin();
  // Ends the job, which ejects the last page.
  void End();

  int PageWidth() override;
  int PageHeight() override;
  int FontHeight() override;
  int AverageCharWidth() override;
  int TextWidth(std::string_view cp932) override;
  void DrawText(int x, int y, std::string_view cp932) override;
  bool NewPage() override;

  // A font given in pixels is meant for a 96 dpi screen: on the printer it
  // keeps its size in points.
  static QFont ForPrinter(const QFont& font);

 private:
  QPrinter& printer_;
  QFont font_;
  QPainter painter_;
  std::optional<QFontMetrics> metrics_;
};

}  // namespace sifta
