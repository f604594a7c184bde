#include "emulators/bematech/frame.h"

#include "emulators/common/fields.h"

namespace mp20emu {

std::optional<std::vector<std::string>> SplitFrame(std::string_view frame) {
  constexpr std::string_view head = "\x1B|", tail = "|\x1B";
  if (frame.size() < head.size() + 1 + tail.size() || !frame.starts_with(head) || !frame.ends_with(tail))
    return std::nullopt;
  const std::string_view inner = frame.substr(head.size(), frame.size() - head.size() - tail.size());
  if (inner.find('\x1B') != std::string_view::npos) return std::nullopt;
  std::vector<std::string> fields = emu::Split(inner, '|');
  if (fields.front().empty()) return std::nullopt;
  return fields;
}

}  // namespace mp20emu
