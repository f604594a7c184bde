// Path names: drive letters of the register's original platform mapped to
// host directories, the host executable, and the parts of a path.
#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "platform/os/files.h"

namespace platform {
namespace {

std::mutex paths_mutex;
std::map<char, std::string>& MappedDrives() {
  static auto* drives = new std::map<char, std::string>;
  return *drives;
}
std::string& HostExecutableOverride() {
  static auto* path = new std::string;
  return *path;
}

std::string WithoutTrailingSlashes(std::string directory) {
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  return directory;
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/tmp";
}

std::string Backslashes(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// Index of the last character that separates directory from name, or npos.
size_t LastDelimiter(const std::string& path) {
  size_t at = path.find_last_of("/\\");
  if (at == std::string::npos && HasDriveLetter(path)) return 1;
  return at;
}

}  // namespace

void MapDrive(char letter, const std::string& host_directory) {
  std::lock_guard lock(paths_mutex);
  MappedDrives()[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = host_directory;
}

void UnmapDrive(char letter) {
  std::lock_guard lock(paths_mutex);
  MappedDrives().erase(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
}

std::string DriveRoot(char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  {
    std::lock_guard lock(paths_mutex);
    auto mapped = MappedDrives().find(upper);
    if (mapped != MappedDrives().end()) return WithoutTrailingSlashes(mapped->second);
  }
  const std::string variable = std::string("PKG_QDM_DRIVE_") + upper;
  if (const char* root = std::getenv(variable.c_str()); root && *root) return WithoutTrailingSlashes(root);
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(upper)));
  return UserDataDirectory() + "/drive_" + lower;
}

std::string UserDataDirectory() {
  std::string data_home;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    data_home = xdg;
  else
    data_home = HomeDirectory() + "/.local/share";
  return WithoutTrailingSlashes(data_home) + "/pkg_qdm";
}

std::string HostPath(const std::string& path) {
  if (!HasDriveLetter(path)) return Backslashes(path);
  std::string rest = Backslashes(path.substr(2));
  std::string root = DriveRoot(path[0]);
  if (rest.empty()) return root;
  if (rest.front() == '/') rest.erase(0, 1);
  return root == "/" ? root + rest : root + "/" + rest;
}

std::string GetModuleFileNameA() {
  {
    std::lock_guard lock(paths_mutex);
    if (!HostExecutableOverride().empty()) return HostExecutableOverride();
  }
  std::string buffer(4096, '\0');
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return "";
    if (static_cast<size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

void SetHostExecutable(const std::string& path) {
  std::lock_guard lock(paths_mutex);
  HostExecutableOverride() = path;
}

std::string ExtractFilePath(const std::string& path) {
  size_t at = LastDelimiter(path);
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string ExtractFileName(const std::string& path) {
  size_t at = LastDelimiter(path);
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string ExtractFileExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ExtractShortPathName(const std::string& path) { return path; }

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  if (!path.empty() && (path.back() == '/' || path.back() == '\\')) return path;
  // A path in the original platform's form keeps its own delimiter.
  const bool windows_form =
      HasDriveLetter(path) || (path.find('\\') != std::string::npos && path.find('/') == std::string::npos);
  return path + (windows_form ? '\\' : PathDelim);
}

}  // namespace platform
