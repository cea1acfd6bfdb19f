// What a progress display shows of a file's FileProgress: the share of its
// bytes taken and the time left at the pace so far. The same for the
// progress window and the driver's progress line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "run/RecordSelection.h"

namespace sifta {

// Per mille of the file's bytes taken (0 to 1000); nothing when its size is
// not known.
std::optional<int> PerMilleTaken(const FileProgress& progress);

// The time left in seconds, when it can be told: the file's size is known,
// a part of it has been taken, and at least a second has passed.
std::optional<std::int64_t> SecondsLeft(const FileProgress& progress, std::int64_t elapsedMs);

// Seconds as "hh:mm:ss" (hours beyond 99 shown in full).
std::string ClockText(std::int64_t seconds);

}  // namespace sifta
