#include "emulators/common/escape.h"

#include <charconv>

namespace emu {

std::string PercentEscape(std::string_view text, std::string_view reserved, bool escape_high) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char byte : text) {
    const auto c = static_cast<unsigned char>(byte);
    const bool escape = c < 0x20 || c == 0x7F || c == '%' || (escape_high && c >= 0x80) ||
                        reserved.find(byte) != std::string_view::npos;
    if (!escape) {
      out += byte;
      continue;
    }
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
  }
  return out;
}

std::optional<std::string> PercentUnescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    unsigned value = 0;
    const char* first = text.data() + i + 1;
    auto [end, ec] = std::from_chars(first, first + 2, value, 16);
    if (ec != std::errc() || end != first + 2) return std::nullopt;
    out += static_cast<char>(value);
    i += 2;
  }
  return out;
}

}  // namespace emu
