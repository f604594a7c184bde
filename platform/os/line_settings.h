// Serial line settings: the kernel services' DCB against termios.
#pragma once
#include <termios.h>

#include "platform/os/serial.h"

namespace platform::os {

// Raw line (bytes pass unchanged, no editing, echo or signal keys),
// receiver on, carrier ignored; speed, byte size, parity, stop bits and
// flow control left as they were.
void MakeRawLine(termios& settings);
// Changes `settings` to what the DCB asks for (speed, byte size, parity,
// stop bits, RTS/CTS and XON/XOFF flow control), the rest untouched; false
// for a speed the host lacks or a byte size, parity or stop-bit value it
// cannot give.
bool ApplyDcb(const DCB& dcb, termios& settings);
// The DCB that describes `settings` (BaudRate 0 for an unknown speed).
DCB DcbOf(const termios& settings);

}  // namespace platform::os
