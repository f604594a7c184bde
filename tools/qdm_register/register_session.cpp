#include "tools/qdm_register/register_session.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/base/encoding.h"
#include "platform/os/files.h"

namespace qdm_register {

namespace fs = std::filesystem;

namespace {

std::uintmax_t SizeOf(const std::string& path) {
  std::error_code ec;
  auto size = fs::file_size(path, ec);
  return ec ? 0 : size;
}

std::string TailFrom(const std::string& path, std::uintmax_t offset) {
  if (!platform::FileExists(path)) return {};
  std::string bytes = platform::ReadFileBytes(path);
  return offset < bytes.size() ? bytes.substr(offset) : std::string();
}

}  // namespace

RegisterSession::RegisterSession(const std::string& directory)
    : directory_(fs::absolute(directory).lexically_normal().string()) {
  if (!directory_.empty() && directory_.back() == '/') directory_.pop_back();
  program_directory_ = platform::ExtractFilePath(platform::GetModuleFileNameA());
  platform::ForceDirectories(directory_);
  platform::ForceDirectories(drive_c());

  // The maker libraries stay where they were built; the register's own
  // files move to its home.
  std::string search = program_directory_;
  if (const char* old = std::getenv("PKG_QDM_LIBRARY_PATH"); old && *old) search += ":" + std::string(old);
  setenv("PKG_QDM_LIBRARY_PATH", search.c_str(), 1);
  setenv("MP20FI_STATE", file("mp20fi.state").c_str(), 1);
  setenv("MP20FI_TAPE", file("tape.txt").c_str(), 1);
  platform::SetHostExecutable(file("qdm_register"));
  platform::MapDrive('c', drive_c());

  MarkStart(file("tape.txt"));
  MarkStart(file("impdebug.txt"));
}

void RegisterSession::MarkStart(const std::string& path) { starts_[path] = SizeOf(path); }

std::string RegisterSession::WrittenSince(const std::string& path) const {
  auto start = starts_.find(path);
  return ForTerminal(TailFrom(path, start == starts_.end() ? 0 : start->second));
}

std::string ForTerminal(const std::string& bytes) {
  std::string shown;
  shown.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c == '\r') continue;
    // Answers are read from a blank-filled buffer; trailing blanks carry
    // nothing a person needs to see.
    if (c == '\n') {
      while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    }
    if (c == 0x1B) {
      shown += "<ESC>";
    } else if (c < 0x20 && c != '\n') {
      char code[8];
      std::snprintf(code, sizeof code, "<%02X>", c);
      shown += code;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return platform::Cp1252ToUtf8(shown);
}

}  // namespace qdm_register
