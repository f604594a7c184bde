// Judgement of the printer's status bytes.
#include <array>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver_support.h"

namespace Qdm00100 {

using namespace detail;

namespace {

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

}  // namespace

namespace detail {

PrinterStatus ReadStatus() {
  PrinterStatus s;
  BemaStatus_Mp20FI(&s.retorno, &s.ack, &s.st1, &s.st2);
  return s;
}

}  // namespace detail

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
        // Inside the channel this request is refused by the re-entry guard;
        // it reaches the printer only from the port opening.
        Log("ERRO!!! " + CatalogueText(bit.key));
        if (cancelaAberto) EnviaComando_Bematech("14", {}, false, false);
        break;
      case Effect::Failure:
        if (avisa) Report(CatalogueText(bit.key), true);
        ok = false;
        break;
    }
  }
  return ok;
}

}  // namespace Qdm00100
