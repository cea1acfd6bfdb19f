#include "TerminalWindows.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <variant>

#include "platform/Console.h"
#include "run/ProgressEstimate.h"
#include "run/RunMessages.h"
#include "scan/Cp932.h"
#include "scan/NumberText.h"

namespace sifta::batch {

namespace {

// Work is checked against the clock only every so many records.
constexpr std::int64_t kRecordsPerClockCheck = 1 << 16;

}  // namespace

std::string TerminalText(const std::string& cp932) {
  const std::string utf8 = Cp932ToUtf8ForDisplay(cp932);
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      out += '\n';
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      out += utf8[i];
    }
  }
  return out;
}

TerminalWindows::TerminalWindows(std::vector<SubstitutionTexts> entries, std::FILE* list, std::FILE* messages)
    : entries_(entries.begin(), entries.end()),
      list_(list),
      messages_(messages),
      showProgress_(platform::IsTerminal(messages)) {}

TerminalWindows::~TerminalWindows() { platform::StopInterruptWatch(); }

void TerminalWindows::ListLine(const std::string& line) {
  if (listError_ != 0) return;
  std::string text = Cp932ToUtf8ForDisplay(line);
  text += '\n';
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), list_) != text.size() || std::fflush(list_) != 0)
    listError_ = errno != 0 ? errno : EIO;
}

void TerminalWindows::Say(const std::string& cp932) {
  const std::string text = TerminalText(cp932);
  std::fwrite(text.data(), 1, text.size(), messages_);
  std::fputc('\n', messages_);
  std::fflush(messages_);
}

void TerminalWindows::RunRefused(const PlanError& error) { Say(error.message); }

void TerminalWindows::ConversionRefused(const std::string& text) { Say(text); }

// The first Ctrl-C of a run is the cancel button; the next one ends the
// program as usual.
void TerminalWindows::RunStarted(const std::string&) { platform::StartInterruptWatch(); }

// The closing message asks for a button that a terminal does not have; the
// exit status says the run is done. The bytes left after an end mark are
// told.
void TerminalWindows::RunEnded(const RunTotals& totals) {
  platform::StopInterruptWatch();
  if (!totals.endedAtMark.empty()) Say(EndMarkNoticeMessage(totals.endedAtMark));
  for (const std::string& notice : totals.excelNotices) Say(notice);
}

void TerminalWindows::RunFailed(const IoError& error) {
  platform::StopInterruptWatch();
  ioErrorShown_ = true;
  Say(error.message);
}

void TerminalWindows::RunStopped(const std::string& message) {
  platform::StopInterruptWatch();
  Say(message);
}

void TerminalWindows::RunAbandoned() { platform::StopInterruptWatch(); }

std::optional<SubstitutionEntry> TerminalWindows::AskSubstitution(const std::string&, const std::string&) {
  if (entries_.empty()) return std::nullopt;
  const SubstitutionTexts texts = entries_.front();
  entries_.pop_front();
  auto checked = CheckSubstitutionEntry(texts);
  if (auto* entry = std::get_if<SubstitutionEntry>(&checked)) return *entry;
  Say(std::get<SubstitutionRefusal>(checked).message);
  abandoned_ = true;
  return std::nullopt;
}

void TerminalWindows::FileStarted(bool isSeries, const std::string& substitution) {
  substitution_ = isSeries ? Cp932ToUtf8ForDisplay(substitution) : std::string();
  serviced_ = 0;
  started_ = drawn_ = std::chrono::steady_clock::now();
  lineDrawn_ = false;
}

bool TerminalWindows::ServicePendingEvents() {
  if (++serviced_ % kRecordsPerClockCheck == 0 && showProgress_) {
    const auto now = std::chrono::steady_clock::now();
    if (now - drawn_ >= std::chrono::milliseconds(250)) {
      drawn_ = now;
      DrawProgress();
    }
  }
  return platform::InterruptRequested();
}

void TerminalWindows::DrawProgress() {
  const std::int64_t elapsedMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_)
          .count();
  const std::int64_t seconds = elapsedMs / 1000;
  std::string line = "\r実行中 ";
  line += ClockText(seconds);
  if (!substitution_.empty()) line += "  ＠文字：" + substitution_;
  line += "  ﾚｺｰﾄﾞ数：" + FormatCount(serviced_);  // digits and commas only
  if (const FileProgress* progress = Progress()) {
    if (const std::optional<int> perMille = PerMilleTaken(*progress)) {
      char percent[32];
      std::snprintf(percent, sizeof percent, "  %d.%d%%", *perMille / 10, *perMille % 10);
      line += percent;
    }
    if (const std::optional<std::int64_t> left = SecondsLeft(*progress, elapsedMs))
      line += "  残り " + ClockText(*left);
  }
  line += "\033[K";
  std::fputs(line.c_str(), messages_);
  std::fflush(messages_);
  lineDrawn_ = true;
}

void TerminalWindows::FileDone(const FileRunResult&) {
  if (lineDrawn_) {
    std::fputs("\r\033[K", messages_);
    std::fflush(messages_);
  }
  lineDrawn_ = false;
}

}  // namespace sifta::batch
