#include "peripherals/common/device_port.h"

#include <cstdlib>
#include <vector>

#include "facade/Qdm00000.h"

namespace peripherals {
namespace {

using namespace platform;

constexpr DWORD kQueueBytes = 256;
constexpr DWORD kTimeoutMs = 1000;

}  // namespace

std::string PortName(int port_index) {
  if (port_index < 0 || port_index >= static_cast<int>(Qdm00000::Portas.size())) return "";
  return Qdm00000::Portas[static_cast<std::size_t>(port_index)] + ":";
}

DWORD Speed(int speed_index) {
  if (speed_index < 0 || speed_index >= static_cast<int>(Qdm00000::Velocidades.size())) return 0;
  return static_cast<DWORD>(
      std::strtoul(Qdm00000::Velocidades[static_cast<std::size_t>(speed_index)].c_str(), nullptr, 10));
}

DevicePort::DevicePort(const std::string& port_name, DWORD baud) {
  if (port_name.empty() || baud == 0) return;
  handle_ =
      CreateFileA(port_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (handle_ == INVALID_HANDLE_VALUE) return;
  DCB dcb;
  if (!GetCommState(handle_, &dcb)) return;
  dcb.BaudRate = baud;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  COMMTIMEOUTS timeouts;
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = kTimeoutMs;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = kTimeoutMs;
  ready_ = SetupComm(handle_, kQueueBytes, kQueueBytes) && SetCommState(handle_, &dcb) &&
           SetCommTimeouts(handle_, &timeouts);
}

DevicePort::~DevicePort() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

bool DevicePort::WriteBytes(const std::string& text, unsigned char (*map)(unsigned char)) {
  if (!ready_) return false;
  for (const char c : text) {
    const unsigned char byte = map ? map(static_cast<unsigned char>(c)) : static_cast<unsigned char>(c);
    DWORD written = 0;
    if (!WriteFile(handle_, &byte, 1, &written, nullptr) || written != 1) return false;
  }
  return true;
}

std::string DevicePort::Read(std::size_t count) {
  if (!ready_ || count == 0) return "";
  std::vector<char> buffer(count);
  DWORD got = 0;
  if (!ReadFile(handle_, buffer.data(), static_cast<DWORD>(count), &got, nullptr)) return "";
  return std::string(buffer.data(), got);
}

}  // namespace peripherals
