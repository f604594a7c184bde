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

std::optional<CommandFaultSetting> Device::FaultSetting() const {
  const std::optional<std::string> text = Setting("FAULT");
  if (!text) return std::nullopt;
  std::string error;
  std::optional<CommandFaultSetting> fault = ParseCommandFault(*text, &error);
  if (!fault) IgnoreFault(error);
  return fault;
}

void Device::IgnoreFault(const std::string& why) const {
  // Terminal text, UTF-8.
  std::fprintf(stderr, "%s: %s_FAULT=\"%s\" ignorado: %s\n", library_.c_str(), prefix_.c_str(),
               Setting("FAULT").value_or("").c_str(), why.c_str());
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
    std::fprintf(stderr, "%s: porta %s n\xC3\xA3o aberta: %s\n", library_.c_str(), port, error.c_str());
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
