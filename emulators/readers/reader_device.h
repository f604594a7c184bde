// A bar-code or badge reader on a pseudo-terminal. It sends a reading when
// asked: the code as read, followed by a carriage return for a reader of
// type 2 (the register drops that last character). It can also send a
// reading in pieces, or keep sending one over and over (a badge left at the
// reader), from a thread of its own, paced on a clock that can be the
// register's own (so a frozen test clock paces the reader too).
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "emulators/readers/pty_device.h"

namespace emu {

class ReaderDevice : public PtyDevice {
 public:
  // Milliseconds on some clock; only differences between readings count.
  using ClockMs = std::function<long long()>;

  explicit ReaderDevice(bool carriage_return = false) : carriage_return_(carriage_return) {}
  ~ReaderDevice();  // stops sending first

  // A code passing under the reader (a bar code, a badge held to it).
  bool Present(const std::string& code) { return Send(Reading(code)); }
  void SetCarriageReturn(bool on) { carriage_return_ = on; }

  // The clock the paced sending below keeps to (the host's steady clock
  // unless set); set it before sending.
  void SetClock(ClockMs now_ms);
  // The reading cut into pieces of `piece_bytes`, the first sent at once,
  // each next one `every_ms` later. Returns at once.
  void SendInPieces(const std::string& code, std::size_t piece_bytes, int every_ms);
  // The reading sent at once and again every `every_ms` until StopSending.
  void KeepSending(const std::string& code, int every_ms);
  // Ends a paced sending (waits for its thread); nothing more goes out.
  void StopSending();
  // Pieces (or readings) a paced sending has sent so far.
  std::size_t PiecesSent() const { return pieces_sent_; }

 private:
  std::string Reading(const std::string& code) const { return carriage_return_ ? code + "\r" : code; }
  void Pace(std::vector<std::string> pieces, int every_ms, bool repeat);

  bool carriage_return_;
  ClockMs now_ms_;
  std::thread sender_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::atomic<std::size_t> pieces_sent_{0};
};

}  // namespace emu
