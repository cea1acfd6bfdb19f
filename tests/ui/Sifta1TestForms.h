// What the main window's widget tests share: the program's eight windows made
// as the program makes them, files in a temporary folder, and answering the
// @ dialog while a run waits in it.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <initializer_list>
#include <string>

#include "scan/Cp932.h"
#include "ui/QtText.h"
#include "ui/Sifta1.h"
#include "ui/Sifta7.h"

namespace sifta::test {

// Form1..Form8 for one test; the main window shown.
struct ProgramForms {
  ProgramForms() {
    CreateForms();
    Form1->show();
  }
  ~ProgramForms() { DestroyForms(); }
  ProgramForms(const ProgramForms&) = delete;
  ProgramForms& operator=(const ProgramForms&) = delete;
};

// Program texts written in UTF-8 as code page 932 lines, each ended by CR LF.
inline std::string SjLines(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* line : lines) {
    out += Sj(line);
    out += "\r\n";
  }
  return out;
}

inline void WriteBytes(const QString& path, const std::string& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

inline std::string ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  const QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// One entry typed into the @ dialog, then "次　へ" pressed; `close` closes the
// dialog by its close control instead.
struct DialogEntry {
  QString left;
  QString right;
  bool last = false;
  bool close = false;
};

// Answers every @ dialog that opens while it lives, entry by entry (one entry
// per press of "次　へ", refused ones included). `prefixes` records the
// prompt label of each dialog shown.
class SubstitutionAnswers {
 public:
  explicit SubstitutionAnswers(std::initializer_list<DialogEntry> entries) : entries_(entries) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
    timer_.start();
  }

  std::deque<DialogEntry> entries_;
  QStringList prompts;    // Label3 of each dialog shown, in order
  QStringList doneTexts;  // Edit1 of each dialog shown
  int dialogsShown = 0;

 private:
  void Answer() {
    auto* dialog = qobject_cast<TForm7*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (dialog != current_) {
      current_ = dialog;
      ++dialogsShown;
      prompts << dialog->Label3->text();
      doneTexts << dialog->Edit1->text();
    }
    if (entries_.empty()) {
      dialog->reject();
      return;
    }
    const DialogEntry entry = entries_.front();
    entries_.pop_front();
    if (entry.close) {
      dialog->reject();
      return;
    }
    dialog->Edit2->setText(entry.left);
    dialog->Edit3->setText(entry.right);
    dialog->CheckBox1->setChecked(entry.last);
    dialog->Button1Click();
  }

  QTimer timer_;
  QPointer<TForm7> current_;  // null again once the dialog is gone
};

}  // namespace sifta::test
