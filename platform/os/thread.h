// TThread as the reader thread uses it: created suspended, a priority,
// resumed, asked to terminate, waited for, able to run code on the main
// thread with Synchronize, and optionally freed on its end.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread {
 public:
  explicit TThread(bool create_suspended);
  // Asks the thread to end and waits for it.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume();  // starts a suspended thread (once)
  void Start() { Resume(); }
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // Blocks until Execute has returned; the main thread keeps processing
  // queued Synchronize calls while it waits, so the two cannot dead-lock.
  int WaitFor();
  bool Finished() const { return run_->finished; }

  // Recorded only: the host's scheduler decides; kept for the front end.
  TThreadPriority Priority = TThreadPriority::tpNormal;
  // When true the thread deletes itself once Execute has returned; nobody
  // else may delete it or wait for it then. A thread may also delete itself
  // as the last thing its Execute does. Either way nothing of the object is
  // touched afterwards.
  bool FreeOnTerminate = false;
  int ReturnValue = 0;

 protected:
  virtual void Execute() = 0;
  // Runs fn on the main thread and waits for it.
  void Synchronize(const std::function<void()>& fn);

 private:
  // What the thread function still needs after Execute returns, held apart
  // from the object so that the object may be gone by then.
  struct RunState {
    std::atomic<bool> finished{false};
    std::atomic<bool> deleted{false};  // deleted from its own Execute
  };
  static void Run(TThread* self, std::shared_ptr<RunState> run);
  std::thread thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> started_{false};
  std::shared_ptr<RunState> run_ = std::make_shared<RunState>();
};

}  // namespace platform

PKG_QDM_PUBLIC_END
