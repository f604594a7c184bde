#include "drivers/common/command.h"

#include "drivers/common/messages.h"
#include "platform/base/clock.h"
#include "platform/os/application.h"

namespace drivers {

CommandScope::CommandScope(bool& flag, std::initializer_list<Required> entries) {
  if (flag) return;
  for (const Required& entry : entries) {
    if (!entry.bound) {
      ReportUnbound(entry.name);
      return;
    }
  }
  flag = true;
  flag_ = &flag;
}

void LogCommand(const std::string& frame) {
  std::string line;
  line.reserve(frame.size() + 10);
  line += "Comando : ";
  line += frame;
  Log(line);
}

WaitEnd WaitUntil(const std::function<Try()>& attempt, int pause_ms, int max_tries) {
  for (int tries = 0; tries < max_tries; ++tries) {
    platform::clock::Pause(pause_ms);
    platform::Application().ProcessMessages();
    switch (attempt()) {
      case Try::Done:
        return WaitEnd::Done;
      case Try::Abandon:
        return WaitEnd::Abandoned;
      case Try::Again:
        break;
    }
  }
  return WaitEnd::OutOfTries;
}

bool WaitUntil(const std::function<bool()>& done, int pause_ms, int max_tries) {
  return WaitUntil([&done] { return done() ? Try::Done : Try::Again; }, pause_ms, max_tries) == WaitEnd::Done;
}

}  // namespace drivers
