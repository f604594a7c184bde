// What the bench sets and keeps of every emulated device: its paper, its
// fault counters and the traffic it received.
#pragma once
#include <string>
#include <vector>

namespace emu {

// The paper left in the device.
enum class Paper { Ok = 0, Low = 1, Out = 2 };

// A fault set from the bench for a number of the next occasions (commands,
// status polls): a positive count goes down by one each time it strikes,
// -1 holds it until cleared with 0.
class FaultCount {
 public:
  void Set(int count) { count_ = count < 0 ? -1 : count; }
  void Clear() { count_ = 0; }
  bool armed() const { return count_ != 0; }
  // True when the fault strikes this time.
  bool Take() {
    if (count_ == 0) return false;
    if (count_ > 0) --count_;
    return true;
  }

 private:
  int count_ = 0;
};

// Every frame handed to the maker's send call, in order, as received.
class Traffic {
 public:
  void Record(std::string frame) { frames_.push_back(std::move(frame)); }
  const std::vector<std::string>& frames() const { return frames_; }
  const std::string& last() const { return frames_.back(); }
  void Clear() { frames_.clear(); }

 private:
  std::vector<std::string> frames_;
};

}  // namespace emu
