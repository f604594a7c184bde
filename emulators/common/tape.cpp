#include "emulators/common/tape.h"

#include <cstdio>

namespace emu {

bool Tape::Print(const std::string& text) {
  printed_ += text;
  if (path_.empty()) return true;
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (!file) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

void Tape::NewRoll() {
  printed_.clear();
  if (path_.empty()) return;
  if (std::FILE* file = std::fopen(path_.c_str(), "wb")) std::fclose(file);
}

}  // namespace emu
