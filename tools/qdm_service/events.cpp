#include "tools/qdm_service/events.h"

namespace qdm_service {

std::string Event::Wire() const {
  return "id: " + std::to_string(id) + "\nevent: " + type + "\ndata: " + data + "\n\n";
}

std::optional<Event> EventHub::Listener::Next(std::chrono::milliseconds bound) {
  std::unique_lock<std::mutex> lock(mutex_);
  ready_.wait_for(lock, bound, [this] { return closed_ || !pending_.empty(); });
  if (closed_ || pending_.empty()) return std::nullopt;
  Event event = std::move(pending_.front());
  pending_.pop_front();
  return event;
}

bool EventHub::Listener::closed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}

EventHub::EventHub(Limits limits) : limits_(limits) {}

void EventHub::Publish(const std::string& type, const Json& data) {
  std::lock_guard<std::mutex> lock(mutex_);
  Event event{next_id_++, type, data.dump(-1, ' ', false, Json::error_handler_t::replace)};
  recent_.push_back(event);
  if (recent_.size() > limits_.backlog) recent_.pop_front();
  for (const auto& listener : listeners_) {
    {
      std::lock_guard<std::mutex> own(listener->mutex_);
      // A listener that does not keep up loses its oldest events, never
      // the service its memory; the numbers show the gap.
      if (listener->pending_.size() >= limits_.backlog) listener->pending_.pop_front();
      listener->pending_.push_back(event);
    }
    listener->ready_.notify_one();
  }
}

std::shared_ptr<EventHub::Listener> EventHub::Listen(std::uint64_t last_seen) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) Fail("servico_encerrando", "O servi\xE7o est\xE1 encerrando");
  if (listeners_.size() >= limits_.max_listeners)
    Fail("servico_ocupado",
         "J\xE1 h\xE1 " + std::to_string(listeners_.size()) + " ouvintes de eventos; feche um antes de abrir outro");
  auto listener = std::make_shared<Listener>();
  if (last_seen > 0)
    for (const Event& event : recent_)
      if (event.id > last_seen) listener->pending_.push_back(event);
  listeners_.insert(listener);
  return listener;
}

void EventHub::Leave(const std::shared_ptr<Listener>& listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  listeners_.erase(listener);
}

void EventHub::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  for (const auto& listener : listeners_) {
    {
      std::lock_guard<std::mutex> own(listener->mutex_);
      listener->closed_ = true;
    }
    listener->ready_.notify_all();
  }
}

std::size_t EventHub::listeners() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return listeners_.size();
}

}  // namespace qdm_service
