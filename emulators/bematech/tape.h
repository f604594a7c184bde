// The paper tape: every printed line goes to the tape file (appended and
// flushed per print) and to a copy kept since the last reset or clear.
#pragma once
#include <string>

namespace mp20emu {

class Tape {
 public:
  void SetPath(const std::string& path) { path_ = path; }
  const std::string& path() const { return path_; }
  // Prints text; false when the tape file could not be written.
  bool Print(const std::string& text);
  const std::string& Printed() const { return printed_; }
  void ClearCopy() { printed_.clear(); }
  // A fresh roll: empties the copy and the file.
  void NewRoll();

 private:
  std::string path_ = "mp20fi_tape.txt";
  std::string printed_;
};

}  // namespace mp20emu
