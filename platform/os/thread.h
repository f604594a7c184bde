// TThread as the reader thread uses it: created suspended, a priority, not
// freed on end, resumed, asked to terminate, waited for, and able to run
// code on the main thread with Synchronize.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

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
  bool Finished() const { return finished_; }

  // Recorded only: the host's scheduler decides; kept for the front end.
  TThreadPriority Priority = TThreadPriority::tpNormal;
  // The library never frees a thread on its end; the owner deletes it.
  bool FreeOnTerminate = false;
  int ReturnValue = 0;

 protected:
  virtual void Execute() = 0;
  // Runs fn on the main thread and waits for it.
  void Synchronize(const std::function<void()>& fn);

 private:
  void Run();
  std::thread thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> started_{false};
  std::atomic<bool> finished_{false};
};

}  // namespace platform
