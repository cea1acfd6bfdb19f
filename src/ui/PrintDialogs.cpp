#include "ui/PrintDialogs.h"

#include <QFontDatabase>
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
    const QFont font = QFontDialog::getFont(&ok, FontForDialog(initial), parent);
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

namespace {

// The family as the font database names it (substitutes come lowercased).
QString Installed(const QStringList& families, const QString& family) {
  for (const QString& name : families)
    if (name.compare(family, Qt::CaseInsensitive) == 0) return name;
  return {};
}

}  // namespace

QFont FontForDialog(const QFont& font) {
  const QStringList families = QFontDatabase::families();
  QString family = Installed(families, font.family());
  for (const QString& substitute : QFont::substitutes(font.family())) {
    if (!family.isEmpty()) break;
    family = Installed(families, substitute);
  }
  if (family.isEmpty()) {
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    family = japanese.isEmpty() ? font.family() : japanese.front();
  }
  QFont shown(font);
  shown.setFamily(family);
  if (font.pixelSize() > 0) shown.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
  return shown;
}

}  // namespace sifta
