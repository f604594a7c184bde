// The command channel: every command of the driver is framed here, handed
// to the library, asked again while the printer is busy, followed by the
// state poll when the host wants it, and judged.
#include "drivers/sweda/Qdm00200.h"
#include "drivers/sweda/driver_support.h"
#include "drivers/sweda/models.h"
#include "drivers/sweda/protocol.h"
#include "facade/Qdm00000.h"
#include "platform/base/clock.h"
#include "platform/os/application.h"
#include "utility/utility.h"

namespace Qdm00200 {

using namespace detail;

// Half a minute of a busy printer, or of a printer that does not finish,
// before the command is judged as it stands.
int SwedaBusyTimeoutMs = 30000;
int SwedaPollTimeoutMs = 30000;

namespace {

constexpr int kRetryPauseMs = 50;
constexpr double kMsPerDay = 24.0 * 60 * 60 * 1000;

// boComando for the length of one command, cleared also when a log write or
// a dialog raises.
class CommandGuard {
 public:
  CommandGuard() { boComando = true; }
  ~CommandGuard() { boComando = false; }
  CommandGuard(const CommandGuard&) = delete;
  CommandGuard& operator=(const CommandGuard&) = delete;
};

// A wait on the library clock that keeps the front end's window alive.
class Deadline {
 public:
  explicit Deadline(int ms) : end_(platform::clock::Now() + ms / kMsPerDay) {}
  bool Passed() const { return platform::clock::Now() >= end_; }
  static void Pause() {
    platform::clock::Pause(kRetryPauseMs);
    platform::Application().ProcessMessages();
  }

 private:
  platform::TDateTime end_;
};

std::string Exchange(const char* frame) {
  char buffer[kAnswerBufferSize] = {};
  SwedaEnviaComando(frame, buffer);
  return AnswerText(buffer);
}

void Transmit(const std::string& frame) {
  Log("Comando : " + frame);
  SwedaRet = Exchange(frame.c_str());
}

// Sends the frame again while the printer answers busy, up to the bound;
// answers false when the printer was still busy at the bound.
bool RepeatWhileBusy(const std::string& frame) {
  const Deadline deadline(SwedaBusyTimeoutMs);
  while (Busy(SwedaRet)) {
    if (deadline.Passed()) {
      Log("ERRO!!! Impressora ocupada");
      return false;
    }
    Deadline::Pause();
    // A message handler may have stopped the driver meanwhile.
    if (!EntryPointBound(SwedaEnviaComando, "EnviaComando")) return false;
    Transmit(frame);
  }
  return true;
}

// Asks the printer's state until it has finished the command; its answers
// never replace the command's own.
void PollState() {
  const Deadline deadline(SwedaPollTimeoutMs);
  for (int poll = 1;; ++poll) {
    if (JudgePoll(Exchange(kStatePoll), poll) == PollVerdict::Done) return;
    if (deadline.Passed()) {
      Log("ERRO!!! Impressora nao concluiu o comando");
      return;
    }
    Deadline::Pause();
    if (!EntryPointBound(SwedaEnviaComando, "EnviaComando")) return;
  }
}

}  // namespace

bool EnviaComando_Sweda(const std::string& comando, const std::vector<std::string>& parametros,
                        bool avisa, bool repete) {
  // A command started while another is in progress (from a dialog of the
  // channel) is refused unsent.
  if (boComando) return false;
  if (!EntryPointBound(SwedaEnviaComando, "EnviaComando")) return false;
  CommandGuard guard;
  const std::string frame =
      BuildFrame(TranslateCode(comando, Qdm00000::IdTipoImpFis), parametros);
  Transmit(frame);
  // A printer still busy at the bound never took the command.
  const bool taken = !repete || RepeatWhileBusy(frame);
  const bool answered = !SwedaRet.empty();
  const bool accepted = taken && answered && (!Refused(SwedaRet) || Busy(SwedaRet));
  if (accepted && Busy(SwedaRet)) SwedaRet.clear();
  if (SwedaVerifRetorno && SwedaEnviaComando != nullptr) PollState();
  if (frame.compare(2, 2, "23") == 0) Log("Retorno da Impressora " + SwedaRet);

  if (!accepted) {
    if (!answered) Log("ERRO!!! Impressora sem resposta");
    if (!avisa) {
      if (answered) ImpressoraOK(false, false, false);  // logs the refusal
      return false;
    }
    Log("ERRO!!! Comando : " + frame);
    // A refusal is shown with the printer's text; silence and a printer
    // busy to the end are shown too, since the command was not done.
    if (answered && taken) {
      ImpressoraOK(true, false, false);
    } else {
      if (answered) Log("ERRO!!! " + SwedaRet);
      ShowInformation(CatalogueText("ComandoNExec") + "\r\n" + SwedaRet);
    }
    return false;
  }
  return ImpressoraOK(avisa, comando != "05", comando == "17");
}

bool ImpressoraOK(bool avisa, bool /*b*/, bool /*c*/) {
  if (!Refused(SwedaRet)) {
    // Little paper is always worth a word; the command was done.
    if (LittlePaper(SwedaRet)) ShowInformation(CatalogueText("PoucoPapel"));
    return true;
  }
  Log("ERRO!!! " + SwedaRet);
  if (Slice(SwedaRet, 7, static_cast<int>(SwedaRet.size())) == kUnfinished &&
      EntryPointBound(SwedaEnviaComando, "EnviaComando")) {
    // The unfinished operation is cancelled; the refusal stands.
    Log(std::string("Comando : ") + kCancelFrame);
    Exchange(kCancelFrame);
  }
  if (avisa && Slice(SwedaRet, 1, 6) != ".-P006")
    ShowInformation(CatalogueText("ComandoNExec") + "\r\n" + SwedaRet);
  return false;
}

std::string RetornoImpFiscal_Sweda(const std::string& tipo, bool /*b*/) {
  std::string resultado = SwedaRet;
  if (tipo == "27") {
    for (int tentativa = 0; tentativa < 3 && !CouponData(resultado); ++tentativa) {
      resultado = EnviaComando_Sweda("27", {}, false, true) ? SwedaRet : std::string();
      util::Delay(1);
      if (CouponData(resultado) || Refused(resultado)) break;
    }
    // Only the coupon data carries the number; a refusal's text never
    // passes for one.
    resultado = CouponData(resultado) ? Slice(resultado, 14, 17) : std::string();
  } else if (tipo == "22") {
    resultado = At(resultado, 6) == '0' ? "000" : "001";
  }
  Log("Retorno da Impressora " + resultado);
  return resultado;
}

}  // namespace Qdm00200
