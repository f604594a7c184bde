// The front end's side of a card payment: the manager program beside the
// register, the sale request it writes, and the approved answer kept in the
// voucher store for printing after the coupon.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/dataset/stringlist.h"

namespace qdm_register {

// The emulated TEF manager serving one root, as a child process. It never
// outlives the register: it is stopped when the register ends, however it
// ends (see StopManagersOnSignals), and the system ends it when the
// register dies.
class TefManager {
 public:
  TefManager(const std::string& program, const std::string& root,
             const std::vector<std::string>& options = {});
  ~TefManager();  // asks it to stop and waits for it (bounded)
  TefManager(const TefManager&) = delete;
  TefManager& operator=(const TefManager&) = delete;
  bool running() const { return pid_ > 0; }
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

struct CardResult {
  bool approved = false;
  std::string network;  // 010-000
  std::string document; // 012-000
  std::string message;  // 030-000, or why there was no answer (Windows-1252)
};

// Chooses the network, probes the manager, writes a card sale request for
// `amount` and waits (bounded) for its answer. An approved answer is
// archived and added as a block to Qdm00500::stlCuponsTEF.
CardResult PayByCard(double amount);

}  // namespace qdm_register
