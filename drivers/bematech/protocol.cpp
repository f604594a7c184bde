// The Bematech wire: every command of the driver is framed here, handed to
// the library, waited out while the printer is busy and judged by its
// status bytes; data answers are read and decoded here.
#include <array>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/protocol.h"
#include "drivers/common/command.h"
#include "platform/base/sysutils.h"

namespace Qdm00100 {

using namespace detail;

// 600 polls 50 ms apart: half a minute of a busy printer before the
// command is judged as it stands.
int MaxBusyPolls = kDefaultMaxBusyPolls;

namespace {

constexpr char kEsc = '\x1B';
constexpr char kSeparator = '|';
constexpr int kBusyPauseMs = 50;
constexpr int kBusyBit = 64;  // ST2: the printer is still working
constexpr std::size_t kAnswerSize = 3000;
const char* const kBusyPoll = "\x1B|19|\x1B";

// ---- Status judgement ---------------------------------------------------

enum class Effect { Failure, LittlePaper, CouponOpen };

struct StatusBit {
  int byte;  // 1: ST1, 2: ST2
  int mask;
  const char* key;
  Effect effect;
};

// Highest bit first, ST1 before ST2: the order of the dialogs.
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

constexpr int kReturnFailed = 1;
constexpr int kNak = 21;

void Report(const std::string& texto, bool mostra) {
  Log("ERRO!!! " + texto);
  if (mostra) ShowInformation(texto);
}

// ---- Frame and channel --------------------------------------------------

// A "|" or ESC inside a field would end it early on the printer, and a zero
// byte would cut the frame short in the library: a product called "A|B"
// goes out as "A/B", the other two as blanks.
std::string CleanArgument(const std::string& argument) {
  std::string clean = argument;
  for (char& c : clean) {
    if (c == kSeparator) {
      c = '/';
    } else if (c == kEsc || c == '\0') {
      c = ' ';
    }
  }
  return clean;
}

// A coupon an interrupted sale left open is cancelled, and the log names
// it: support staff must be able to tell which sale never reached its
// customer. Inside the channel the request would be refused by the
// re-entry guard; it reaches the printer only from the port opening.
void CancelLeftOpenCoupon() {
  if (boComando) return;
  const std::optional<std::string> numero = Query("30", {}, false);
  if (!EnviaComando_Bematech("14", {}, false, false)) return;
  Log((numero ? "Cupom " + *numero : std::string("Cupom")) +
      " deixado aberto cancelado na abertura da porta");
}

bool Busy(const PrinterStatus& status) { return (status.st2 & kBusyBit) != 0; }

// Waits out a busy printer, polling it with bare status frames. False when
// the driver was stopped meanwhile (a front-end handler run by the wait's
// message processing): the status can no longer be read.
bool WaitWhileBusy() {
  if (!Busy(ReadStatus())) return true;
  const drivers::WaitEnd end = drivers::WaitUntil(
      [] {
        if (!drivers::AllBound(LibraryEntryPoints())) return drivers::Try::Abandon;
        BemaFormataTX(kBusyPoll);
        return Busy(ReadStatus()) ? drivers::Try::Again : drivers::Try::Done;
      },
      kBusyPauseMs, MaxBusyPolls);
  if (end == drivers::WaitEnd::OutOfTries) Log("ERRO!!! Impressora ocupada");
  return end != drivers::WaitEnd::Abandoned;
}

}  // namespace

namespace detail {

PrinterStatus ReadStatus() {
  PrinterStatus s;
  BemaStatus_Mp20FI(&s.retorno, &s.ack, &s.st1, &s.st2);
  return s;
}

std::string BuildFrame(const std::string& comando, const std::vector<std::string>& parametros) {
  std::string frame;
  frame.reserve(comando.size() + 4 + parametros.size() * 16);
  frame += kEsc;
  frame += kSeparator;
  frame += comando;
  for (const auto& parametro : parametros) {
    frame += kSeparator;
    frame += CleanArgument(parametro);
  }
  frame += kSeparator;
  frame += kEsc;
  return frame;
}

std::optional<std::string> Query(const std::string& comando,
                                 const std::vector<std::string>& parametros, bool avisa,
                                 const std::string& leitura, bool apara) {
  if (!EnviaComando_Bematech(comando, parametros, avisa, false)) return std::nullopt;
  return RetornoImpFiscal_Bematech(leitura, apara);
}

}  // namespace detail

bool EnviaComando_Bematech(const std::string& comando, const std::vector<std::string>& parametros,
                           bool avisa, bool /*reservado*/) {
  // A command started while another is in progress (from a dialog of the
  // channel, or the judgement's own cancel request) is refused unsent.
  if (boComando) return false;
  if (!EntryPointBound(BemaFormataTX, "FormataTX") ||
      !EntryPointBound(BemaStatus_Mp20FI, "Status_Mp20FI")) {
    return false;
  }
  drivers::CommandGuard guard(boComando);
  const std::string codigo = comando;
  const std::string frame = BuildFrame(codigo, parametros);
  Log("Comando : " + frame);
  const int transmissao = BemaFormataTX(frame.c_str());
  // Stopped while the printer worked: what it did with the command cannot
  // be read any more, so the command is not taken as done.
  if (transmissao == 0 && !WaitWhileBusy()) {
    Log("ERRO!!! Impressora parada durante o comando : " + frame);
    return false;
  }
  // A command the library did not take is a failure, told or not: its
  // status bytes are those of the command before.
  if (transmissao != 0) {
    Log("ERRO!!! Comando : " + frame);
    if (avisa && ImpressoraOK(true, false, false)) ShowError(CatalogueText("ErroComando"));
    return false;
  }
  // Little paper is worth a word only when a coupon opens.
  return ImpressoraOK(avisa, codigo != "14", codigo == "00");
}

bool ImpressoraOK(bool avisa, bool cancelaAberto, bool avisaPapel) {
  if (!EntryPointBound(BemaStatus_Mp20FI, "Status_Mp20FI")) return false;
  const PrinterStatus status = ReadStatus();
  if (status.retorno == kReturnFailed) {
    Log("ERRO!!! Ret recebido");
    if (avisa) ShowInformation(CatalogueText("ImpErro"));
    return false;
  }
  if (status.ack == kNak) {
    Log("ERRO!!! NAK recebido");
    if (avisa) ShowInformation(CatalogueText("ImpErro"));
    return false;
  }
  bool ok = true;
  const int st1 = status.st1 & 0xFF;
  const int st2 = status.st2 & 0xFF;
  for (const StatusBit& bit : kStatusBits) {
    if (((bit.byte == 1 ? st1 : st2) & bit.mask) == 0) continue;
    switch (bit.effect) {
      case Effect::LittlePaper:
        if (avisa && avisaPapel) Report(CatalogueText(bit.key), true);
        break;
      case Effect::CouponOpen:
        Log("ERRO!!! " + CatalogueText(bit.key));
        if (cancelaAberto) CancelLeftOpenCoupon();
        break;
      case Effect::Failure:
        if (avisa) Report(CatalogueText(bit.key), true);
        ok = false;
        break;
    }
  }
  return ok;
}

std::string RetornoImpFiscal_Bematech(const std::string& comando, bool apara) {
  if (!EntryPointBound(BemaLe_Variaveis, "Le_Variaveis")) return std::string();
  // A spare zero after the 3000 blanks, for a library that reads it as text.
  std::string buffer(kAnswerSize + 1, ' ');
  buffer[kAnswerSize] = '\0';
  BemaLe_Variaveis(buffer.data());
  buffer.resize(kAnswerSize);
  std::string resultado;
  if (comando == "3529") {
    resultado = buffer.substr(0, 2);  // the service-rate map: two raw bytes
  } else if (apara) {
    resultado = platform::Trim(buffer);
  } else {
    resultado = std::move(buffer);
  }
  Log("Retorno da Impressora " + resultado);
  return resultado;
}

}  // namespace Qdm00100
