#include <cstring>
#include <vector>

#include "drivers/common/library.h"
#include "facade/Qdm00000.h"
#include "drivers/common/messages.h"
#include "peripherals/check_printer/Qdm00700.h"
#include "peripherals/common/device_port.h"
#include "peripherals/common/maker_library.h"

namespace Qdm00700 {

TIniComm* IniciaImpChq = nullptr;
TEndComm* FinalizaImpChq = nullptr;
TEnvComm* EnviaComImpChq = nullptr;
TRecComm* RespostaImpChq = nullptr;
bool ImpChequeOk = false;
char resp[256] = {};

namespace {

constexpr const char* kLibrary = "PertoChekSer.dll";
constexpr int kPertoType = 2;
platform::HMODULE library = nullptr;

const drivers::EntryPoint kEntryPoints[] = {
    {"IniComm", &IniciaImpChq},
    {"EndComm", &FinalizaImpChq},
    {"EnvComm", &EnviaComImpChq},
    {"RecComm", &RespostaImpChq},
};

}  // namespace

void StartImpCheque() {
  ImpChequeOk = false;
  if (Qdm00000::IdTipoImpChq != kPertoType) return;
  // A second start binds again and leaves the printer alone: the front end
  // may have opened it ("IniComm"), and only a stop closes it. The earlier
  // load is let go after the new one, so the library never unloads between.
  const platform::HMODULE earlier = library;
  library = peripherals::LoadAndBind(kLibrary, {kEntryPoints});
  ImpChequeOk = library != nullptr;
  if (earlier == nullptr) return;
  // A new load that failed leaves entry points into the earlier one.
  if (library == nullptr) drivers::ClearAll(kEntryPoints);
  platform::FreeLibrary(earlier);
}

void StopImpCheque() {
  if (FinalizaImpChq != nullptr) {
    try {
      FinalizaImpChq();
    } catch (...) {
      // The printer is being let go of; nothing is left to do about it.
    }
  }
  // Whatever the module loaded is let go, also after a start of another
  // type cleared ImpChequeOk over a loaded library.
  if (library != nullptr) platform::FreeLibrary(library);
  drivers::ClearAll(kEntryPoints);
  ImpChequeOk = false;
  library = nullptr;
}

bool Retorno_Imp(int status) {
  if (status == 0) {
    drivers::ShowError(drivers::CatalogueText("ErroCom"));
    return false;
  }
  resp[0] = 0;
  // The library may write up to the size it is given: never into resp
  // directly, which is smaller.
  std::vector<char> answer(TamanhoRecComm + 1, 0);
  const int got = RespostaImpChq != nullptr ? RespostaImpChq(TamanhoRecComm, answer.data()) : 0;
  const std::size_t length = strnlen(answer.data(), TamanhoRecComm);
  if (got == 0 || length >= sizeof resp) {
    drivers::ShowError(drivers::CatalogueText("ErroRecp"));
    return false;
  }
  std::memcpy(resp, answer.data(), length + 1);
  return true;
}

bool ImpChqChar(const std::string& texto) {
  const TdtmCupomFiscal& dm = Qdm00000::DataModule();
  peripherals::DevicePort port(peripherals::PortName(dm.IdPortaChq), peripherals::Speed(dm.IdVelocChq));
  return port.Ready() && port.WriteBytes(texto);
}

}  // namespace Qdm00700
