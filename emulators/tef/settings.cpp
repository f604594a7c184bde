#include "emulators/tef/settings.h"

#include <array>
#include <charconv>
#include <iostream>
#include <optional>
#include <sstream>

#include "emulators/common/fields.h"
#include "emulators/tef/files.h"

namespace tef_emu {
namespace {

constexpr std::array flags{
    FlagSetting{"absent", &Settings::absent, "Leave requests untouched (manager not running)"},
    FlagSetting{"no-ack", &Settings::no_ack, "Take requests but never acknowledge or answer"},
    FlagSetting{"wrong-id", &Settings::wrong_id, "Acknowledge with another request identifier"},
    FlagSetting{"decline", &Settings::decline, "Decline card sales"},
};

constexpr std::array delays{
    DelaySetting{"ack-delay-ms", &Settings::ack_delay_ms, "Wait before acknowledging"},
    DelaySetting{"answer-delay-ms", &Settings::answer_delay_ms,
                 "Wait between acknowledgement and answer"},
    DelaySetting{"slow-write-ms", &Settings::slow_write_ms,
                 "Pause between lines while writing an answer"},
};

std::optional<int> parse_int(const std::string& text, int low, int high) {
  int value = 0;
  const auto* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < low || value > high) return std::nullopt;
  return value;
}

// Control keys may be written with '_' as well as '-'.
std::string normalised_key(std::string key) {
  for (auto& c : key)
    if (c == '_') c = '-';
  return key;
}

bool apply(Settings& settings, const std::string& key, const std::string& value) {
  for (const auto& f : flags) {
    if (key != f.name) continue;
    const auto v = parse_int(value, 0, 1);
    if (!v) return false;
    settings.*f.member = (*v == 1);
    return true;
  }
  for (const auto& d : delays) {
    if (key != d.name) continue;
    const auto v = parse_int(value, 0, max_delay_ms);
    if (!v) return false;
    settings.*d.member = *v;
    return true;
  }
  return false;
}

}  // namespace

std::span<const FlagSetting> flag_settings() { return flags; }
std::span<const DelaySetting> delay_settings() { return delays; }

Settings with_control_file(const Settings& base, const std::filesystem::path& control_file) {
  Settings settings = base;
  std::istringstream in(read_file(control_file).value_or(""));
  std::string line;
  while (std::getline(in, line)) {
    const auto text = emu::Trim(line.substr(0, line.find('#')));
    if (text.empty()) continue;
    const auto eq = text.find('=');
    const bool ok = eq != std::string::npos &&
                    apply(settings, normalised_key(emu::Trim(text.substr(0, eq))),
                          emu::Trim(text.substr(eq + 1)));
    if (!ok)
      std::cerr << "tef_manager: " << control_file.string() << ": ignored line \"" << text
                << "\"\n";
  }
  return settings;
}

}  // namespace tef_emu
