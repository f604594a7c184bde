// The two readers: one read of up to 51 bytes within a second, then the
// rest of the reading while the line keeps sending.
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
// Bytes thrown away after an over-long reading, at most: a device that
// never stops must not hold the caller (about a second at 9600 baud).
constexpr std::size_t kDrainBytes = 1024;
constexpr int kTypeWithTrailer = 2;

detail::ReadResult ReadReader(int port_index, int speed_index, std::string& reading,
                              const std::function<bool()>& stop) {
  reading.clear();
  peripherals::DevicePort port(peripherals::PortName(port_index), peripherals::Speed(speed_index));
  if (!port.Ready()) return detail::ReadResult::kNoPort;
  std::string bytes = port.Read(kReadBytes);
  if (bytes.empty()) return detail::ReadResult::kRead;
  // The rest of the reading follows without a pause; the quiet after it
  // ends the reading.
  if (!port.SetReadTimeout(ReadingGapMs)) return detail::ReadResult::kRead;
  bool overlong = false;
  for (std::size_t taken = bytes.size(); !(stop && stop());) {
    const std::string more = port.Read(kReadBytes);
    if (more.empty()) break;
    taken += more.size();
    if (!overlong) bytes += more;
    if (bytes.size() > LongestReading) overlong = true;
    if (taken > LongestReading + kDrainBytes) break;
  }
  if (overlong) return detail::ReadResult::kRead;
  reading = bytes.substr(0, std::strlen(bytes.c_str()));  // up to the first zero byte
  return detail::ReadResult::kRead;
}

}  // namespace

namespace detail {

ReadResult ReadOptical(std::string& reading, const std::function<bool()>& stop) {
  const ReadResult result = ReadReader(IdPortaOpt, IdVelocOpt, reading, stop);
  if (IdTipoOpt == kTypeWithTrailer && !reading.empty()) reading.pop_back();
  return result;
}

}  // namespace detail

std::string GetOpticalReaderValue() {
  std::string reading;
  detail::ReadOptical(reading, nullptr);
  return reading;
}

std::string GetProximidadeReaderValue() {
  std::string reading;
  ReadReader(IdPortaProx, IdVelocProx, reading, nullptr);
  return reading;
}

}  // namespace Qdm00800
