// Percent escapes: the bytes that would break a line's layout written as
// "%XX" (two upper-case hex digits), so that any text, separators and line
// ends included, fits in one field of a record or a journal line.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace emu {

// Escapes control bytes (below 0x20 and 0x7F), '%' and every byte of
// `reserved`; with `escape_high` the bytes from 0x80 up as well (for lines
// a person reads on a terminal).
std::string PercentEscape(std::string_view text, std::string_view reserved, bool escape_high = false);
// The text back; nothing when a '%' is not followed by two hex digits.
std::optional<std::string> PercentUnescape(std::string_view text);

}  // namespace emu
