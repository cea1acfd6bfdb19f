// A Dialogs for widget tests: records every beep and box, answers questions
// and file dialogs from queues. Installed while it lives.
//
//   sifta::test::FakeDialogs dialogs;
//   dialogs.questionAnswers = {sifta::Dialogs::Answer::Yes};
//   dialogs.openAnswers = {QStringLiteral("/tmp/a.csv")};
//   ... press the button ...
//   QCOMPARE(dialogs.boxes.size(), 1u);
//   QVERIFY(dialogs.boxes[0].beepBefore);
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/Dialogs.h"

namespace sifta::test {

class FakeDialogs final : public Dialogs {
 public:
  enum class Kind { Information, Error, Question };

  struct Box {
    Kind kind = Kind::Information;
    QString text;
    QString caption;  // questions only; empty for the standard one
    QString yesText;  // questions only
    QString noText;   // questions only
    bool withCancel = false;
    bool beepBefore = false;  // a beep came after the box before (or the start)
    QWidget* parent = nullptr;
  };

  struct FileDialog {
    bool save = false;
    QString filter;
    QString folder;  // where it starts; empty for the current folder
  };

  FakeDialogs() { Install(this); }
  ~FakeDialogs() override { Install(nullptr); }
  FakeDialogs(const FakeDialogs&) = delete;
  FakeDialogs& operator=(const FakeDialogs&) = delete;

  // Answers, taken from the front. An empty queue answers No (questions) or
  // cancels (file dialogs) and counts in `unanswered`.
  std::deque<Answer> questionAnswers;
  std::deque<std::optional<QString>> openAnswers;
  std::deque<std::optional<QString>> saveAnswers;

  // Called for every box as it is shown (the box is already in `boxes`), for
  // instance to act on a window while a modal box would be open.
  std::function<void(const Box&)> onBox;

  int beeps = 0;
  int unanswered = 0;
  std::vector<Box> boxes;
  std::vector<FileDialog> fileDialogs;

  // The texts of the boxes shown, in order.
  std::vector<QString> Texts() const {
    std::vector<QString> texts;
    for (const Box& box : boxes) texts.push_back(box.text);
    return texts;
  }
  QString LastText() const { return boxes.empty() ? QString() : boxes.back().text; }

  void Clear() {
    beeps = 0;
    unanswered = 0;
    boxes.clear();
    fileDialogs.clear();
    beepPending_ = false;
  }

  void Beep() override {
    ++beeps;
    beepPending_ = true;
  }

  void Information(QWidget* parent, const QString& text) override { Record(Kind::Information, parent, text); }

  void Error(QWidget* parent, const QString& text) override { Record(Kind::Error, parent, text); }

  Answer Question(QWidget* parent, const QString& text, bool withCancel, const QString& caption,
                  const QString& yesText, const QString& noText) override {
    Box box = MakeBox(Kind::Question, parent, text);
    box.caption = caption;
    box.yesText = yesText;
    box.noText = noText;
    box.withCancel = withCancel;
    boxes.push_back(box);
    if (onBox) onBox(boxes.back());
    if (questionAnswers.empty()) {
      ++unanswered;
      return Answer::No;
    }
    const Answer answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
  }

  std::optional<QString> OpenFileName(QWidget*, const QString& filter, const QString& folder) override {
    return TakeFile(openAnswers, false, filter, folder);
  }

  std::optional<QString> SaveFileName(QWidget*, const QString& filter, const QString& folder) override {
    return TakeFile(saveAnswers, true, filter, folder);
  }

 private:
  Box MakeBox(Kind kind, QWidget* parent, const QString& text) {
    Box box;
    box.kind = kind;
    box.text = text;
    box.parent = parent;
    box.beepBefore = beepPending_;
    beepPending_ = false;
    return box;
  }

  void Record(Kind kind, QWidget* parent, const QString& text) {
    boxes.push_back(MakeBox(kind, parent, text));
    if (onBox) onBox(boxes.back());
  }

  std::optional<QString> TakeFile(std::deque<std::optional<QString>>& queue, bool save, const QString& filter,
                                  const QString& folder) {
    fileDialogs.push_back({save, filter, folder});
    if (queue.empty()) {
      ++unanswered;
      return std::nullopt;
    }
    const bool chosen = queue.front().has_value();
    const QString path = chosen ? *queue.front() : QString();
    queue.pop_front();
    if (!chosen) return std::nullopt;
    return path;
  }

  bool beepPending_ = false;
};

}  // namespace sifta::test
