#include "emulators/readers/reader_device.h"

#include <chrono>

namespace emu {
namespace {

long long SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// How often the sending thread looks at its clock: a frozen test clock
// moves only while the register waits, in steps of a few milliseconds.
constexpr auto kLookEvery = std::chrono::milliseconds(1);

}  // namespace

ReaderDevice::~ReaderDevice() { StopSending(); }

void ReaderDevice::SetClock(ClockMs now_ms) { now_ms_ = std::move(now_ms); }

void ReaderDevice::SendInPieces(const std::string& code, std::size_t piece_bytes, int every_ms) {
  const std::string reading = Reading(code);
  if (piece_bytes == 0) piece_bytes = 1;
  std::vector<std::string> pieces;
  for (std::size_t at = 0; at < reading.size(); at += piece_bytes) pieces.push_back(reading.substr(at, piece_bytes));
  Pace(std::move(pieces), every_ms, false);
}

void ReaderDevice::KeepSending(const std::string& code, int every_ms) { Pace({Reading(code)}, every_ms, true); }

void ReaderDevice::StopSending() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (sender_.joinable()) sender_.join();
}

void ReaderDevice::Pace(std::vector<std::string> pieces, int every_ms, bool repeat) {
  StopSending();
  stop_ = false;
  pieces_sent_ = 0;
  if (pieces.empty()) return;
  const ClockMs now = now_ms_ ? now_ms_ : ClockMs(SteadyMs);
  sender_ = std::thread([this, pieces = std::move(pieces), every_ms, repeat, now] {
    long long due = now();
    for (std::size_t next = 0;;) {
      std::unique_lock lock(mutex_);
      if (stop_) return;
      if (now() < due) {
        wake_.wait_for(lock, kLookEvery);
        continue;
      }
      lock.unlock();
      Send(pieces[next]);
      ++pieces_sent_;
      if (++next == pieces.size()) {
        if (!repeat) return;
        next = 0;
      }
      due += every_ms;  // a steady rate: a late piece does not move the next ones
    }
  });
}

}  // namespace emu
