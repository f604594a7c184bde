// Small fixtures shared by the platform tests: a scratch directory,
// environment variables put back as found, and the manual library clock.
#pragma once
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/base/clock.h"
#include "platform/base/clock_testing.h"
#include "support/temp_dir.h"

namespace ostest {

class ScratchDirectory : public testsupport::TempDir {
 public:
  ScratchDirectory() : TempDir("qdm-os") {}
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path())) names.push_back(entry.path().filename());
    return names;
  }
};

// Sets (or, with nullopt, removes) a variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_.c_str(), old_->c_str(), 1);
    else
      unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Freezes the library clock for the scope; Elapsed() in its milliseconds.
class ManualClock {
 public:
  ManualClock() : start_(46000.5) { platform::clock::SetManual(start_); }
  ~ManualClock() { platform::clock::UseSystem(); }
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;

  long long Elapsed() const { return std::llround((platform::clock::Now() - start_) * 86400000.0); }

 private:
  platform::TDateTime start_;
};

}  // namespace ostest
