#include "run/WindowLayer.h"

#include <cstdio>
#include <ctime>

namespace sifta {

std::string WindowLayer::TimeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

}  // namespace sifta
