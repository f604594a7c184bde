// The library's thread model in the service: every device call runs on
// the library's main thread, one at a time, at the top of its loop (never
// inside another call's device wait). HTTP workers hand work over and wait
// for it with a bound; work that outlives the wait goes on and is found
// later by its task id.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "tools/qdm_service/problem.h"

namespace qdm_service {

// Work for the main thread: it answers the reply the request gets.
using Work = std::function<Reply()>;

class Task {
 public:
  enum class State { Queued, Running, Done };

  Task(std::string id, std::string what, Work work);
  const std::string& id() const { return id_; }
  const std::string& what() const { return what_; }

  // Waits up to `bound` for the work to end; answers whether it has.
  bool WaitDone(std::chrono::milliseconds bound);
  State state() const;
  // The reply (meaningful once Done).
  Reply reply() const;
  // The caller stopped waiting: whoever asks later asks by the id. False
  // when the work ended meanwhile (the caller answers the reply itself).
  bool Detach();
  bool detached() const;

 private:
  friend class Dispatcher;
  void Run();
  void Finish(Reply reply);

  const std::string id_;
  const std::string what_;
  Work work_;
  mutable std::mutex mutex_;
  std::condition_variable done_;
  State state_ = State::Queued;
  bool detached_ = false;
  Reply reply_;
  std::chrono::steady_clock::time_point finished_at_;
};

class Dispatcher {
 public:
  struct Limits {
    std::size_t max_queued = 32;        // work waiting for the main thread
    std::size_t max_kept = 512;         // tasks kept to be asked for by id
    std::chrono::minutes kept_for{10};  // how long a finished task is kept
  };
  using Finished = std::function<void(const Task&)>;

  explicit Dispatcher(Limits limits);
  Dispatcher() : Dispatcher(Limits{}) {}
  // Called on the main thread after each piece of work of a detached task.
  void OnDetachedFinished(Finished finished) { on_detached_finished_ = std::move(finished); }

  // Any thread: queues the work. Raises ProblemError (503) when the queue is
  // full or the service is stopping.
  std::shared_ptr<Task> Submit(const std::string& what, Work work);
  // A task by its id, queued, running or kept after its end; null when unknown.
  std::shared_ptr<Task> Find(const std::string& id) const;

  // Main thread: runs the queued work, and the library's messages between
  // (a reader's reading, timers), until `keep_going` answers false.
  void Run(const std::function<bool()>& keep_going);
  // Runs what is queued now, then answers; for a main thread with a loop
  // of its own (and the tests).
  bool RunOne();
  // Any thread: no more work taken; work still queued answers 503.
  void Stop();

 private:
  void Forget();  // drops finished tasks past their keeping

  Limits limits_;
  Finished on_detached_finished_;
  mutable std::mutex mutex_;
  std::deque<std::shared_ptr<Task>> queue_;
  std::map<std::string, std::shared_ptr<Task>> tasks_;
  bool stopping_ = false;
};

// 128 random bits as 32 hex digits, from the system's random source.
std::string RandomHex(std::size_t bytes = 16);

}  // namespace qdm_service
