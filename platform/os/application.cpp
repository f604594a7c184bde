// The application object: the calls other threads hand to the main
// thread, timers on the library clock and the host's own event loop.
// Calls are taken one at a time, so a call that processes messages itself
// (a dialog, a wait on a device) keeps the order of those behind it.
#include "platform/os/application.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/base/clock.h"
#include "platform/base/encoding.h"
#include "platform/os/main_thread.h"
#include "platform/os/wait.h"

namespace platform {
namespace {

// How long a Synchronize waiter sleeps between looks at its give-up test.
constexpr int kGiveUpCheckMs = 10;

struct Handover {
  enum class Stage { kWaiting, kRunning, kDone, kAbandoned } stage = Stage::kWaiting;
  std::exception_ptr error;
};

struct Call {
  std::function<void()> fn;
  std::shared_ptr<Handover> handover;  // Synchronize only
};

struct Timer {
  long long interval_ms;
  long long due_ms;
  std::shared_ptr<std::function<void()>> fn;
};

struct State {
  std::mutex mutex;
  std::condition_variable work;     // a call was queued, or a wake-up
  std::condition_variable handled;  // a synchronized call has ended
  std::deque<Call> calls;
  bool wake = false;
  std::map<int, Timer> timers;
  int next_timer = 1;
  std::function<void()> hook;
  std::atomic<std::thread::id> main_thread;
};

// Never destroyed: threads may still hand over calls while the process ends.
State& S() {
  static auto* state = new State;
  return *state;
}

// Hands a failure of a queued call, a timer or the host's hook to the
// application's OnException, or writes it to standard error. A failing
// handler is written there too: nothing escapes message processing.
void Report(std::exception_ptr failure) noexcept {
  try {
    const auto& handler = Application().OnException;
    if (handler) {
      handler(failure);
      return;
    }
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    // A person reads standard error: the message (Windows-1252) in UTF-8.
    std::fprintf(stderr, "Pkg_Qdm: exce\xC3\xA7\xC3\xA3o ao processar mensagens: %s\n", Cp1252ToUtf8(e.what()).c_str());
  } catch (...) {
    std::fprintf(stderr, "Pkg_Qdm: exce\xC3\xA7\xC3\xA3o ao processar mensagens\n");
  }
}

// Runs fn; what it raises goes to Report.
template <typename Fn>
void Guarded(Fn&& fn) noexcept {
  try {
    fn();
  } catch (...) {
    Report(std::current_exception());
  }
}

// Runs the oldest queued call; false when there is none.
bool RunOneCall() {
  State& s = S();
  Call call;
  {
    std::lock_guard lock(s.mutex);
    for (;;) {
      if (s.calls.empty()) return false;
      call = std::move(s.calls.front());
      s.calls.pop_front();
      if (!call.handover) break;
      if (call.handover->stage == Handover::Stage::kAbandoned) continue;
      call.handover->stage = Handover::Stage::kRunning;
      break;
    }
  }
  if (!call.handover) {
    Guarded(call.fn);
    return true;
  }
  std::exception_ptr error;
  try {
    call.fn();
  } catch (...) {
    error = std::current_exception();
  }
  {
    // The waiter owns the outcome from here: nothing of it is released
    // on this thread after the lock is let go.
    std::lock_guard lock(s.mutex);
    call.handover->error = std::move(error);
    call.handover->stage = Handover::Stage::kDone;
    call.handover.reset();
  }
  s.handled.notify_all();
  return true;
}

size_t QueuedCalls() {
  std::lock_guard lock(S().mutex);
  return S().calls.size();
}

// A clock set back would hold a timer for as long: it is never due later
// than one interval from now. Under the state's lock.
void KeepWithinInterval(Timer& timer, long long now_ms) {
  timer.due_ms = std::min(timer.due_ms, now_ms + timer.interval_ms);
}

std::vector<int> DueTimers(long long now_ms) {
  std::lock_guard lock(S().mutex);
  std::vector<int> due;
  for (auto& [id, timer] : S().timers) {
    KeepWithinInterval(timer, now_ms);
    if (timer.due_ms <= now_ms) due.push_back(id);
  }
  return due;
}

// Fires the timer when it is still there and due. A late timer fires once
// and counts its next interval from now: no burst of missed ticks.
bool FireTimer(int id) {
  std::shared_ptr<std::function<void()>> fn;
  {
    std::lock_guard lock(S().mutex);
    auto found = S().timers.find(id);
    const long long now_ms = os::ClockMs();
    if (found == S().timers.end() || found->second.due_ms > now_ms) return false;
    found->second.due_ms = now_ms + found->second.interval_ms;
    fn = found->second.fn;
  }
  Guarded(*fn);
  return true;
}

// Milliseconds on the library clock until the next timer is due; -1 when none.
long long UntilNextTimer() {
  std::lock_guard lock(S().mutex);
  if (S().timers.empty()) return -1;
  const long long now_ms = os::ClockMs();
  long long next = S().timers.begin()->second.due_ms;
  for (auto& entry : S().timers) {
    KeepWithinInterval(entry.second, now_ms);
    next = std::min(next, entry.second.due_ms);
  }
  return std::max(0LL, next - now_ms);
}

void RunHook() {
  std::function<void()> hook;
  {
    std::lock_guard lock(S().mutex);
    hook = S().hook;
  }
  if (hook) Guarded(hook);
}

bool HandleOne() {
  if (RunOneCall()) return true;
  for (int id : DueTimers(os::ClockMs()))
    if (FireTimer(id)) return true;
  return false;
}

void Enqueue(Call call) {
  {
    std::lock_guard lock(S().mutex);
    S().calls.push_back(std::move(call));
  }
  S().work.notify_all();
}

}  // namespace

namespace os {

void RunQueuedCalls() {
  for (size_t waiting = QueuedCalls(); waiting > 0 && RunOneCall(); --waiting) {
  }
}

void WaitForQueuedCall(int real_ms) {
  State& s = S();
  std::unique_lock lock(s.mutex);
  s.work.wait_for(lock, std::chrono::milliseconds(real_ms), [&] { return !s.calls.empty() || s.wake; });
  s.wake = false;
}

void WakeMainThread() {
  {
    std::lock_guard lock(S().mutex);
    S().wake = true;
  }
  S().work.notify_all();
}

bool SynchronizeUnless(const std::function<void()>& fn, const std::function<bool()>& give_up) {
  State& s = S();
  auto handover = std::make_shared<Handover>();
  Enqueue({fn, handover});
  std::unique_lock lock(s.mutex);
  auto ended = [&] { return handover->stage == Handover::Stage::kDone; };
  if (!give_up) {
    s.handled.wait(lock, ended);
  } else {
    while (!ended()) {
      s.handled.wait_for(lock, std::chrono::milliseconds(kGiveUpCheckMs), ended);
      if (handover->stage == Handover::Stage::kWaiting && give_up()) {
        handover->stage = Handover::Stage::kAbandoned;
        return false;
      }
    }
  }
  if (handover->error) std::rethrow_exception(handover->error);
  return true;
}

}  // namespace os

void TApplication::ProcessMessages() {
  if (InMainThread()) {
    os::RunQueuedCalls();
    for (int id : DueTimers(os::ClockMs())) FireTimer(id);
  }
  RunHook();
}

bool TApplication::HandleMessage(int max_wait_ms) {
  if (!InMainThread()) {
    if (max_wait_ms > 0) clock::Pause(max_wait_ms);
    return false;
  }
  const os::Deadline deadline(std::max(0, max_wait_ms));
  for (;;) {
    if (HandleOne()) return true;
    RunHook();  // the host's window stays alive during the wait
    if (HandleOne()) return true;
    const long long remaining = deadline.RemainingMs();
    if (remaining <= 0) return false;
    // Wake in time for the next timer, and never step a manual clock past it.
    const long long until_timer = UntilNextTimer();
    const long long slice = until_timer < 0 ? remaining : std::min(remaining, until_timer);
    if (slice <= 0) continue;
    State& s = S();
    bool arrived;
    {
      std::unique_lock lock(s.mutex);
      arrived = s.work.wait_for(lock, std::chrono::milliseconds(os::RealSliceMs(slice)),
                                [&] { return !s.calls.empty() || s.wake; });
      s.wake = false;
    }
    if (!arrived) os::AfterIdleSlice(slice);
  }
}

void TApplication::Queue(std::function<void()> fn) {
  if (fn) Enqueue({std::move(fn), nullptr});
}

void TApplication::Synchronize(const std::function<void()>& fn) {
  if (!fn) return;
  if (InMainThread()) {
    fn();
    return;
  }
  os::SynchronizeUnless(fn, nullptr);
}

int TApplication::SetTimer(int interval_ms, std::function<void()> fn) {
  if (!fn) return 0;
  const long long interval = std::max(1, interval_ms);
  int id;
  {
    std::lock_guard lock(S().mutex);
    id = S().next_timer++;
    S().timers[id] = {interval, os::ClockMs() + interval, std::make_shared<std::function<void()>>(std::move(fn))};
  }
  os::WakeMainThread();  // a wait in progress may now end sooner
  return id;
}

void TApplication::KillTimer(int id) {
  std::lock_guard lock(S().mutex);
  S().timers.erase(id);
}

void TApplication::SetProcessMessagesHook(std::function<void()> hook) {
  std::lock_guard lock(S().mutex);
  S().hook = std::move(hook);
}

void TApplication::SetMainThread() { S().main_thread = std::this_thread::get_id(); }

bool TApplication::InMainThread() const { return S().main_thread.load() == std::this_thread::get_id(); }

TApplication& Application() {
  static TApplication application;
  std::thread::id nobody;
  S().main_thread.compare_exchange_strong(nobody, std::this_thread::get_id());
  return application;
}

}  // namespace platform
