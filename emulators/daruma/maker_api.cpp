// The five entry points of the maker's library "fs345_32.dll".
#include "emulators/daruma/emulator.h"

#define FS345_EXPORT extern "C" __attribute__((visibility("default")))

using daremu::Emulator;
using daremu::WithPrinter;

FS345_EXPORT int DAR_AbreSerial(const char* porta) {
  return WithPrinter([&](Emulator& p) { return p.OpenPort(porta); });
}

FS345_EXPORT int DAR_FechaSerial() {
  return WithPrinter([](Emulator& p) { return p.ClosePort(); });
}

FS345_EXPORT int DAR_Envia(const char* bytes, int tamanho, int modo) {
  return WithPrinter([&](Emulator& p) { return p.Send(bytes, tamanho, modo); });
}

FS345_EXPORT int DAR_Resposta(char* buffer, int tamanho) {
  return WithPrinter([&](Emulator& p) { return p.ReadAnswer(buffer, tamanho); });
}

FS345_EXPORT int DAR_Erro() {
  return WithPrinter([](Emulator& p) { return p.LastError(); });
}

// Reads the environment as the library loads.
__attribute__((constructor)) static void LoadPrinter() { Emulator::Instance(); }
