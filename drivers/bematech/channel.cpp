// The Bematech command channel: every command of the driver is framed,
// handed to the library, waited out while the printer is busy and judged by
// its status bytes; data answers are read here.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "drivers/common/command.h"
#include "platform/base/sysutils.h"

namespace Qdm00100 {

using namespace detail;

// 600 polls 50 ms apart: half a minute of a busy printer before the
// command is judged as it stands.
int MaxBusyPolls = kDefaultMaxBusyPolls;

namespace {

constexpr int kBusyPauseMs = 50;
constexpr std::size_t kAnswerSize = 3000;

void Report(const std::string& texto, bool mostra) {
  Log("ERRO!!! " + texto);
  if (mostra) ShowInformation(texto);
}

// A coupon an interrupted sale left open is cancelled, and the log names
// it: support staff must be able to tell which sale never reached its
// customer. Inside the channel the request would be refused by the
// re-entry guard; it reaches the printer only from the port opening.
void CancelLeftOpenCoupon() {
  if (boComando) return;
  const std::optional<std::string> numero = Query("30", {}, false);
  if (!EnviaComando_Bematech("14", {}, false, false)) return;
  Log((numero ? "Cupom " + *numero : std::string("Cupom")) + " deixado aberto cancelado na abertura da porta");
}

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

std::optional<std::string> Query(const std::string& comando, const std::vector<std::string>& parametros, bool avisa,
                                 const std::string& leitura, bool apara) {
  return drivers::Query([&] { return EnviaComando_Bematech(comando, parametros, avisa, false); },
                        [&] { return RetornoImpFiscal_Bematech(leitura, apara); });
}

}  // namespace detail

bool EnviaComando_Bematech(const std::string& comando, const std::vector<std::string>& parametros, bool avisa,
                           bool /*repete*/) {
  const drivers::CommandScope scope(boComando, {{BemaFormataTX, "FormataTX"}, {BemaStatus_Mp20FI, "Status_Mp20FI"}});
  if (scope.Refused()) return false;
  const std::string codigo = comando;
  const std::string frame = BuildFrame(codigo, parametros);
  drivers::LogCommand(frame);
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
  for (const StatusBit& bit : StatusBits()) {
    if (!Raised(bit, status)) continue;
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
