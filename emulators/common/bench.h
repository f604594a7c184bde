// What the bench sets and keeps of every emulated device: its paper, its
// fault counters and the traffic it received.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
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

// The frames handed to the maker's send call, in order, as received. The
// last kKept are held, so an emulator left running for days keeps a
// bounded memory; frames are numbered from the last clear.
class Traffic {
 public:
  static constexpr std::size_t kKept = std::size_t{1} << 16;

  void Record(std::string_view frame) {
    if (held_.size() < kKept) {
      held_.emplace_back(frame);
    } else {
      held_[count_ % kKept].assign(frame);  // reuses the slot's storage
    }
    ++count_;
  }
  // Frames received since the last clear, the dropped ones included.
  std::size_t count() const { return count_; }
  // Frame `index` (0 is the first since the last clear); null when there is
  // none or it has left the record.
  const std::string* frame(std::size_t index) const {
    if (index >= count_ || count_ - index > held_.size()) return nullptr;
    return &held_[index % kKept];
  }
  const std::string& last() const { return held_[(count_ - 1) % kKept]; }
  void Clear() {
    held_.clear();
    count_ = 0;
  }

 private:
  std::vector<std::string> held_;
  std::size_t count_ = 0;
};

}  // namespace emu
