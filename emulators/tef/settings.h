// Scriptable behaviour of the manager. Each setting is a command-line
// option and a key of the control file "manager.ctl" in the root (lines
// "key=value", '#' starts a comment). The control file is read again for
// every request: a key present there overrides the command line, a key
// removed from it falls back to the command line.
#pragma once
#include <filesystem>
#include <span>
#include <string>

namespace tef_emu {

struct Settings {
  bool absent = false;         // leave requests untouched, as if not running
  bool no_ack = false;         // take requests and stay silent
  bool no_ack_settle = false;  // the same for confirmations and undos only (hung after approving)
  bool wrong_id = false;       // acknowledge with another identifier
  bool decline = false;        // the network declines card sales
  int ack_delay_ms = 0;
  int answer_delay_ms = 0;
  int slow_write_ms = 0;  // pause between lines while writing an answer
};

struct FlagSetting {
  const char* name;  // option "--name", control key "name"
  bool Settings::*member;
  const char* help;
};

struct DelaySetting {
  const char* name;
  int Settings::*member;
  const char* help;
};

std::span<const FlagSetting> flag_settings();
std::span<const DelaySetting> delay_settings();

constexpr int max_delay_ms = 600000;

// `base` with the control file laid over it. Bad lines are reported on
// stderr and skipped.
Settings with_control_file(const Settings& base, const std::filesystem::path& control_file);

}  // namespace tef_emu
