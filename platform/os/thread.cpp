// TThread on std::thread.
//
// A thread runs from its first Resume (or Start). One created not
// suspended does not start in the constructor either: Execute would then
// race with the construction of the derived object that overrides it.
//
// The base destructor runs after a derived object's members are gone, so a
// derived class whose Execute uses its own members calls Terminate() and
// WaitFor() in its own destructor.
//
// A thread freed on its end (FreeOnTerminate, or deleted from its own
// Execute) is detached by its destructor; the thread function then touches
// only the run state it holds a share of, never the object.
#include "platform/os/thread.h"

#include <exception>
#include <mutex>
#include <set>

#include "platform/os/application.h"
#include "platform/os/main_thread.h"

namespace platform {
namespace {

// How often the main thread looks at a thread it waits for while it
// serves the calls handed to it.
constexpr int kWaitSliceMs = 10;

std::mutex control_mutex;  // starting and joining

// Threads that a thread other than the main one is tearing down: their
// Synchronize calls still waiting their turn are dropped, since the main
// thread may never come to them.
std::mutex abandoned_mutex;
std::set<const TThread*>& Abandoned() {
  static auto* threads = new std::set<const TThread*>;
  return *threads;
}

bool IsAbandoned(const TThread* thread) {
  std::lock_guard lock(abandoned_mutex);
  return Abandoned().count(thread) > 0;
}

void SetAbandoned(const TThread* thread, bool abandoned) {
  std::lock_guard lock(abandoned_mutex);
  if (abandoned)
    Abandoned().insert(thread);
  else
    Abandoned().erase(thread);
}

}  // namespace

TThread::TThread(bool /*create_suspended: both start on Resume, see above*/) {
  Application();  // the creating thread is the main thread when none is yet
}

TThread::~TThread() {
  terminated_ = true;
  {
    std::lock_guard lock(control_mutex);
    if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id()) {
      run_->deleted = true;  // deleted from its own Execute: Run lets go of it
      thread_.detach();
      return;
    }
  }
  try {
    WaitFor();
  } catch (...) {
    // A queued call's failure: the thread is joined all the same.
  }
}

void TThread::Resume() {
  std::lock_guard lock(control_mutex);
  if (started_) return;
  started_ = true;
  thread_ = std::thread(&TThread::Run, this, run_);
}

int TThread::WaitFor() {
  {
    std::lock_guard lock(control_mutex);
    if (!started_ || !thread_.joinable() || thread_.get_id() == std::this_thread::get_id()) return ReturnValue;
  }
  const bool main = Application().InMainThread();
  std::exception_ptr failure;  // of a queued call run meanwhile, raised once joined
  if (main) {
    while (!run_->finished) {
      try {
        os::RunQueuedCalls();
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
      if (!run_->finished) os::WaitForQueuedCall(kWaitSliceMs);
    }
  } else {
    SetAbandoned(this, true);
    run_->finished.wait(false);
  }
  {
    std::lock_guard lock(control_mutex);
    if (thread_.joinable()) thread_.join();
  }
  if (!main) SetAbandoned(this, false);
  if (failure) std::rethrow_exception(failure);
  return ReturnValue;
}

void TThread::Synchronize(const std::function<void()>& fn) {
  if (!fn) return;
  if (Application().InMainThread()) {
    fn();
    return;
  }
  os::SynchronizeUnless(fn, [this] { return terminated_ && IsAbandoned(this); });
}

void TThread::Run(TThread* self, std::shared_ptr<RunState> run) {
  try {
    self->Execute();
  } catch (...) {
    // Nobody can catch it on this thread; the thread just ends.
  }
  if (!run->deleted && self->FreeOnTerminate) {
    run->finished = true;  // a WaitFor inside the destructor returns at once
    delete self;
  }
  // From here on the object may be gone.
  run->finished = true;
  run->finished.notify_all();
  os::WakeMainThread();
}

}  // namespace platform
