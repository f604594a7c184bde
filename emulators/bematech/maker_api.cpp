// The six entry points of the maker's library "Mp20fi32.dll".
#include "emulators/bematech/emulator.h"

#include "emulators/common/export.h"

using mp20emu::Emulator;

EMU_EXPORT int IniPortaStr(const char* port) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.OpenPort(port); });
}

EMU_EXPORT int FechaPorta() {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.ClosePort(); });
}

EMU_EXPORT int FormataTX(const char* frame) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.Transmit(frame); });
}

EMU_EXPORT int Status_Mp20FI(int* ret, int* ack, int* st1, int* st2) {
  emu::WithDevice<Emulator>([&](Emulator& p) { p.Status(ret, ack, st1, st2); });
  return 0;
}

EMU_EXPORT int Le_Variaveis(char* buffer) {
  emu::WithDevice<Emulator>([&](Emulator& p) { p.ReadAnswer(buffer); });
  return 0;
}

EMU_EXPORT int Retorna_ASCII() { return 0; }

// Makes the printer (reading the environment) as the library loads.
__attribute__((constructor)) static void LoadPrinter() { Emulator::Instance(); }
