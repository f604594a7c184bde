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
  // Paces a reader's sending on this clock, so the reader and the register's
  // read time-out keep the same time.
  void Pace(emu::ReaderDevice& reader) const {
    reader.SetClock([] { return std::llround(platform::clock::Now() * 86400000.0); });
  }

 private:
  platform::TDateTime start_ = 46000.5;
};

// The readers' one read waits this long on the library clock, at most.
constexpr long long kReadTimeoutMs = 1000;
// A wait on a frozen clock ends within one step of its time.
constexpr long long kClockStepMs = 10;

}  // namespace peripheral_test
