#include "emulators/common/env_fault.h"

#include <charconv>

#include "emulators/common/fields.h"

namespace emu {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(separator, from);
    parts.push_back(Trim(text.substr(from, at == std::string::npos ? std::string::npos : at - from)));
    if (at == std::string::npos) return parts;
    from = at + 1;
  }
}

std::optional<CommandFaultSetting> Refuse(std::string* error, const std::string& why) {
  if (error) *error = why;
  return std::nullopt;
}

}  // namespace

std::optional<int> FaultNumber(const std::string& text, int low, int high) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) return std::nullopt;
  return value;
}

std::optional<CommandFaultSetting> ParseCommandFault(const std::string& text, std::string* error) {
  const std::vector<std::string> parts = Split(text, ':');
  if (parts.size() < 2 || parts.size() > 3) return Refuse(error, "use COMANDO:ESTADO[:VEZES], como 34:0,1:1");
  CommandFaultSetting setting;
  setting.command = parts[0];
  if (setting.command.empty()) return Refuse(error, "falta o comando");
  setting.status = Split(parts[1], ',');
  for (const std::string& part : setting.status)
    if (part.empty()) return Refuse(error, "falta o estado que a impressora responde");
  if (parts.size() == 3) {
    const std::optional<int> count = FaultNumber(parts[2], -1, 1000000);
    if (!count || *count == 0) return Refuse(error, "vezes deve ser um n\xC3\xBAmero positivo, ou -1 para sempre");
    setting.count = *count;
  }
  return setting;
}

}  // namespace emu
