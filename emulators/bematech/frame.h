// The command frame: ESC "|" code ("|" field)* "|" ESC.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mp20emu {

// The fields between the framing bytes, command code first; nothing when
// the framing is wrong.
std::optional<std::vector<std::string>> SplitFrame(std::string_view frame);

}  // namespace mp20emu
