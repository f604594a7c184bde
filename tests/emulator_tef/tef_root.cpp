#include "tests/emulator_tef/tef_root.h"

#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "tests/emulator_tef/manager_process.h"

namespace tef_test {
namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \r") - first + 1);
}

std::string read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_whole(const fs::path& path, const std::string& bytes) {
  const fs::path work = path.parent_path() / ".test.tmp";
  std::ofstream(work, std::ios::binary) << bytes;
  fs::rename(work, path);
}

}  // namespace

bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

Fields parse_fields(const std::string& bytes) {
  Fields fields;
  std::istringstream in(bytes);
  std::string line;
  while (std::getline(in, line)) {
    const auto eq = line.find('=');
    if (eq != std::string::npos) fields.emplace(trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1)));
  }
  return fields;
}

std::vector<std::string> voucher_lines(const Fields& answer) {
  std::vector<std::string> lines;
  for (const auto& [code, value] : answer)
    if (code.rfind("029-", 0) == 0) lines.push_back(value);
  return lines;
}

TefRoot::TefRoot(const std::string& name, bool with_subdirectories) {
  root_ = fs::path(base_.path()) / name;
  fs::create_directories(root_);
  if (with_subdirectories) {
    fs::create_directories(root_ / "req");
    fs::create_directories(root_ / "resp");
  }
}

TefRoot::~TefRoot() = default;

void TefRoot::write_request(const std::vector<std::string>& lines, const std::string& name) const {
  std::string bytes;
  for (const auto& line : lines) bytes += line + "\r\n";
  write_whole(root_ / "req" / name, bytes + "999-999 = 0\r\n");
}

std::optional<std::string> TefRoot::take(const std::string& name) const {
  const fs::path path = root_ / "resp" / name;
  if (!eventually([&] { return fs::exists(path); })) return std::nullopt;
  auto bytes = read_all(path);
  fs::remove(path);
  return bytes;
}

std::optional<std::string> TefRoot::exchange(const std::vector<std::string>& lines) const {
  write_request(lines);
  return take("intpos.sts");
}

Fields TefRoot::transaction(const std::vector<std::string>& lines) const {
  if (!exchange(lines)) return {};
  return parse_fields(take("intpos.001").value_or(""));
}

void TefRoot::write_control(const std::string& text) const { write_whole(root_ / "manager.ctl", text); }

std::string TefRoot::journal() const { return read_all(root_ / "journal.txt"); }

std::string TefRoot::state_of(const std::string& nsu) const {
  std::istringstream summary(run_manager({"--root", root_.string(), "--print-journal"}));
  std::string line;
  while (std::getline(summary, line)) {
    if (line.rfind("nsu=" + nsu + " ", 0) != 0) continue;
    const auto at = line.find("estado=");
    return line.substr(at + 7, line.find(' ', at) - at - 7);
  }
  return "(absent)";
}

}  // namespace tef_test
