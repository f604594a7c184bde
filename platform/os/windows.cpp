// Front-end windows: a handle per registered procedure. Messages reach a
// window on the main thread only; a posted one waits in the main thread's
// queue with the other calls handed to it.
#include <map>
#include <memory>
#include <mutex>

#include "platform/os/application.h"

namespace platform {
namespace {

using Procedure = std::shared_ptr<const WNDPROC>;

std::mutex windows_mutex;
HWND next_window = 0x10000;
std::map<HWND, Procedure>& Windows() {
  static auto* windows = new std::map<HWND, Procedure>;
  return *windows;
}

Procedure Find(HWND window) {
  std::lock_guard lock(windows_mutex);
  auto found = Windows().find(window);
  return found == Windows().end() ? nullptr : found->second;
}

// A window closed since the message was sent or posted takes nothing.
LRESULT Deliver(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Procedure procedure = Find(window);
  return procedure ? (*procedure)(window, message, wparam, lparam) : 0;
}

}  // namespace

HWND RegisterWindow(WNDPROC procedure) {
  if (!procedure) return 0;
  std::lock_guard lock(windows_mutex);
  const HWND window = next_window;
  next_window += 0x10;  // never reused: a stale handle reaches no other window
  Windows()[window] = std::make_shared<const WNDPROC>(std::move(procedure));
  return window;
}

void UnregisterWindow(HWND window) {
  std::lock_guard lock(windows_mutex);
  Windows().erase(window);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!Find(window)) return 0;
  if (Application().InMainThread()) return Deliver(window, message, wparam, lparam);
  LRESULT result = 0;
  Application().Synchronize([&] { result = Deliver(window, message, wparam, lparam); });
  return result;
}

bool PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!Find(window)) return false;
  Application().Queue([=] { Deliver(window, message, wparam, lparam); });
  return true;
}

}  // namespace platform
