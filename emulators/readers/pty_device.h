// A serial device played on a pseudo-terminal: the device holds the master
// side, the register opens the slave side as its port (map "COMn" to
// slave_path()). Used by the tests, the demo and the reader emulator.
#pragma once
#include <termios.h>

#include <string>

namespace emu {

class PtyDevice {
 public:
  PtyDevice();  // throws std::runtime_error when no pseudo-terminal is free
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  const std::string& slave_path() const { return slave_path_; }

  // The device sends; false when the line took less than all of it.
  bool Send(const std::string& bytes);
  // What the device received within `wait_ms` (real time), ending early
  // once `count` bytes are in; count 0 takes what is there now.
  std::string Receive(std::size_t count, int wait_ms = 1000);
  // Everything received until the line stays quiet for `quiet_ms`.
  std::string ReceiveUntilQuiet(int quiet_ms = 50, int wait_ms = 1000);

  // The line settings the port last set (a pseudo-terminal keeps the speed,
  // the stop bits and the flow control of them; it is always 8 bits, no
  // parity, whatever was asked).
  termios LineSettings() const;
  unsigned Baud() const;  // 0 for a speed outside the usual table
  // Sets the line as if another program had left it so.
  void SetBaud(unsigned baud);
  void SetLineSettings(const termios& settings);

  // Descriptors of this process open on the slave side: 0 once the port
  // is closed (only meaningful when the register runs in this process).
  int OpenCount() const;

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace emu
