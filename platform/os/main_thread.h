// What the thread class needs from the application object beyond its
// public face: waiting on the main thread for calls handed to it, and a
// Synchronize that a thread being torn down can give up.
#pragma once
#include <functional>

namespace platform::os {

// Main thread: runs the queued and synchronized calls waiting now.
void RunQueuedCalls();
// Main thread: blocks up to `real_ms` real milliseconds, less when a call
// is queued or WakeMainThread is called.
void WaitForQueuedCall(int real_ms);
void WakeMainThread();

// Runs fn on the main thread and waits for it, unless give_up() answers
// true while fn still waits its turn (then fn never runs). A call already
// running is always waited for. Answers whether fn ran; an exception
// raised by fn is raised again here.
bool SynchronizeUnless(const std::function<void()>& fn, const std::function<bool()>& give_up);

}  // namespace platform::os
