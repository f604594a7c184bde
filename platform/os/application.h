// The application object and window messages. The front end owns the user
// interface thread (the "main thread": the first thread that touches the
// Application object, or the one that calls SetMainThread). Other threads
// hand work to it with Queue or Synchronize; waits in the library keep it
// alive by calling ProcessMessages or HandleMessage.
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

using HWND = intptr_t;
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using WNDPROC = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_ESCAPE = 0x1B;

class TApplication {
 public:
  // Runs everything pending for the main thread: queued and synchronized
  // calls, posted window messages, due timers, then the host's hook.
  // Returns at once when nothing is pending. Called from another thread it
  // only runs the host's hook. Never raises: see OnException.
  void ProcessMessages();
  // Waits for one message (queued call, posted message or due timer), up to
  // `max_wait_ms` on the library clock, and handles it. Never waits forever.
  // Answers whether a message was handled. Never raises: see OnException.
  bool HandleMessage(int max_wait_ms = 100);

  // Receives what a queued call, a posted message, a timer or the host's
  // hook raised while messages were processed, so that it never breaks
  // the wait of a device command that processed them. (A Synchronize
  // call's failure goes back to the thread that asked for it instead.)
  // Called on the thread that processed the messages (the main thread, but
  // for the hook run from another). When empty, the failure is written to
  // standard error as one line "Pkg_Qdm: ..."; a front end sets its own
  // (its log, its error dialog) at start, on the main thread.
  std::function<void(std::exception_ptr)> OnException;

  // Thread-safe: run fn on the main thread at its next message processing.
  void Queue(std::function<void()> fn);
  // Thread-safe: run fn on the main thread and wait until it has run. On
  // the main thread it runs at once.
  void Synchronize(const std::function<void()>& fn);

  // Timers on the library clock, fired by ProcessMessages/HandleMessage.
  int SetTimer(int interval_ms, std::function<void()> fn);
  void KillTimer(int id);

  // A front end that has its own event loop pumps it from here.
  void SetProcessMessagesHook(std::function<void()> hook);

  // Makes the calling thread the main thread.
  void SetMainThread();
  bool InMainThread() const;
};

TApplication& Application();

// Windows: a front end registers a window procedure and gets a handle.
HWND RegisterWindow(WNDPROC procedure);
void UnregisterWindow(HWND window);
// Delivers at once on the calling thread; 0 for an unknown window. From a
// thread other than the main thread it is synchronized to the main thread.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Queues for the main thread; false for an unknown window.
bool PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace platform

PKG_QDM_PUBLIC_END
