// The five entry points of the maker's library "fs345_32.dll".
#include "emulators/daruma/emulator.h"

#include "emulators/common/export.h"

using daremu::Emulator;

EMU_EXPORT int DAR_AbreSerial(const char* porta) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.OpenPort(porta); });
}

EMU_EXPORT int DAR_FechaSerial() {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.ClosePort(); });
}

EMU_EXPORT int DAR_Envia(const char* bytes, int tamanho, int modo) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.Send(bytes, tamanho, modo); });
}

EMU_EXPORT int DAR_Resposta(char* buffer, int tamanho) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.ReadAnswer(buffer, tamanho); });
}

EMU_EXPORT int DAR_Erro() {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.LastError(); });
}

// Reads the environment as the library loads.
__attribute__((constructor)) static void LoadPrinter() { Emulator::Instance(); }
