#include "emulators/tef/clock.h"

namespace tef_emu {

std::tm local_now() {
  const std::time_t now = std::time(nullptr);
  std::tm moment{};
  localtime_r(&now, &moment);
  return moment;
}

std::string format_time(const std::tm& moment, const char* strftime_format) {
  char text[64];
  const auto n = std::strftime(text, sizeof text, strftime_format, &moment);
  return std::string(text, n);
}

}  // namespace tef_emu
