#include "platform/Clock.h"

#include <ctime>

namespace sifta::platform {

TimeOfDay LocalTimeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace sifta::platform
