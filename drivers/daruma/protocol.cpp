#include "drivers/daruma/protocol.h"

#include <array>
#include <cstring>

#include "drivers/daruma/Qdm00300.h"
#include "drivers/common/command.h"
#include "drivers/daruma/driver.h"

namespace Qdm00300::detail {

namespace {

constexpr char kEsc = '\x1B';
constexpr char kGs = '\x1D';
constexpr std::size_t kAnswerBuffer = 1000;
constexpr int kAnswerMax = 999;
// Warnings: the printer did the command and says something besides.
constexpr std::array<const char*, 4> kToleratedCodes{"21", "40", "43", "61"};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

struct OneRead {
  int result;
  std::string text;
};

OneRead ReadOnce() {
  std::array<char, kAnswerBuffer + 1> buffer{};
  const int result = Dar_Resposta(buffer.data(), kAnswerMax);
  buffer[kAnswerBuffer] = '\0';
  return {result, std::string(buffer.data(), ::strnlen(buffer.data(), kAnswerBuffer))};
}

}  // namespace

std::string Byte(unsigned char command) { return std::string(1, static_cast<char>(command)); }

std::string BuildFrame(const Model& model, unsigned char command, const std::string& parametros, bool& status) {
  status = command == kEstado;
  const std::optional<unsigned char> sent = Translate(model, command);
  std::string frame;
  frame.reserve(parametros.size() + 2);
  if (!sent) return parametros;
  if (status) {
    frame += kGs;
  } else if (*sent != kEstadoDocumento) {
    frame += kEsc;
  }
  frame += static_cast<char>(*sent);
  frame += parametros;
  return frame;
}

bool AnswerReportsError(const std::string& answer) {
  if (answer.size() < 2 || answer[1] != 'E') return false;
  const std::string code = answer.substr(2, 2);
  for (const char* tolerated : kToleratedCodes)
    if (code == tolerated) return false;
  return true;
}

std::string DrawerFlag(const Model& model, const std::string& answer) {
  const DrawerReading& d = model.drawer;
  const std::string digits = Field(answer, {d.pos, d.digits});
  if (static_cast<int>(digits.size()) != d.digits) return std::string();
  int value = 0;
  for (char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::string();
    value = value * 16 + digit;
  }
  return (value & d.mask) != 0 ? d.when_set : d.when_clear;
}

std::optional<Document> OpenDocumentIn(const Model& model, const std::string& answer) {
  const DocumentReading& d = model.document;
  const std::string c = Field(answer, {d.pos, 1});
  if (c.empty()) return std::nullopt;
  const int value = d.hex_digit ? HexDigit(c[0]) : static_cast<unsigned char>(c[0]);
  if (value < 0) return std::nullopt;
  const bool report = (value & 0x08) != 0;
  if ((value & 0x04) != 0 && !(d.hex_digit && report)) return Document::Coupon;
  return report ? Document::Report : Document::None;
}

std::string Field(const std::string& answer, AnswerField field) {
  if (field.pos < 1 || static_cast<std::size_t>(field.pos) > answer.size()) return std::string();
  return answer.substr(static_cast<std::size_t>(field.pos - 1), static_cast<std::size_t>(field.len));
}

AnswerRead ReadStableAnswer(const Model& model, bool status) {
  AnswerRead read;
  const auto attempt = [&]() {
    // A message handled during the wait may have stopped the driver.
    if (!drivers::AllBound(LibraryEntryPoints())) return drivers::Try::Abandon;
    const OneRead first = ReadOnce();
    const OneRead second = ReadOnce();
    // A read the library reports as failed makes the try a failed one.
    if (first.result < 0 || second.result < 0) return drivers::Try::Again;
    read.any = true;
    // Two reads that return different values: the answer is still arriving.
    if (first.result != second.result) return drivers::Try::Again;
    read.taken = true;
    read.text = second.text;
    // A status answer of type 7 is whole only with its hex digits in place.
    const int check = model.status_hex_check_pos;
    if (status && check > 0) {
      const std::string c = Field(read.text, {check, 1});
      if (c.empty() || HexDigit(c[0]) < 0) return drivers::Try::Again;
    }
    read.settled = true;
    return drivers::Try::Done;
  };
  // The first try at once; the others after a pause for the printer, the
  // screen processing its messages meanwhile.
  if (attempt() != drivers::Try::Again) return read;
  drivers::WaitUntil(attempt, kAnswerPauseMs, kAnswerTries - 1);
  return read;
}

}  // namespace Qdm00300::detail
