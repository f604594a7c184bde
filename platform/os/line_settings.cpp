#include "platform/os/line_settings.h"

namespace platform::os {
namespace {

struct Speed {
  DWORD baud;
  speed_t code;
};

constexpr Speed kSpeeds[] = {
    {50, B50},         {75, B75},       {110, B110},     {134, B134},     {150, B150},       {200, B200},
    {300, B300},       {600, B600},     {1200, B1200},   {1800, B1800},   {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

struct ByteSize {
  uint8_t bits;
  tcflag_t flag;
};

constexpr ByteSize kByteSizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};

bool SpeedCode(DWORD baud, speed_t& code) {
  for (const Speed& speed : kSpeeds)
    if (speed.baud == baud) {
      code = speed.code;
      return true;
    }
  return false;
}

}  // namespace

void MakeRawLine(termios& settings) {
  // Bytes pass as they are, both ways: no break or parity marks, no
  // stripping of the eighth bit, no line-end translation, no line editing,
  // echo or signal keys, no output processing. Speed, byte size, parity,
  // stop bits and flow control stay as the port had them: the caller
  // changes what it needs with SetCommState.
  settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
  settings.c_oflag &= ~OPOST;
  settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  // No wait for a carrier the devices do not give; the receiver on.
  settings.c_cflag |= CLOCAL | CREAD;
  // A read with nothing there answers EAGAIN on the non-blocking descriptor.
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
}

bool ApplyDcb(const DCB& dcb, termios& settings) {
  speed_t speed;
  if (!SpeedCode(dcb.BaudRate, speed)) return false;
  const ByteSize* size = nullptr;
  for (const ByteSize& candidate : kByteSizes)
    if (candidate.bits == dcb.ByteSize) size = &candidate;
  if (!size) return false;
  if (dcb.Parity > EVENPARITY) return false;
  if (dcb.StopBits != ONESTOPBIT && dcb.StopBits != TWOSTOPBITS) return false;

  cfsetispeed(&settings, speed);
  cfsetospeed(&settings, speed);
  settings.c_cflag = (settings.c_cflag & ~CSIZE) | size->flag;
  settings.c_cflag &= ~(PARENB | PARODD | CSTOPB | CRTSCTS);
  if (dcb.Parity != NOPARITY) settings.c_cflag |= PARENB;
  if (dcb.Parity == ODDPARITY) settings.c_cflag |= PARODD;
  if (dcb.StopBits == TWOSTOPBITS) settings.c_cflag |= CSTOPB;
  if (dcb.fOutxCtsFlow || dcb.fRtsControl) settings.c_cflag |= CRTSCTS;
  settings.c_iflag &= ~(INPCK | IXON | IXOFF);  // IXANY is no DCB field: it stays
  if (dcb.fParity && dcb.Parity != NOPARITY) settings.c_iflag |= INPCK;
  if (dcb.fOutX) settings.c_iflag |= IXON;
  if (dcb.fInX) settings.c_iflag |= IXOFF;
  return true;
}

DCB DcbOf(const termios& settings) {
  DCB dcb;
  dcb.BaudRate = 0;
  const speed_t speed = cfgetospeed(&settings);
  for (const Speed& candidate : kSpeeds)
    if (candidate.code == speed) dcb.BaudRate = candidate.baud;
  for (const ByteSize& size : kByteSizes)
    if (size.flag == (settings.c_cflag & CSIZE)) dcb.ByteSize = size.bits;
  if (settings.c_cflag & PARENB)
    dcb.Parity = (settings.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  else
    dcb.Parity = NOPARITY;
  dcb.StopBits = (settings.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
  dcb.fParity = (settings.c_iflag & INPCK) != 0;
  dcb.fOutxCtsFlow = dcb.fRtsControl = (settings.c_cflag & CRTSCTS) != 0;
  dcb.fOutX = (settings.c_iflag & IXON) != 0;
  dcb.fInX = (settings.c_iflag & IXOFF) != 0;
  return dcb;
}

}  // namespace platform::os
