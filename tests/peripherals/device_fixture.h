// Serial peripherals on real pseudo-terminals: the test plays the device on
// the master side and maps a COM port of the facade's table to the slave.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "emulators/readers/pty_device.h"
#include "emulators/readers/reader_device.h"
#include "platform/base/clock.h"
#include "platform/base/clock_testing.h"
#include "platform/os/serial.h"

namespace peripheral_test {

// Maps "COMn" to the device's slave side for the scope.
class MappedPort {
 public:
  MappedPort(int number, const emu::PtyDevice& device) : name_("COM" + std::to_string(number)) {
    platform::MapPort(name_, device.slave_path());
  }
  ~MappedPort() { platform::UnmapPort(name_); }
  MappedPort(const MappedPort&) = delete;
  MappedPort& operator=(const MappedPort&) = delete;

 private:
  std::string name_;
};

// Freezes the library clock; the port's waits then move it, so a
// one-second time-out takes milliseconds and can be measured exactly.
class FrozenClock {
 public:
  FrozenClock() { platform::clock::SetManual(start_); }
  ~FrozenClock() { platform::clock::UseSystem(); }
  FrozenClock(const FrozenClock&) = delete;
  FrozenClock& operator=(const FrozenClock&) = delete;
  long long ElapsedMs() const { return std::llround((platform::clock::Now() - start_) * 86400000.0); }

 private:
  platform::TDateTime start_ = 46000.5;
};

}  // namespace peripheral_test
