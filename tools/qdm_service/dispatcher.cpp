#include "tools/qdm_service/dispatcher.h"

#include <sys/random.h>

#include <stdexcept>
#include <vector>

#include "platform/os/application.h"

namespace qdm_service {

namespace {

// How long the main thread waits for the library's messages before it
// looks at the queue again; work submitted wakes it at once.
constexpr int kIdleWaitMs = 50;

Reply Unexpected(const std::exception& e) {
  return ProblemReply(Problem{"erro_interno", std::string("Erro interno: ") + e.what(), ""});
}

}  // namespace

Task::Task(std::string id, std::string what, Work work)
    : id_(std::move(id)), what_(std::move(what)), work_(std::move(work)) {}

bool Task::WaitDone(std::chrono::milliseconds bound) {
  std::unique_lock<std::mutex> lock(mutex_);
  return done_.wait_for(lock, bound, [this] { return state_ == State::Done; });
}

Task::State Task::state() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_;
}

Reply Task::reply() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reply_;
}

bool Task::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (state_ == State::Done) return false;
  detached_ = true;
  return true;
}

bool Task::detached() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return detached_;
}

void Task::Run() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_ = State::Running;
  }
  Reply reply;
  try {
    reply = work_();
  } catch (const ProblemError& e) {
    reply = ProblemReply(e.problem());
  } catch (const std::exception& e) {
    reply = Unexpected(e);
  }
  work_ = nullptr;  // what the work held goes now, on the main thread
  Finish(std::move(reply));
}

void Task::Finish(Reply reply) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reply_ = std::move(reply);
    state_ = State::Done;
    finished_at_ = std::chrono::steady_clock::now();
  }
  done_.notify_all();
}

Dispatcher::Dispatcher(Limits limits) : limits_(limits) {}

std::shared_ptr<Task> Dispatcher::Submit(const std::string& what, Work work) {
  std::shared_ptr<Task> task;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) Fail("servico_encerrando", "O servi\xE7o est\xE1 encerrando");
    if (queue_.size() >= limits_.max_queued)
      Fail("servico_ocupado",
           "H\xE1 " + std::to_string(queue_.size()) + " pedidos esperando os dispositivos; tente de novo em instantes");
    Forget();
    task = std::make_shared<Task>(RandomHex(), what, std::move(work));
    queue_.push_back(task);
    tasks_[task->id()] = task;
  }
  // Wakes the main thread out of its wait for messages.
  platform::Application().Queue([] {});
  return task;
}

std::shared_ptr<Task> Dispatcher::Find(const std::string& id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = tasks_.find(id);
  return found == tasks_.end() ? nullptr : found->second;
}

void Dispatcher::Forget() {
  const auto now = std::chrono::steady_clock::now();
  std::vector<std::string> finished;
  for (const auto& [id, task] : tasks_) {
    if (task->state() != Task::State::Done) continue;
    std::lock_guard<std::mutex> lock(task->mutex_);
    if (now - task->finished_at_ > limits_.kept_for) finished.push_back(id);
  }
  for (const auto& id : finished) tasks_.erase(id);
  // Over the bound, the oldest finished go first (ids are random, so by
  // their end).
  while (tasks_.size() >= limits_.max_kept) {
    auto oldest = tasks_.end();
    for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
      if (it->second->state() != Task::State::Done) continue;
      if (oldest == tasks_.end() || it->second->finished_at_ < oldest->second->finished_at_) oldest = it;
    }
    if (oldest == tasks_.end()) break;  // all still to run: the queue bound holds them
    tasks_.erase(oldest);
  }
}

bool Dispatcher::RunOne() {
  std::shared_ptr<Task> task;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) return false;
    task = queue_.front();
    queue_.pop_front();
  }
  task->Run();
  if (task->detached() && on_detached_finished_) on_detached_finished_(*task);
  return true;
}

void Dispatcher::Run(const std::function<bool()>& keep_going) {
  while (keep_going()) {
    if (RunOne()) continue;
    platform::Application().HandleMessage(kIdleWaitMs);
  }
}

void Dispatcher::Stop() {
  std::deque<std::shared_ptr<Task>> abandoned;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    abandoned.swap(queue_);
  }
  for (auto& task : abandoned)
    task->Finish(ProblemReply(Problem{"servico_encerrando", "O servi\xE7o encerrou antes de atender o pedido", ""}));
  platform::Application().Queue([] {});
}

std::string RandomHex(std::size_t bytes) {
  std::vector<unsigned char> raw(bytes);
  std::size_t got = 0;
  while (got < raw.size()) {
    const ssize_t n = getrandom(raw.data() + got, raw.size() - got, 0);
    if (n < 0) throw std::runtime_error("no random source");
    got += static_cast<std::size_t>(n);
  }
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned char b : raw) {
    text += kHex[b >> 4];
    text += kHex[b & 0xF];
  }
  return text;
}

}  // namespace qdm_service
