// What happens at the register, for whoever listens (GET /v1/eventos, as
// Server-Sent Events): a change of the printer's state, a reading of a
// reader, the end of a task that was answered 202. Each event has a
// number; a listener that reconnects with the last number it saw
// (Last-Event-ID) gets what it missed, as far as the recent events go.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "tools/qdm_service/problem.h"

namespace qdm_service {

struct Event {
  std::uint64_t id = 0;
  std::string type;  // "impressora", "leitura", "tarefa"
  std::string data;  // one line of JSON

  // The event as the stream carries it: "id:", "event:", "data:", a blank line.
  std::string Wire() const;
};

class EventHub {
 public:
  struct Limits {
    std::size_t max_listeners = 4;  // each holds an HTTP worker
    std::size_t backlog = 256;      // events kept per listener and for replay
  };

  class Listener {
   public:
    // The next event, waiting up to `bound`; none on time-out or once the
    // hub is closed.
    std::optional<Event> Next(std::chrono::milliseconds bound);
    bool closed() const;

   private:
    friend class EventHub;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Event> pending_;
    bool closed_ = false;
  };

  explicit EventHub(Limits limits);
  EventHub() : EventHub(Limits{}) {}

  // Any thread.
  void Publish(const std::string& type, const Json& data);
  // A new listener, handed the recent events after `last_seen` first (none
  // when 0). Raises ProblemError (503) past the listener bound or once closed.
  std::shared_ptr<Listener> Listen(std::uint64_t last_seen = 0);
  void Leave(const std::shared_ptr<Listener>& listener);
  // Wakes and ends every listener; no new ones.
  void Close();
  std::size_t listeners() const;

 private:
  Limits limits_;
  mutable std::mutex mutex_;
  std::uint64_t next_id_ = 1;
  std::deque<Event> recent_;
  std::set<std::shared_ptr<Listener>> listeners_;
  bool closed_ = false;
};

}  // namespace qdm_service
