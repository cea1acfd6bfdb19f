// Message boxes, the beep and the file dialogs, behind one interface so that
// widget tests answer them. The program installs the Qt implementation; a test
// installs its own.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace sifta {

class Dialogs {
 public:
  enum class Answer { Yes, No, Cancel };

  virtual ~Dialogs() = default;

  virtual void Beep() = 0;
  // A message box with OK. None of these beeps by itself: callers beep first.
  virtual void Information(QWidget* parent, const QString& text) = 0;
  // The error box of a failure (an input/output error, a conversion error).
  virtual void Error(QWidget* parent, const QString& text) = 0;
  // A confirmation box with Yes and No (and Cancel when `withCancel`); closing
  // the box counts as Cancel, or as No without Cancel. `caption`, `yesText` and
  // `noText` replace the standard ones when not empty.
  virtual Answer Question(QWidget* parent, const QString& text, bool withCancel, const QString& caption = {},
                          const QString& yesText = {}, const QString& noText = {}) = 0;
  // The open and save dialogs, shown in `folder` (the current folder when it
  // is empty): the chosen path with the system's separators (backslashes on
  // Windows, as the user types them), or nothing when cancelled. A filter is
  // "description|pattern" as the windows state it.
  virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& filter,
                                              const QString& folder) = 0;
  virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& filter,
                                              const QString& folder) = 0;

  // The dialogs in use: the Qt ones unless a test installed others.
  static Dialogs& Current();
  // Installs `dialogs` (not owned); nullptr brings back the Qt ones.
  static void Install(Dialogs* dialogs);
};

// The folder a file dialog starts in for the file name `name` (as typed in a
// box, possibly with @ or relative): its folder, or the nearest folder above
// that exists; empty for an empty name.
QString StartFolder(const QString& name);

// A filter as Qt's dialogs take it: "description (pattern)", several of them
// ("a|*.x|b|*.*") separated by ";;". The pattern "*.*" means every file, also
// one without a dot in its name: it becomes "*".
QString FilterForQt(const QString& filter);

}  // namespace sifta
