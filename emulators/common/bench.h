// What the bench sets and keeps of every emulated device: its paper, its
// fault counters and the traffic it received.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
// last frames are held (at least kKept), so an emulator left running for
// days keeps a bounded memory; frames are numbered from the last clear.
// Their bytes lie side by side in two blocks, the current one and the one
// before: a frame costs its own bytes, not a text object of its own.
class Traffic {
 public:
  static constexpr std::size_t kKept = std::size_t{1} << 16;

  void Record(std::string_view frame) {
    if (current_.ends.size() == kKept) {
      std::swap(previous_, current_);
      current_.Clear();
      first_ += kKept;
    }
    current_.bytes.append(frame);
    current_.ends.push_back(current_.bytes.size());
  }
  // Frames received since the last clear, the dropped ones included.
  std::size_t count() const { return first_ + current_.ends.size(); }
  // Frame `index` (0 is the first since the last clear); nothing when there
  // is none or it has left the record.
  std::optional<std::string_view> frame(std::size_t index) const {
    if (index >= count()) return std::nullopt;
    if (index >= first_) return current_.At(index - first_);
    if (first_ - index > previous_.ends.size()) return std::nullopt;
    return previous_.At(index - (first_ - previous_.ends.size()));
  }
  // The frame received last; there must be one.
  std::string_view last() const { return current_.At(current_.ends.size() - 1); }
  void Clear() {
    current_.Clear();
    previous_.Clear();
    first_ = 0;
  }

 private:
  struct Block {
    std::string bytes;
    std::vector<std::size_t> ends;  // where each frame's bytes end
    std::string_view At(std::size_t i) const {
      const std::size_t begin = i == 0 ? 0 : ends[i - 1];
      return std::string_view(bytes).substr(begin, ends[i] - begin);
    }
    void Clear() {
      bytes.clear();
      ends.clear();
    }
  };
  Block current_, previous_;
  std::size_t first_ = 0;  // number of the current block's first frame
};

}  // namespace emu
