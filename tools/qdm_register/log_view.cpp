#include "tools/qdm_register/log_view.h"

#include <array>

#include "platform/base/encoding.h"
#include "platform/base/sysutils.h"

namespace qdm_register {

namespace {

// Runs of blanks at least this long are padding of a fixed-size answer.
constexpr std::size_t kFoldedBlanks = 8;

constexpr std::array<const char*, 32> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "TAB", "LF",  "VT",  "FF", "CR", "SO", "SI",
    "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS", "GS", "RS", "US"};

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

// The printer's status answers "coupon open" to every command sold in a
// coupon, and the driver logs it as an error: during a coupon the register
// opened itself it is the printer's ordinary state, not a fault.
const char* const kCouponOpen = "ERRO!!! Cupom aberto.";

// The command code of a "Comando : ESC|code|..." line, "" for other lines.
std::string CommandCode(const std::string& line) {
  const std::string head = std::string("Comando : \x1B|");
  const std::size_t at = line.find(head);
  if (at == std::string::npos) return {};
  const std::size_t from = at + head.size();
  const std::size_t end = line.find('|', from);
  std::string code = line.substr(from, end == std::string::npos ? std::string::npos : end - from);
  // The table commands carry their sub-code: "80|52".
  if (code == "80" && end != std::string::npos) code += "|" + line.substr(end + 1, 2);
  return code;
}

// Tracks the coupons the log shows opened and ended in this run.
class CouponTracker {
 public:
  void See(const std::string& line) {
    if (line.find("Carregando DLL Impressora Fiscal") != std::string::npos) open_ = false;
    const std::string code = CommandCode(line);
    if (code == "00" || code == "80|52") open_ = true;  // a coupon, a table's coupon
    if (code == "34" || code == "14") open_ = false;    // its closing ended, its cancellation
  }
  bool open() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace

std::string Readable(const std::string& bytes, const LogViewOptions& options) {
  std::string text;
  CouponTracker coupon;
  int folded = 0;
  for (const std::string& line : Lines(bytes)) {
    coupon.See(line);
    if (options.errors_only && !IsError(line)) continue;
    if (options.errors_only && coupon.open() && line.find(kCouponOpen) != std::string::npos) {
      ++folded;
      continue;
    }
    text += ShowLine(line, options.fold_blanks) + "\n";
  }
  if (folded > 0)
    text += platform::Cp1252ToUtf8("(" + platform::IntToStr(folded) + " linha" + (folded > 1 ? "s" : "") + " \"" +
                                   kCouponOpen +
                                   "\" durante cupons em andamento, omitidas: \xE9 o estado normal da impressora a "
                                   "cada comando de um cupom aberto)\n");
  return text;
}

std::vector<std::string> NotableLines(const std::string& bytes) {
  std::vector<std::string> notable;
  for (const std::string& line : Lines(bytes)) {
    if (IsError(line) || platform::LowerCase(line).find("cancelad") != std::string::npos) notable.push_back(line);
  }
  return notable;
}

}  // namespace qdm_register
