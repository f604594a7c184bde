// A bar-code or badge reader on a pseudo-terminal. It sends a reading when
// asked: the code as read, followed by a carriage return for a reader of
// type 2 (the register drops that last character).
#pragma once
#include <string>

#include "emulators/readers/pty_device.h"

namespace emu {

class ReaderDevice : public PtyDevice {
 public:
  explicit ReaderDevice(bool carriage_return = false) : carriage_return_(carriage_return) {}
  // A code passing under the reader (a bar code, a badge held to it).
  bool Present(const std::string& code) { return Send(carriage_return_ ? code + "\r" : code); }
  void SetCarriageReturn(bool on) { carriage_return_ = on; }

 private:
  bool carriage_return_;
};

}  // namespace emu
