// What every driver's command channel does alike: the prologue of a
// command (the guard against re-entry, the check that the entry points it
// calls are bound, the log line of its frame), the question whose answer is
// read only when the printer took it, and the one bounded wait every driver
// uses while a printer works: tries a step again and again, pausing on the
// library clock and processing the front end's messages between tries, up
// to a number of tries.
#pragma once
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

namespace drivers {

// An entry point a command calls, and its name for the log.
struct Required {
  template <typename Fn>
  constexpr Required(Fn* entry, const char* entry_name) : bound(entry != nullptr), name(entry_name) {}
  bool bound;
  const char* name;
};

// The prologue of every printer command. The command is refused unsent
// while another is in progress (one started from a dialog of the channel,
// or from the judgement's own cancel request) and when an entry point it
// calls is unbound (the first such one logged: "ERRO!!! DLL nao carregada:
// <name>"). Otherwise the module's command flag is set for as long as the
// scope lives.
class CommandScope {
 public:
  CommandScope(bool& flag, std::initializer_list<Required> entries);
  ~CommandScope() {
    if (flag_ != nullptr) *flag_ = false;
  }
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;

  bool Refused() const { return flag_ == nullptr; }

 private:
  bool* flag_ = nullptr;
};

// The debug-log line of a frame the channel hands to the library:
// "Comando : <frame>".
void LogCommand(const std::string& frame);

// A question to the printer: `send` sends the command, and `read` reads its
// answer only when the printer took the command, so a stale answer of an
// earlier command is never taken for this one's.
template <typename Send, typename Read>
std::optional<std::string> Query(Send&& send, Read&& read) {
  if (!send()) return std::nullopt;
  return read();
}

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
