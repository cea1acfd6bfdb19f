// The local time of day.
#pragma once

namespace sifta::platform {

struct TimeOfDay {
  int hour = 0;  // 0-23
  int minute = 0;
  int second = 0;
};

TimeOfDay LocalTimeOfDay();

}  // namespace sifta::platform
