// Faults of the file system for a test, on every platform: reads or writes
// of the files whose names end in a given way fail at a given byte, and
// locks are held by "another program". Installed while it lives.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Faults.h"

namespace sifta::testing {

class Faults final : public platform::FaultPlan {
 public:
  // From byte `at` of a file whose name ends in `nameEnd` on, the calls fail
  // with `error`; the bytes before it are read or written.
  struct Rule {
    std::string nameEnd;
    std::int64_t at;
    platform::SystemError error;
  };
  std::vector<Rule> reads;
  std::vector<Rule> writes;
  std::vector<std::string> lockedNameEnds;
  // Every read and write does at most this many bytes at a time (0: all).
  std::size_t readsAtMost = 0;
  std::size_t writesAtMost = 0;

  Faults() { platform::InstallFaults(this); }
  ~Faults() override { platform::InstallFaults(nullptr); }
  Faults(const Faults&) = delete;
  Faults& operator=(const Faults&) = delete;

  Cut Read(const std::filesystem::path& path, std::int64_t offset, std::size_t size) override {
    return Shorter(CutBy(reads, path, offset, size), readsAtMost);
  }
  Cut Write(const std::filesystem::path& path, std::int64_t offset, std::size_t size) override {
    return Shorter(CutBy(writes, path, offset, size), writesAtMost);
  }
  bool LockHeldElsewhere(const std::filesystem::path& path) override {
    for (const std::string& end : lockedNameEnds)
      if (Ends(path, end)) return true;
    return false;
  }

 private:
  static bool Ends(const std::filesystem::path& path, const std::string& end) {
    const std::string name = path.filename().string();
    return name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
  }
  static Cut Shorter(Cut cut, std::size_t most) {
    if (most > 0 && cut.most > most) {
      cut.most = most;
      cut.error.reset();  // the rest, and its error, come with the next call
    }
    return cut;
  }
  static Cut CutBy(const std::vector<Rule>& rules, const std::filesystem::path& path, std::int64_t offset,
                   std::size_t size) {
    for (const Rule& rule : rules) {
      if (!Ends(path, rule.nameEnd) || offset + static_cast<std::int64_t>(size) <= rule.at) continue;
      return {offset >= rule.at ? 0 : static_cast<std::size_t>(rule.at - offset), rule.error};
    }
    return {size, std::nullopt};
  }
};

}  // namespace sifta::testing
