// The TEF manager program beside the register, started and stopped by it.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace qdm_register {

// The emulated TEF manager serving one root, as a child process. It never
// outlives the register: it is stopped when the register ends, however it
// ends (see StopManagersOnSignals), and the system ends it when the
// register dies.
class TefManager {
 public:
  TefManager(const std::string& program, const std::string& root, const std::vector<std::string>& options = {});
  ~TefManager();  // asks it to stop and waits for it (bounded)
  TefManager(const TefManager&) = delete;
  TefManager& operator=(const TefManager&) = delete;
  bool running() const { return pid_ > 0; }
  // False once the manager has ended, however it ended (looked at now).
  bool Alive();
  void Stop();
  // Stops it at once, as a power failure would.
  void Kill();
  const std::string& root() const { return root_; }

 private:
  pid_t pid_ = -1;
  std::string root_;
};

// Makes SIGTERM, SIGHUP, SIGINT and SIGPIPE stop the managers the register
// started before the register ends by the signal.
void StopManagersOnSignals();

}  // namespace qdm_register
