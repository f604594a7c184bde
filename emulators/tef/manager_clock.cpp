#include "emulators/tef/manager_clock.h"

#include <cstdlib>

namespace tef_emu {

const emu::Clock& manager_clock() {
  static const emu::Clock clock = [] {
    emu::Clock c;
    if (const char* offset = std::getenv("TEF_MANAGER_CLOCK_OFFSET")) c.UseHost(std::atoll(offset));
    return c;
  }();
  return clock;
}

}  // namespace tef_emu
