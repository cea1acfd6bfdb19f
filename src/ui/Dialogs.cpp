#include "ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace sifta {

namespace {

class QtDialogs final : public Dialogs {
 public:
  void Beep() override { QApplication::beep(); }

  void Information(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
  }

  void Error(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
  }

  Answer Question(QWidget* parent, const QString& text, bool withCancel, const QString& caption,
                  const QString& yesText, const QString& noText) override {
    QMessageBox box(QMessageBox::Question,
                    caption.isEmpty() ? QApplication::applicationDisplayName() : caption, text,
                    QMessageBox::NoButton, parent);
    QAbstractButton* yes = yesText.isEmpty() ? static_cast<QAbstractButton*>(box.addButton(QMessageBox::Yes))
                                             : box.addButton(yesText, QMessageBox::YesRole);
    QAbstractButton* no = noText.isEmpty() ? static_cast<QAbstractButton*>(box.addButton(QMessageBox::No))
                                           : box.addButton(noText, QMessageBox::NoRole);
    QAbstractButton* cancel = withCancel ? box.addButton(QMessageBox::Cancel) : nullptr;
    box.setEscapeButton(cancel ? cancel : no);
    box.exec();
    if (box.clickedButton() == yes) return Answer::Yes;
    if (box.clickedButton() == no) return Answer::No;
    return withCancel ? Answer::Cancel : Answer::No;
  }

  std::optional<QString> OpenFileName(QWidget* parent, const QString& filter,
                                      const QString& folder) override {
    const QString path = QFileDialog::getOpenFileName(parent, QString(), folder, FilterForQt(filter));
    if (path.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(path);
  }

  std::optional<QString> SaveFileName(QWidget* parent, const QString& filter,
                                      const QString& folder) override {
    const QString path = QFileDialog::getSaveFileName(parent, QString(), folder,
                                                      filter.isEmpty() ? QString() : FilterForQt(filter),
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(path);
  }
};

Dialogs* installed = nullptr;

}  // namespace

Dialogs& Dialogs::Current() {
  static QtDialogs qtDialogs;
  return installed ? *installed : qtDialogs;
}

void Dialogs::Install(Dialogs* dialogs) { installed = dialogs; }

QString StartFolder(const QString& name) {
  if (name.trimmed().isEmpty()) return {};
  QString folder = QFileInfo(name.trimmed()).absolutePath();
  // A folder of a series (with @) or one still to be created: the nearest
  // one above it that exists.
  while (!QFileInfo(folder).isDir()) {
    const QString up = QFileInfo(folder).path();
    if (up == folder) return {};
    folder = up;
  }
  return folder;
}

QString FilterForQt(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  if (parts.size() < 2) return filter;
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1];
    if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
    filters << parts[i] + QStringLiteral(" (") + pattern + QStringLiteral(")");
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace sifta
