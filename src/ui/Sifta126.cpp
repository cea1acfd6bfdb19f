// The program's entry: the eight windows, the main window first, then the
// main window's events until it is closed.
#include <QApplication>

#include "platform/Console.h"
#include "ui/Application.h"
#include "ui/Sifta1.h"

int main(int argc, char** argv) {
  // Started from a desktop, the program may have no standard streams.
  sifta::platform::OpenStandardDescriptors();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sifta126"));
  sifta::SetUpApplication(app);
  sifta::CreateForms();
  Form1->show();
  const int status = QApplication::exec();
  sifta::DestroyForms();
  return status;
}
