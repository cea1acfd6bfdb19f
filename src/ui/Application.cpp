#include "ui/Application.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QToolTip>
#include <QTranslator>
#include <QWidget>

#include "ui/Controls.h"
#include "ui/QtText.h"

namespace sifta {

namespace {

int hintDisplayTime = 2500;

// A hint shows after the pointer has rested 500 ms on a control, always.
class HintDelayStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ToolTip_WakeUpDelay) return 500;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

// Shows a control's own hint for the application's display time. Controls
// without a hint of their own (grid cells, tabs) keep Qt's handling.
class HintTimeFilter final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    const QString text = widget->toolTip();
    if (text.isEmpty()) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), text, widget, QRect(), hintDisplayTime);
    return true;
  }
};

}  // namespace

void SetUpApplication(QApplication& app) {
  // Qt's Japanese texts (はい(&Y), いいえ(&N), the print dialogs): beside the
  // program where a package put them, else in the Qt installation.
  const QString besideProgram = QCoreApplication::applicationDirPath();
  auto* translator = new QTranslator(&app);
  bool loaded = false;
  for (const QString& folder : {besideProgram + QStringLiteral("/translations"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
    loaded = translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                              QStringLiteral("_"), folder);
    if (loaded) break;
  }
  if (loaded)
    QApplication::installTranslator(translator);
  else
    delete translator;

  // Fonts shipped beside the program (IPA fonts, of the metrics of the
  // Windows Japanese fonts) stand in where the Windows ones are missing: a
  // Windows without its Japanese fonts, or Wine.
  const QDir fonts(besideProgram + QStringLiteral("/fonts"));
  for (const QString& file : fonts.entryList({QStringLiteral("*.ttf")}, QDir::Files))
    QFontDatabase::addApplicationFont(fonts.filePath(file));

  // The windows name the Windows font families; IPA fonts share their metrics,
  // so fixed-pitch columns line up as they do there.
  QFont::insertSubstitutions(Ui("ＭＳ ゴシック"),
                             {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
  QFont::insertSubstitutions(Ui("ＭＳ Ｐゴシック"),
                             {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
  QFont::insertSubstitutions(Ui("ＭＳ 明朝"),
                             {QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")});

  QApplication::setStyle(new HintDelayStyle);
  // Hints lay out their columns with blanks: a fixed-pitch font lines them
  // up (set after the style, which brings its own fonts).
  QFont hintFont = PixelFont("ＭＳ ゴシック", 12);
  hintFont.setStyleHint(QFont::TypeWriter);
  QToolTip::setFont(hintFont);
  app.installEventFilter(new HintTimeFilter(&app));
  hintDisplayTime = 2500;
}

void SetHintDisplayTime(int milliseconds) { hintDisplayTime = milliseconds; }

int HintDisplayTime() { return hintDisplayTime; }

}  // namespace sifta
