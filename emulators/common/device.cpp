#include "emulators/common/device.h"

#include <cstdio>
#include <cstdlib>

namespace emu {

Device::Device(std::string library, std::string prefix, std::string default_tape)
    : library_(std::move(library)), prefix_(std::move(prefix)), tape_(std::move(default_tape)) {
  if (auto offset = Setting("CLOCK_OFFSET")) clock_.UseHost(std::atoll(offset->c_str()));
  if (auto tape = Setting("TAPE")) tape_.SetPath(*tape);
}

std::optional<std::string> Device::Setting(const char* name) const {
  const std::string variable = prefix_ + "_" + name;
  const char* value = std::getenv(variable.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

void Device::Reset() {
  faults_ = CommonFaults{};
  paper_ = Paper::Ok;
  port_available_ = true;
  ClearFrames();
  tape_.NewRoll();
  FactoryReset();
}

void Device::PowerCycle() {
  ClosePort();
  faults_.busy.Clear();
  PowerOn();
}

void Device::ClearFrames() {
  traffic_.Clear();
  FramesCleared();
}

bool Device::OpenPort(const char* port) {
  if (!port || !*port || !port_available_) return false;
  std::string error;
  if (!port_lock_.Acquire(port, &error)) {
    port_open_ = false;
    // What a driver would see as a port that will not open; the reason goes
    // to whoever watches the register's terminal.
    std::fprintf(stderr, "%s: port %s not opened: %s\n", library_.c_str(), port, error.c_str());
    return false;
  }
  port_open_ = true;
  return true;
}

void Device::ClosePort() {
  port_lock_.Release();
  port_open_ = false;
}

}  // namespace emu
