// Each module clears its globals when the library is unloaded, through its
// own ClearGlobals() (also what the tests call to start afresh).
#pragma once

namespace drivers {

// Runs a module's clearing function when the library is unloaded. Define
// it in the file that defines the globals, after them: it is then
// destroyed, and the globals cleared, before they are.
class ClearAtUnload {
 public:
  explicit constexpr ClearAtUnload(void (*clear)()) : clear_(clear) {}
  ~ClearAtUnload() { clear_(); }
  ClearAtUnload(const ClearAtUnload&) = delete;
  ClearAtUnload& operator=(const ClearAtUnload&) = delete;

 private:
  void (*clear_)();
};

}  // namespace drivers
