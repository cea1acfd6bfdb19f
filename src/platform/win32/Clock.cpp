#include "platform/Clock.h"

#include <windows.h>

namespace sifta::platform {

TimeOfDay LocalTimeOfDay() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return TimeOfDay{now.wHour, now.wMinute, now.wSecond};
}

}  // namespace sifta::platform
