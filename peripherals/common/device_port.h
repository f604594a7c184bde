// A serial device reached for the length of one call: the display, the
// serial check printer and the readers are opened, set up, used and closed
// on every call, so nothing stays open between calls.
#pragma once
#include <cstddef>
#include <string>

#include "platform/os/serial.h"

namespace peripherals {

// The name a port index stands for, with the ":" the devices are opened
// with ("COM2:"); "" for an index outside the facade's port table.
std::string PortName(int port_index);
// The speed a speed index stands for (9600 for "9600"); 0 for an index
// outside the facade's speed table.
platform::DWORD Speed(int speed_index);

class DevicePort {
 public:
  // Opens the port (read and write, not shared, existing device only) and
  // sets it up: the speed given, 8 data bits, no parity, one stop bit, the
  // rest of the line as it was; queues of 256 bytes; reads and writes bounded
  // at 1000 ms in all. Ready() tells whether every step succeeded.
  DevicePort(const std::string& port_name, platform::DWORD baud);
  ~DevicePort();  // closes the port in every case
  DevicePort(const DevicePort&) = delete;
  DevicePort& operator=(const DevicePort&) = delete;

  bool Ready() const { return ready_; }
  // Writes the text a byte at a time, each byte through `map` when given;
  // false at the first byte the port refused or that did not go out within
  // the write time-out (nothing more is sent then).
  bool WriteBytes(const std::string& text, unsigned char (*map)(unsigned char) = nullptr);
  // One read of at most `count` bytes within the read time-out; "" when
  // nothing came or the port failed.
  std::string Read(std::size_t count);

 private:
  platform::HANDLE handle_ = platform::INVALID_HANDLE_VALUE;
  bool ready_ = false;
};

}  // namespace peripherals
