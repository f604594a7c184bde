// The five entry points of the maker's library "fs345_32.dll".
#include "emulators/daruma/emulator.h"

#define FS345_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
daremu::Emulator& Printer() { return daremu::Emulator::Instance(); }
}  // namespace

FS345_EXPORT int DAR_AbreSerial(const char* porta) {
  std::lock_guard lock(Printer().mutex);
  return Printer().OpenPort(porta);
}

FS345_EXPORT int DAR_FechaSerial() {
  std::lock_guard lock(Printer().mutex);
  return Printer().ClosePort();
}

FS345_EXPORT int DAR_Envia(const char* bytes, int tamanho, int modo) {
  std::lock_guard lock(Printer().mutex);
  return Printer().Send(bytes, tamanho, modo);
}

FS345_EXPORT int DAR_Resposta(char* buffer, int tamanho) {
  std::lock_guard lock(Printer().mutex);
  return Printer().ReadAnswer(buffer, tamanho);
}

FS345_EXPORT int DAR_Erro() {
  std::lock_guard lock(Printer().mutex);
  return Printer().LastError();
}

// Reads the environment as the library loads.
__attribute__((constructor)) static void LoadPrinter() { Printer(); }
