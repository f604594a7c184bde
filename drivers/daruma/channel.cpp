// The command channel: every command of the driver is framed here for the
// model in use, handed to the library, and its answer read until it is
// stable and judged.
#include "drivers/common/command.h"
#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/driver.h"
#include "platform/base/sysutils.h"

namespace Qdm00300 {

using namespace detail;

namespace {

// The library's mode argument for a command frame.
constexpr int kModoComando = 49;

std::string Joined(const std::vector<std::string>& parametros) {
  std::size_t size = 0;
  for (const auto& p : parametros) size += p.size();
  std::string joined;
  joined.reserve(size);
  for (const auto& p : parametros) joined += p;
  return joined;
}

Outcome last_outcome = Outcome::Unknown;

}  // namespace

namespace detail {

Outcome LastOutcome() { return last_outcome; }

std::optional<Document> AskOpenDocument() {
  const Model& model = CurrentModel();
  if (!EnviaComando_Daruma(Byte(model.document.question), {}, false, false)) return std::nullopt;
  return OpenDocumentIn(model, DarumaRet);
}

std::optional<std::string> Query(unsigned char command, const std::vector<std::string>& parametros) {
  return drivers::Query([&] { return EnviaComando_Daruma(Byte(command), parametros, false, false); },
                        [] { return DarumaRet; });
}

}  // namespace detail

bool EnviaComando_Daruma(const std::string& comando, const std::vector<std::string>& parametros, bool /*avisa*/,
                         bool /*repete*/) {
  last_outcome = Outcome::Unknown;
  const drivers::CommandScope scope(
      boComando, {{DarumaEnviaComando, "DAR_Envia"}, {Dar_Resposta, "DAR_Resposta"}, {Dar_Erro, "DAR_Erro"}});
  if (scope.Refused()) return false;
  // Without a command byte there is nothing the printer could answer.
  if (comando.empty()) {
    Log("ERRO!!! Comando vazio");
    return false;
  }
  const Model& model = CurrentModel();
  bool status = false;
  const std::string frame = BuildFrame(model, static_cast<unsigned char>(comando[0]), Joined(parametros), status);
  drivers::LogCommand(frame);
  const int enviado = DarumaEnviaComando(frame.data(), static_cast<int>(frame.size()), kModoComando);
  if (enviado == -1) {
    // The printer never got it: whatever it answers now belongs to the
    // command before, so nothing is read and nothing stale stays behind.
    const int erro = Dar_Erro();
    DarumaRet.clear();
    Log("ERRO!!! Comando nao enviado (erro " + platform::IntToStr(erro) + "): " + frame);
    return false;
  }
  Dar_Erro();
  const AnswerRead answer = ReadStableAnswer(model, status);
  // Without two reads that agree the answer stays the one before; a
  // status answer read whole but without its digits is kept as read.
  if (answer.taken) DarumaRet = answer.text;
  // A command is done only on an answer that settled and says so: one that
  // never settled, or came back empty, may hide a refusal.
  if (!answer.any) {
    Log("ERRO!!! Sem resposta da impressora: " + frame);
    return false;
  }
  if (!answer.settled) {
    Log("ERRO!!! Resposta instavel da impressora: " + frame);
    return false;
  }
  if (DarumaRet.empty()) {
    Log("ERRO!!! Resposta vazia da impressora: " + frame);
    return false;
  }
  const bool ok = ImpressoraOK(false, false, false);
  last_outcome = ok ? Outcome::Taken : Outcome::Refused;
  return ok;
}

bool ImpressoraOK(bool /*avisa*/, bool /*repete*/, bool /*c*/) { return !AnswerReportsError(DarumaRet); }

void Retorno_Daruma(const std::string& comando, bool /*apara*/, std::string& resposta) {
  resposta = DarumaRet;
  if (comando.size() == 1 && static_cast<unsigned char>(comando[0]) == kEstado)
    resposta = DrawerFlag(CurrentModel(), resposta);
}

void RetornoImpFiscal_Daruma(const std::string& comando, bool apara, std::string& resposta) {
  Log("Retorno da Impressora " + DarumaRet);
  Retorno_Daruma(comando, apara, resposta);
}

}  // namespace Qdm00300
