#include "ui/QtText.h"

#include "scan/Cp932.h"

namespace sifta {

QString FromSj(std::string_view cp932) {
  QString text = QString::fromStdString(Cp932ToUtf8ForDisplay(cp932));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

std::optional<std::string> ToSj(const QString& text) { return Utf8ToCp932(text.toStdString()); }

}  // namespace sifta
