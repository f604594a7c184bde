// Serial line settings: the kernel services' DCB against termios.
#pragma once
#include <termios.h>

#include "platform/os/serial.h"

namespace platform::os {

// Raw line, receiver on, modem lines ignored, 9600 8N1, no flow control.
void MakeRawLine(termios& settings);
// Changes `settings` to what the DCB asks for; false for a speed the host
// lacks or a byte size, parity or stop-bit value it cannot give.
bool ApplyDcb(const DCB& dcb, termios& settings);
// The DCB that describes `settings` (BaudRate 0 for an unknown speed).
DCB DcbOf(const termios& settings);

}  // namespace platform::os
