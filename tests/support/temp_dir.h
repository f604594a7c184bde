// Test support: a fresh temporary directory, removed at the end by the
// process that made it (a forked child leaves it to its parent), whatever
// permissions a test left on it. Tests and benchmarks both include it.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace testsupport {

// A fresh directory "<prefix>-XXXXXX" under the temporary directory, left
// to the caller (a run that keeps what failed for a person to look at).
inline std::string MakeTempDir(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
  return pattern;
}

class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "qdm-test") : path_(MakeTempDir(prefix)) {}
  ~TempDir() {
    if (owner_ != getpid()) return;
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  pid_t owner_ = getpid();
};

}  // namespace testsupport
