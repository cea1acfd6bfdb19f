#include "run/ProgressEstimate.h"

#include <algorithm>
#include <cstdio>

namespace sifta {

std::optional<int> PerMilleTaken(const FileProgress& progress) {
  if (progress.sourceBytes <= 0) return std::nullopt;
  const std::int64_t taken = std::clamp<std::int64_t>(progress.bytesTaken, 0, progress.sourceBytes);
  return static_cast<int>(taken * 1000 / progress.sourceBytes);
}

std::optional<std::int64_t> SecondsLeft(const FileProgress& progress, std::int64_t elapsedMs) {
  if (progress.sourceBytes <= 0 || progress.bytesTaken <= 0 || elapsedMs < 1000) return std::nullopt;
  const std::int64_t taken = std::min(progress.bytesTaken, progress.sourceBytes);
  const double left = static_cast<double>(progress.sourceBytes - taken) / static_cast<double>(taken) *
                      static_cast<double>(elapsedMs) / 1000.0;
  return static_cast<std::int64_t>(left + 0.5);
}

std::string ClockText(std::int64_t seconds) {
  seconds = std::max<std::int64_t>(seconds, 0);
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

}  // namespace sifta
