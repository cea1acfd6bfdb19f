#include "ui/PrintDialogs.h"

#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace sifta {

namespace {

class QtPrintDialogs final : public PrintDialogs {
 public:
  std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) override {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) return std::nullopt;
    return font;
  }

  void SetUpPrinter(QWidget* parent, QPrinter& printer) override {
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
  }

  bool ConfirmPrint(QWidget* parent, QPrinter& printer) override {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
  }
};

PrintDialogs* installed = nullptr;

}  // namespace

PrintDialogs& PrintDialogs::Current() {
  static QtPrintDialogs qtDialogs;
  return installed ? *installed : qtDialogs;
}

void PrintDialogs::Install(PrintDialogs* dialogs) { installed = dialogs; }

}  // namespace sifta
