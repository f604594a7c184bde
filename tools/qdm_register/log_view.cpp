#include "tools/qdm_register/log_view.h"

#include <array>

#include "platform/base/encoding.h"
#include "platform/base/sysutils.h"

namespace qdm_register {

namespace {

// Runs of blanks at least this long are padding of a fixed-size answer.
constexpr std::size_t kFoldedBlanks = 8;

constexpr std::array<const char*, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "TAB", "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\n' || (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) {
      if (c == '\r') ++i;
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

std::string ShowLine(const std::string& line, bool fold_blanks) {
  std::string shown;
  // The padding of an answer read from a fixed-size buffer: blanks, and the
  // zero some libraries leave after them.
  std::size_t end = line.find_last_not_of(std::string(" \0", 2));
  end = end == std::string::npos ? 0 : end + 1;
  for (std::size_t i = 0; i < end;) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == ' ') {
      std::size_t run = line.find_first_not_of(' ', i) - i;
      if (fold_blanks && run >= kFoldedBlanks)
        shown += " <" + platform::IntToStr(static_cast<long long>(run)) + " brancos> ";
      else
        shown.append(run, ' ');
      i += run;
      continue;
    }
    if (c < 0x20)
      shown += std::string("<") + kControlNames[c] + ">";
    else if (c == 0x7F)
      shown += "<DEL>";
    else
      shown += static_cast<char>(c);
    ++i;
  }
  return platform::Cp1252ToUtf8(shown);
}

bool IsError(const std::string& line) { return line.find("ERRO!!!") != std::string::npos; }

}  // namespace

std::string Readable(const std::string& bytes, const LogViewOptions& options) {
  std::string text;
  for (const std::string& line : Lines(bytes)) {
    if (options.errors_only && !IsError(line)) continue;
    text += ShowLine(line, options.fold_blanks) + "\n";
  }
  return text;
}

std::vector<std::string> NotableLines(const std::string& bytes) {
  std::vector<std::string> notable;
  for (const std::string& line : Lines(bytes)) {
    if (IsError(line) || platform::LowerCase(line).find("cancelad") != std::string::npos)
      notable.push_back(line);
  }
  return notable;
}

}  // namespace qdm_register
