// A printer's non-volatile memory kept in a state file: read whole at
// power-on, written whole (and renamed over) after every change. A file that
// does not read back is a memory fault: it is never overwritten, the printer
// refuses its commands until a factory reset starts afresh. A printer's
// memory is small: a file above kStateFileLimit is such a fault too, known
// by its size and never read.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "emulators/common/files.h"

namespace emu {

inline constexpr std::size_t kStateFileLimit = std::size_t{1} << 20;

template <class State>
class StateMemory {
 public:
  using Parse = std::optional<State> (*)(const std::string& text);
  using Serialize = std::string (*)(const State& state);

  StateMemory(Parse parse, Serialize serialize) : parse_(parse), serialize_(serialize) {}

  // Points the memory at `path`; an empty path keeps it in the process alone.
  void SetPath(std::string path) {
    path_ = std::move(path);
    fault_ = false;
  }
  bool fault() const { return fault_; }
  void ClearFault() { fault_ = false; }

  // Takes the memory from the file into `state`. Where there is no file yet,
  // `make_new` fills a new memory (a factory-fresh printer, or the one in
  // use after a power cycle) and it is written at once. Without a file path
  // nothing happens.
  template <class MakeNew>
  void Load(State& state, MakeNew&& make_new) {
    if (path_.empty()) return;
    std::string text;
    switch (ReadWholeFile(path_, text, kStateFileLimit)) {
      case ReadResult::Read:
        if (std::optional<State> loaded = parse_(text)) {
          state = std::move(*loaded);
          fault_ = false;
        } else {
          fault_ = true;
        }
        break;
      case ReadResult::Missing:
        make_new();
        Save(state);
        break;
      case ReadResult::Unreadable:
      case ReadResult::TooLarge:
        fault_ = true;
        break;
    }
  }

  // Writes the memory; true when it is safe (or there is no file), false
  // when the memory is faulty or the write failed.
  bool Save(const State& state) const {
    if (path_.empty() || fault_) return !fault_;
    return WriteFileAtomic(path_, serialize_(state));
  }

 private:
  Parse parse_;
  Serialize serialize_;
  std::string path_;
  bool fault_ = false;
};

}  // namespace emu
