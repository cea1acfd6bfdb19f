// Runs every registered widget test class on the offscreen platform.
#include <QApplication>
#include <QtTest>

#include "TestRegistry.h"
#include "ui/Application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  sifta::SetUpApplication(app);
  int failed = 0;
  for (const auto& make : sifta::test::RegisteredTests()) {
    std::unique_ptr<QObject> test = make();
    failed += QTest::qExec(test.get(), argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
