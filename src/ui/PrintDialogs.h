// The font, printer set-up and print dialogs of the record count list,
// behind one interface so that widget tests answer them. The program uses the
// Qt dialogs; a test installs its own.
#pragma once

#include <QFont>
#include <optional>

class QPrinter;
class QWidget;

namespace sifta {

class PrintDialogs {
 public:
  virtual ~PrintDialogs() = default;

  // The font dialog, starting with `initial`: the font chosen, or nothing on
  // Cancel.
  virtual std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) = 0;
  // The printer set-up dialog; OK or Cancel, printing goes on either way.
  virtual void SetUpPrinter(QWidget* parent, QPrinter& printer) = 0;
  // The print dialog: true on OK (the job goes to `printer` as set there).
  virtual bool ConfirmPrint(QWidget* parent, QPrinter& printer) = 0;

  // The dialogs in use: the Qt ones unless a test installed others.
  static PrintDialogs& Current();
  // Installs `dialogs` (not owned); nullptr brings back the Qt ones.
  static void Install(PrintDialogs* dialogs);
};

// The font as the font dialog can show it: a family the dialog lists (the
// font's own, else the first installed family that stands in for it, else
// the first family that writes Japanese) and a size in points (a pixel size
// taken at 96 dots per inch, so 12 pixels are 9 points).
QFont FontForDialog(const QFont& font);

}  // namespace sifta
