// The command frame: ESC "|" code ("|" field)* "|" ESC.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace mp20emu {

// The fields between the framing bytes, command code first; nothing when
// the framing is wrong.
std::optional<std::vector<std::string>> SplitFrame(const std::string& frame);

}  // namespace mp20emu
