// The paper tape: every printed text goes to the tape file (appended and
// flushed per print) and to a copy kept since the last reset or clear,
// which the bench reads.
#pragma once
#include <string>

namespace emu {

class Tape {
 public:
  explicit Tape(std::string default_path) : path_(std::move(default_path)) {}
  // An empty path prints to the copy only.
  void SetPath(const std::string& path) { path_ = path; }
  const std::string& path() const { return path_; }
  // Prints text; false when the tape file could not be written.
  bool Print(const std::string& text);
  const std::string& Printed() const { return printed_; }
  void ClearCopy() { printed_.clear(); }
  // A fresh roll: empties the copy and the file.
  void NewRoll();

 private:
  std::string path_;
  std::string printed_;
};

}  // namespace emu
