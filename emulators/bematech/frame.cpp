#include "emulators/bematech/frame.h"

#include "emulators/common/fields.h"

namespace mp20emu {

std::optional<std::vector<std::string>> SplitFrame(const std::string& frame) {
  const std::string head = "\x1B|", tail = "|\x1B";
  if (frame.size() < head.size() + 1 + tail.size() || frame.compare(0, head.size(), head) != 0 ||
      frame.compare(frame.size() - tail.size(), tail.size(), tail) != 0)
    return std::nullopt;
  std::string inner = frame.substr(head.size(), frame.size() - head.size() - tail.size());
  if (inner.find('\x1B') != std::string::npos) return std::nullopt;
  std::vector<std::string> fields = emu::Split(inner, '|');
  if (fields.front().empty()) return std::nullopt;
  return fields;
}

}  // namespace mp20emu
