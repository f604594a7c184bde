// The command channel's guard against re-entry and the one bounded wait
// every driver uses while a printer works: tries a step again and again,
// pausing on the library clock and processing the front end's messages
// between tries, up to a number of tries.
#pragma once
#include <functional>

namespace drivers {

// Sets the module's command flag (its exported boComando) for the length of
// one command, and clears it also when a log write or a dialog raises.
class CommandGuard {
 public:
  explicit CommandGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~CommandGuard() { flag_ = false; }
  CommandGuard(const CommandGuard&) = delete;
  CommandGuard& operator=(const CommandGuard&) = delete;

 private:
  bool& flag_;
};

// What one try of a wait found.
enum class Try {
  Done,     // the printer is ready: the wait ends
  Again,    // not yet: pause and try again
  Abandon,  // the wait cannot go on (the driver was stopped meanwhile)
};

enum class WaitEnd { Done, OutOfTries, Abandoned };

// Before every try (the first included), pauses `pause_ms` on the library
// clock and lets the front end process its messages; then tries. Ends at
// the first try that is Done or Abandon, or after `max_tries` tries.
//
// A message handler may stop the printer while the wait processes
// messages, so a try that calls the maker library checks first that its
// entry points are still bound (AllBound) and answers Abandon when not.
WaitEnd WaitUntil(const std::function<Try()>& attempt, int pause_ms, int max_tries);

// The same for a try that is only done or not: true when one was done.
bool WaitUntil(const std::function<bool()>& done, int pause_ms, int max_tries);

}  // namespace drivers
