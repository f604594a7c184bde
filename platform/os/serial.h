// Serial ports as files, with the kernel services' names, standing on
// termios. "COM1".."COM12" (also "COM1:" and "\\.\COM1") map to device
// paths: the one set with MapPort, else the environment variable
// PKG_QDM_COMn, else /dev/ttyS(n-1). Any other name is used as a path, so a
// pseudo-terminal ("/dev/pts/3") works as a port.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

using HANDLE = intptr_t;
using DWORD = uint32_t;
using BOOL = int;
constexpr HANDLE INVALID_HANDLE_VALUE = -1;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD MAXDWORD = 0xFFFFFFFFu;

constexpr uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2;
constexpr uint8_t ONESTOPBIT = 0, TWOSTOPBITS = 2;

struct DCB {
  DWORD DCBlength = sizeof(DCB);
  DWORD BaudRate = 9600;
  bool fBinary = true;
  bool fParity = false;
  bool fOutxCtsFlow = false;
  bool fRtsControl = false;  // RTS/CTS hardware flow control when true
  bool fOutX = false;        // XON/XOFF
  bool fInX = false;
  uint8_t ByteSize = 8;
  uint8_t Parity = NOPARITY;
  uint8_t StopBits = ONESTOPBIT;
};

struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout = 0;
  DWORD ReadTotalTimeoutMultiplier = 0;
  DWORD ReadTotalTimeoutConstant = 0;
  DWORD WriteTotalTimeoutMultiplier = 0;
  DWORD WriteTotalTimeoutConstant = 0;
};

void MapPort(const std::string& port_name, const std::string& device_path);
void UnmapPort(const std::string& port_name);
std::string PortDevicePath(const std::string& port_name);

// Opens the device and makes its line raw (bytes pass unchanged, no echo,
// no line editing); speed, byte size, parity, stop bits and flow control
// stay as the port had them, as GetCommState then tells. A Linux terminal
// new from boot has XON/XOFF output control on: set the port up (stty) as
// the devices need, as a Windows port is set up once for the shop.
HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD creation, DWORD flags,
                   HANDLE template_file);
BOOL GetCommState(HANDLE port, DCB* dcb);
BOOL SetCommState(HANDLE port, const DCB* dcb);
BOOL SetupComm(HANDLE port, DWORD in_queue, DWORD out_queue);
BOOL SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts);
// Reads up to `count` bytes within the time-outs set: total time-out =
// constant + multiplier x count; ReadIntervalTimeout = MAXDWORD with the
// others 0 returns at once with what is there. All zero (which would wait
// for ever on the original platform) waits at most 5 seconds. Waits are
// measured on the library clock and never burn a core.
BOOL ReadFile(HANDLE port, void* buffer, DWORD count, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE port, const void* buffer, DWORD count, DWORD* written, void* overlapped);
BOOL CloseHandle(HANDLE port);

}  // namespace platform
