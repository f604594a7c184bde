// Port names of the original platform ("COM1", "COM1:", "\\.\COM1",
// "LPT1") mapped to host devices.
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "platform/os/files.h"
#include "platform/os/serial.h"

namespace platform {
namespace {

struct PortFamily {
  const char* prefix;
  const char* default_device;  // followed by the port number less one
};

constexpr PortFamily kFamilies[] = {{"COM", "/dev/ttyS"}, {"LPT", "/dev/lp"}};

struct PortName {
  const PortFamily* family = nullptr;
  int number = 0;
  std::string key;  // "COM3"
};

// "\\.\com3:" is port 3 of the COM family; a path is no port.
bool ParsePortName(const std::string& name, PortName& port) {
  std::string key = name;
  if (key.rfind("\\\\.\\", 0) == 0) key.erase(0, 4);
  if (!key.empty() && key.back() == ':') key.pop_back();
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const PortFamily& family : kFamilies) {
    const std::string prefix = family.prefix;
    if (key.size() <= prefix.size() || key.size() > prefix.size() + 3 || key.compare(0, prefix.size(), prefix) != 0)
      continue;
    const std::string digits = key.substr(prefix.size());
    if (digits[0] == '0' || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    port = {&family, std::stoi(digits), key};
    return true;
  }
  return false;
}

std::string MapKey(const std::string& name) {
  PortName port;
  return ParsePortName(name, port) ? port.key : name;
}

std::mutex ports_mutex;
std::map<std::string, std::string>& MappedPorts() {
  static auto* ports = new std::map<std::string, std::string>;
  return *ports;
}

}  // namespace

void MapPort(const std::string& port_name, const std::string& device_path) {
  std::lock_guard lock(ports_mutex);
  MappedPorts()[MapKey(port_name)] = device_path;
}

void UnmapPort(const std::string& port_name) {
  std::lock_guard lock(ports_mutex);
  MappedPorts().erase(MapKey(port_name));
}

std::string PortDevicePath(const std::string& port_name) {
  {
    std::lock_guard lock(ports_mutex);
    auto mapped = MappedPorts().find(MapKey(port_name));
    if (mapped != MappedPorts().end()) return mapped->second;
  }
  PortName port;
  if (!ParsePortName(port_name, port)) return HostPath(port_name);
  if (const char* device = std::getenv(("PKG_QDM_" + port.key).c_str()); device && *device) return device;
  return port.family->default_device + std::to_string(port.number - 1);
}

}  // namespace platform
