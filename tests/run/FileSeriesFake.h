// A window layer for the run tests: the @ dialog answers from a queue of
// entries, the progress window can cancel at a chosen record, and every call
// is logged in order (texts in UTF-8, so that failures read well).
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "inspect/FileLayout.h"
#include "run/ExtractionConditions.h"
#include "run/FileSeries.h"
#include "run/RunMessages.h"
#include "run/SubstitutionRules.h"
#include "run/WindowLayer.h"
#include "scan/Cp932.h"
#include "scan/NumberText.h"

namespace sifta::testing {

inline std::string Utf8(const std::string& cp932) { return Cp932ToUtf8ForDisplay(cp932); }

class FakeWindows : public WindowLayer {
 public:
  // One item per showing of the @ dialog, as typed; nothing = closed by its
  // close control. A refused entry is logged and the next item is typed into
  // the same showing, as a user would retype. No items left = closed.
  std::deque<std::optional<SubstitutionTexts>> entries;
  // Sets the cancel request while the given record (1-based count of
  // services) of the given file (1-based count of progress showings) is
  // serviced, as the progress window's "はい(&Y)" would.
  int cancelInFile = 0;
  std::int64_t cancelAtRecord = 0;

  // The boxes of the main window as it fills them from the run's events.
  enum class Box { SourceTotal, ExtractTotal, StartTime, EndTime, ListTotal };

  std::vector<std::string> log;
  std::vector<std::string> list;
  std::map<Box, std::string> results;
  std::vector<std::string> messages;
  int progressShowings = 0;
  bool inProgress = false;
  bool progressOpen = false;

  void RunRequested() override {
    for (Box box : {Box::SourceTotal, Box::ExtractTotal, Box::StartTime, Box::EndTime}) results[box] = "";
    list.clear();
    log.push_back("run requested");
  }
  void RunRefused(const PlanError& error) override { Show("plan error", error.message); }
  void ConversionRefused(const std::string& text) override { Show("conversion error", text); }
  void RunStarted(const std::string& startTime) override {
    EXPECT_FALSE(inProgress);
    inProgress = true;
    results[Box::StartTime] = " " + startTime;
    results[Box::EndTime] = " ";
    log.push_back("run started " + startTime);
  }
  void ListLine(const std::string& line) override { list.push_back(Utf8(line)); }

  void FileStarted(bool isSeries, const std::string& substitution) override {
    EXPECT_TRUE(inProgress);
    EXPECT_FALSE(progressOpen);
    ++progressShowings;
    progressOpen = true;
    cancelRequest_ = false;
    services_ = 0;
    log.push_back(std::string("progress ") + (isSeries ? "series " : "single ") + Utf8(substitution));
  }
  bool ServicePendingEvents() override {
    EXPECT_TRUE(progressOpen);
    ++services_;
    if (progressShowings == cancelInFile && services_ == cancelAtRecord) cancelRequest_ = true;
    return cancelRequest_;
  }
  void FileDone(const FileRunResult& result) override {
    EXPECT_TRUE(progressOpen);
    progressOpen = false;
    log.push_back("file done " + std::to_string(result.sourceRecords) + "/" +
                  std::to_string(result.extractRecords));
  }

  void RunEnded(const RunTotals& totals) override {
    Beep();
    Stop();
    results[Box::SourceTotal] = " " + Utf8(FormatCount(totals.sourceRecords));
    results[Box::ExtractTotal] = " " + Utf8(FormatCount(totals.extractRecords));
    results[Box::EndTime] = " " + totals.endTime;
    results[Box::ListTotal] = results[Box::ExtractTotal];
    log.push_back("run ended " + std::to_string(totals.sourceRecords) + "/" +
                  std::to_string(totals.extractRecords) + " " + totals.endTime);
    if (!totals.endedAtMark.empty()) {
      Show("message", EndMarkNoticeMessage(totals.endedAtMark));
      Beep();
    }
    Show("message", FinishedMessage());
  }
  void RunFailed(const IoError& error) override {
    Stop();
    Show("run failed", error.message);
  }
  void RunStopped(const std::string& message) override {
    Stop();
    Show("run stopped", message);
  }
  void RunAbandoned() override {
    Stop();
    log.push_back("run abandoned");
  }

  void Beep() { log.push_back("beep"); }

  std::optional<SubstitutionEntry> AskSubstitution(const std::string& promptPrefix,
                                                   const std::string& doneText) override {
    Beep();
    log.push_back("ask " + Utf8(promptPrefix) + "|" + Utf8(doneText));
    while (!entries.empty()) {
      std::optional<SubstitutionTexts> typed = entries.front();
      entries.pop_front();
      if (!typed) return std::nullopt;
      auto checked = CheckSubstitutionEntry(*typed);
      if (auto* entry = std::get_if<SubstitutionEntry>(&checked)) return *entry;
      log.push_back("refused " + Utf8(std::get<SubstitutionRefusal>(checked).message));
    }
    return std::nullopt;
  }
  std::string TimeOfDay() override { return "12:34:56"; }

  bool Finished() const {
    return !messages.empty() && messages.back() == "** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。";
  }

 private:
  // Every file a run starts is done before the run ends, however it ends.
  void Stop() {
    EXPECT_TRUE(inProgress);
    EXPECT_FALSE(progressOpen);
    inProgress = false;
  }
  void Show(const char* kind, const std::string& text) {
    messages.push_back(Utf8(text));
    log.push_back(std::string(kind) + " " + Utf8(text));
  }

  bool cancelRequest_ = false;
  std::int64_t services_ = 0;
};

inline SubstitutionTexts Entry(const std::string& left, const std::string& right = {}, bool last = false) {
  return SubstitutionTexts{Sj(left), Sj(right), last};
}
inline SubstitutionTexts LastEntry(const std::string& left, const std::string& right = {}) {
  return Entry(left, right, true);
}

// A fresh folder per test, removed afterwards; the test runs inside it so
// that file names can be relative.
class RunFolder {
 public:
  RunFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    path_ = std::filesystem::temp_directory_path() /
            ("sifta-run-" + std::to_string(std::random_device{}()) + "-" + name);
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~RunFolder() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// A file name of the tests (UTF-8) as a path, as the engine takes it.
inline std::filesystem::path Utf8Path(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(Utf8Path(path), std::ios::binary);
  out << bytes;
}

inline std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(Utf8Path(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Lines (UTF-8 here) joined by CR LF, in code page 932.
inline std::string CsvText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += Sj(line) + "\r\n";
  return text;
}

}  // namespace sifta::testing
