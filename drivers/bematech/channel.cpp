// The command channel: every command of the driver is framed here, handed
// to the library, waited out while the printer is busy and judged.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver_support.h"
#include "platform/os/application.h"
#include "platform/base/clock.h"
#include "platform/base/sysutils.h"

namespace Qdm00100 {

using namespace detail;

// 600 polls 50 ms apart: half a minute of a busy printer before the
// command is judged as it stands.
int MaxBusyPolls = 600;

namespace {

constexpr char kEsc = '\x1B';
constexpr char kSeparator = '|';
constexpr int kBusyPauseMs = 50;
constexpr int kBusyBit = 64;  // ST2: the printer is still working
constexpr std::size_t kAnswerSize = 3000;
const char* const kBusyPoll = "\x1B|19|\x1B";

// boComando for the length of one command, cleared also when a log write or
// a dialog raises.
class CommandGuard {
 public:
  CommandGuard() { boComando = true; }
  ~CommandGuard() { boComando = false; }
  CommandGuard(const CommandGuard&) = delete;
  CommandGuard& operator=(const CommandGuard&) = delete;
};

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

void WaitWhileBusy() {
  PrinterStatus status = ReadStatus();
  for (int polls = 0; (status.st2 & kBusyBit) != 0; ++polls) {
    if (polls >= MaxBusyPolls) {
      Log("ERRO!!! Impressora ocupada");
      return;
    }
    platform::clock::Pause(kBusyPauseMs);
    platform::Application().ProcessMessages();
    BemaFormataTX(kBusyPoll);
    status = ReadStatus();
  }
}

}  // namespace

namespace detail {

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
  CommandGuard guard;
  const std::string codigo = comando;
  const std::string frame = BuildFrame(codigo, parametros);
  Log("Comando : " + frame);
  const int transmissao = BemaFormataTX(frame.c_str());
  if (transmissao == 0) WaitWhileBusy();
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
