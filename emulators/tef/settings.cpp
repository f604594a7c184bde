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
    FlagSetting{"absent", &Settings::absent, "Deixa os pedidos como est\xC3\xA3o (gerenciador parado)"},
    FlagSetting{"no-ack", &Settings::no_ack, "Toma os pedidos e nunca confirma nem responde"},
    FlagSetting{"no-ack-settle", &Settings::no_ack_settle,
                "Toma as confirma\xC3\xA7\xC3\265es e os desfazimentos (CNF, NCN) e nunca os confirma"},
    FlagSetting{"wrong-id", &Settings::wrong_id, "Confirma com outro identificador de pedido"},
    FlagSetting{"decline", &Settings::decline, "Nega as vendas com cart\xC3\xA3o"},
};

constexpr std::array delays{
    DelaySetting{"ack-delay-ms", &Settings::ack_delay_ms, "Espera antes de confirmar o pedido (ms)"},
    DelaySetting{"answer-delay-ms", &Settings::answer_delay_ms,
                 "Espera entre a confirma\xC3\xA7\xC3\xA3o e a resposta (ms)"},
    DelaySetting{"slow-write-ms", &Settings::slow_write_ms, "Pausa entre as linhas ao gravar uma resposta (ms)"},
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
                    apply(settings, normalised_key(emu::Trim(text.substr(0, eq))), emu::Trim(text.substr(eq + 1)));
    if (!ok) std::cerr << "tef_manager: " << control_file.string() << ": linha ignorada \"" << text << "\"\n";
  }
  return settings;
}

}  // namespace tef_emu
