#include "drivers/common/command.h"

#include "platform/base/clock.h"
#include "platform/os/application.h"

namespace drivers {

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
  return WaitUntil([&done] { return done() ? Try::Done : Try::Again; }, pause_ms, max_tries) ==
         WaitEnd::Done;
}

}  // namespace drivers
