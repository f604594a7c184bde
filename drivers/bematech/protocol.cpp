// The Bematech wire: the frame every command goes out in, and the status
// bytes every command is judged by.
#include "drivers/bematech/protocol.h"

#include <array>

#include "drivers/bematech/Qdm00100.h"

namespace Qdm00100::detail {

namespace {

constexpr char kEsc = '\x1B';
constexpr char kSeparator = '|';
constexpr int kBusyBit = 64;  // ST2: the printer is still working

constexpr std::array<StatusBit, 16> kStatusBits{{
    {1, 128, "FimPapel", Effect::Failure},
    {1, 64, "PoucoPapel", Effect::LittlePaper},
    {1, 32, "ErroRelogio", Effect::Failure},
    {1, 16, "ImpErro", Effect::Failure},
    {1, 8, "SyntaxErro", Effect::Failure},
    {1, 4, "ComandoErro", Effect::Failure},
    {1, 2, "CupomAberto", Effect::CouponOpen},
    {1, 1, "ParamErro", Effect::Failure},
    {2, 128, "TipoParamErro", Effect::Failure},
    {2, 64, "MemLotada", Effect::Failure},
    {2, 32, "MemRAMErro", Effect::Failure},
    {2, 16, "AliqNProg", Effect::Failure},
    {2, 8, "AliqLotada", Effect::Failure},
    {2, 4, "CancNPermitido", Effect::Failure},
    {2, 2, "CGCIENProg", Effect::Failure},
    {2, 1, "ComandoNExec", Effect::Failure},
}};

// A "|" or ESC inside a field would end it early on the printer, and a zero
// byte would cut the frame short in the library: a product called "A|B"
// goes out as "A/B", the other two as blanks.
void AppendClean(std::string& frame, const std::string& argument) {
  for (char c : argument) {
    if (c == kSeparator) {
      c = '/';
    } else if (c == kEsc || c == '\0') {
      c = ' ';
    }
    frame += c;
  }
}

}  // namespace

PrinterStatus ReadStatus() {
  PrinterStatus s;
  BemaStatus_Mp20FI(&s.retorno, &s.ack, &s.st1, &s.st2);
  return s;
}

bool Busy(const PrinterStatus& status) { return (status.st2 & kBusyBit) != 0; }

std::span<const StatusBit> StatusBits() { return kStatusBits; }

bool Raised(const StatusBit& bit, const PrinterStatus& status) {
  return (((bit.byte == 1 ? status.st1 : status.st2) & 0xFF) & bit.mask) != 0;
}

std::string BuildFrame(const std::string& comando, const std::vector<std::string>& parametros) {
  std::size_t size = comando.size() + 4;
  for (const auto& parametro : parametros) size += parametro.size() + 1;
  std::string frame;
  frame.reserve(size);
  frame += kEsc;
  frame += kSeparator;
  frame += comando;
  for (const auto& parametro : parametros) {
    frame += kSeparator;
    AppendClean(frame, parametro);
  }
  frame += kSeparator;
  frame += kEsc;
  return frame;
}

}  // namespace Qdm00100::detail
