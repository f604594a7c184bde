// The command channel: every command of the driver is framed here, handed
// to the library, asked again while the printer is busy, followed by the
// state poll when the host wants it, and judged.
#include "drivers/sweda/Qdm00200.h"
#include "drivers/sweda/driver.h"
#include "drivers/common/command.h"
#include "drivers/common/driver_services.h"
#include "utility/utility.h"

namespace Qdm00200 {

using namespace detail;

// Half a minute of a busy printer, or of a printer that does not finish,
// before the command is judged as it stands.
int SwedaBusyTimeoutMs = 30000;
int SwedaPollTimeoutMs = 30000;

namespace {

constexpr int kRetryPauseMs = 50;

std::string Exchange(const char* frame) {
  char buffer[kAnswerBufferSize] = {};
  SwedaEnviaComando(frame, buffer);
  return AnswerText(buffer);
}

void Transmit(const std::string& frame) {
  drivers::LogCommand(frame);
  SwedaRet = Exchange(frame.c_str());
}

// A message handler may stop the driver while a wait processes messages.
bool Stopped() {
  if (drivers::AllBound(LibraryEntryPoints())) return false;
  ReportUnbound("EnviaComando");
  return true;
}

// Sends the frame again while the printer answers busy, up to the bound;
// answers false when the printer was still busy at the bound.
bool RepeatWhileBusy(const std::string& frame) {
  if (!Busy(SwedaRet)) return true;
  const drivers::WaitEnd end = drivers::WaitUntil(
      [&frame] {
        if (Stopped()) return drivers::Try::Abandon;
        Transmit(frame);
        return Busy(SwedaRet) ? drivers::Try::Again : drivers::Try::Done;
      },
      kRetryPauseMs, SwedaBusyTimeoutMs / kRetryPauseMs);
  if (end == drivers::WaitEnd::OutOfTries) Log("ERRO!!! Impressora ocupada");
  return end == drivers::WaitEnd::Done;
}

// Asks the printer's state until it has finished the command; its answers
// never replace the command's own.
void PollState() {
  int poll = 1;
  if (JudgePoll(Exchange(kStatePoll), poll) == PollVerdict::Done) return;
  const drivers::WaitEnd end = drivers::WaitUntil(
      [&poll] {
        if (Stopped()) return drivers::Try::Abandon;
        return JudgePoll(Exchange(kStatePoll), ++poll) == PollVerdict::Done ? drivers::Try::Done : drivers::Try::Again;
      },
      kRetryPauseMs, SwedaPollTimeoutMs / kRetryPauseMs);
  if (end == drivers::WaitEnd::OutOfTries) Log("ERRO!!! Impressora nao concluiu o comando");
}

// The last answer judged: little paper told, a refusal logged and shown,
// and an operation the printer says is not ended cancelled at once when
// `cancel_unfinished`.
bool Judge(bool avisa, bool cancel_unfinished) {
  if (!Refused(SwedaRet)) {
    // Little paper is always worth a word; the command was done.
    if (LittlePaper(SwedaRet)) ShowInformation(CatalogueText("PoucoPapel"));
    return true;
  }
  Log("ERRO!!! " + SwedaRet);
  if (cancel_unfinished && Slice(SwedaRet, 7, static_cast<int>(SwedaRet.size())) == kUnfinished &&
      EntryPointBound(SwedaEnviaComando, "EnviaComando")) {
    // The unfinished operation is cancelled; the refusal stands.
    Log(std::string("Comando : ") + kCancelFrame);
    Exchange(kCancelFrame);
  }
  if (avisa && Slice(SwedaRet, 1, 6) != ".-P006") ShowInformation(CatalogueText("ComandoNExec") + "\r\n" + SwedaRet);
  return false;
}

// Set by an accepted text line, cleared by any other command: the
// non-fiscal report that line opened is still open.
bool text_report_open = false;

}  // namespace

namespace detail {
bool TextReportOpen() { return text_report_open; }
}  // namespace detail

bool EnviaComando_Sweda(const std::string& comando, const std::vector<std::string>& parametros, bool avisa,
                        bool /*repete*/) {
  const drivers::CommandScope scope(boComando, {{SwedaEnviaComando, "EnviaComando"}});
  if (scope.Refused()) return false;
  text_report_open = false;
  const std::string frame = BuildFrame(TranslateCode(comando, Qdm00000::IdTipoImpFis), parametros);
  Transmit(frame);
  // A busy printer did not take the command: it is sent again within the
  // bound whether the caller asked for it or not, and a printer still busy
  // at the bound never counts as having done it.
  const bool taken = RepeatWhileBusy(frame);
  const bool answered = !SwedaRet.empty();
  const bool accepted = taken && answered && !Refused(SwedaRet);
  if (SwedaVerifRetorno && SwedaEnviaComando != nullptr) PollState();
  if (frame.compare(2, 2, "23") == 0) Log("Retorno da Impressora " + SwedaRet);
  // Our own text line is never cause to cancel what the printer holds.
  const bool cancels = comando != kTextLine;

  if (!accepted) {
    if (!answered) Log("ERRO!!! Impressora sem resposta");
    if (!avisa) {
      if (answered) Judge(false, cancels);  // logs the refusal
      return false;
    }
    Log("ERRO!!! Comando : " + frame);
    // A refusal is shown with the printer's text; silence and a printer
    // busy to the end are shown too, since the command was not done.
    if (answered && taken) {
      Judge(true, cancels);
    } else {
      if (answered) Log("ERRO!!! " + SwedaRet);
      ShowInformation(CatalogueText("ComandoNExec") + "\r\n" + SwedaRet);
    }
    return false;
  }
  const bool ok = Judge(avisa, cancels);
  text_report_open = ok && comando == kTextLine;
  return ok;
}

bool ImpressoraOK(bool avisa, bool /*cancelaAberto*/, bool /*avisaPapel*/) { return Judge(avisa, true); }

std::string RetornoImpFiscal_Sweda(const std::string& comando, bool /*apara*/) {
  std::string resultado = SwedaRet;
  if (comando == "27") {
    for (int tentativa = 0; tentativa < 3 && !CouponData(resultado); ++tentativa) {
      resultado = EnviaComando_Sweda("27", {}, false, true) ? SwedaRet : std::string();
      util::Delay(1);
      if (CouponData(resultado) || Refused(resultado)) break;
    }
    // Only the coupon data carries the number; a refusal's text never
    // passes for one.
    resultado = CouponData(resultado) ? Slice(resultado, 14, 17) : std::string();
  } else if (comando == "22") {
    resultado = At(resultado, 6) == '0' ? "000" : "001";
  }
  Log("Retorno da Impressora " + resultado);
  return resultado;
}

}  // namespace Qdm00200
