// Runs the registered widget test classes on the offscreen platform.
// SIFTA_UI_TESTS=ClassA,ClassB runs only the classes named; the arguments go
// to every class as Qt Test options (for instance a function name, or -v2).
#include <QApplication>
#include <QSet>
#include <QtTest>

#include "TestRegistry.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  sifta::SetUpApplication(app);

  QSet<QString> chosen;
  for (const QString& name :
       qEnvironmentVariable("SIFTA_UI_TESTS").split(QLatin1Char(','), Qt::SkipEmptyParts))
    chosen.insert(name.trimmed());

  int failed = 0;
  int ran = 0;
  for (const auto& make : sifta::test::RegisteredTests()) {
    std::unique_ptr<QObject> test = make();
    if (!chosen.isEmpty() && !chosen.contains(QString::fromLatin1(test->metaObject()->className()))) continue;
    ++ran;
    failed += QTest::qExec(test.get(), argc, argv);
  }
  if (!chosen.isEmpty() && ran == 0) {
    qWarning("No test class of SIFTA_UI_TESTS is registered.");
    return 1;
  }
  return failed == 0 ? 0 : 1;
}
