// The two readers: one read of at most 51 bytes within one second. A
// reader that keeps sending holds the caller no longer than that; what it
// sends after the read is not part of the reading.
#include <cstring>

#include "peripherals/common/device_port.h"
#include "peripherals/readers/Qdm00800.h"
#include "peripherals/readers/reading.h"

namespace Qdm00800 {

int IdPortaOpt = 0;
int IdVelocOpt = 0;
int IdTipoOpt = 0;
int IdPortaProx = 0;
int IdVelocProx = 0;
int IdTipoProx = 0;

namespace {

constexpr std::size_t kReadBytes = 51;
constexpr int kTypeWithTrailer = 2;

detail::ReadResult ReadReader(int port_index, int speed_index, std::string& reading) {
  reading.clear();
  peripherals::DevicePort port(peripherals::PortName(port_index), peripherals::Speed(speed_index));
  if (!port.Ready()) return detail::ReadResult::kNoPort;
  const std::string bytes = port.Read(kReadBytes);
  reading = bytes.substr(0, strnlen(bytes.data(), bytes.size()));  // up to the first zero byte
  return detail::ReadResult::kRead;
}

}  // namespace

namespace detail {

ReadResult ReadOptical(std::string& reading) {
  const ReadResult result = ReadReader(IdPortaOpt, IdVelocOpt, reading);
  if (IdTipoOpt == kTypeWithTrailer && !reading.empty()) reading.pop_back();
  return result;
}

}  // namespace detail

std::string GetOpticalReaderValue() {
  std::string reading;
  detail::ReadOptical(reading);
  return reading;
}

std::string GetProximidadeReaderValue() {
  std::string reading;
  ReadReader(IdPortaProx, IdVelocProx, reading);
  return reading;
}

}  // namespace Qdm00800
