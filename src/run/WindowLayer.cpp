#include "run/WindowLayer.h"

#include <cstdio>

#include "platform/Clock.h"

namespace sifta {

std::string WindowLayer::TimeOfDay() {
  const platform::TimeOfDay now = platform::LocalTimeOfDay();
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour, now.minute, now.second);
  return text;
}

}  // namespace sifta
