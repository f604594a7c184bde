// The six entry points of the maker's library "Mp20fi32.dll".
#include "emulators/bematech/emulator.h"

#define MP20_EXPORT extern "C" __attribute__((visibility("default")))

using mp20emu::Emulator;
using mp20emu::WithPrinter;

MP20_EXPORT int IniPortaStr(const char* port) {
  return WithPrinter([&](Emulator& p) { return p.OpenPort(port); });
}

MP20_EXPORT int FechaPorta() {
  return WithPrinter([](Emulator& p) { return p.ClosePort(); });
}

MP20_EXPORT int FormataTX(const char* frame) {
  return WithPrinter([&](Emulator& p) { return p.Transmit(frame); });
}

MP20_EXPORT int Status_Mp20FI(int* ret, int* ack, int* st1, int* st2) {
  WithPrinter([&](Emulator& p) { p.Status(ret, ack, st1, st2); });
  return 0;
}

MP20_EXPORT int Le_Variaveis(char* buffer) {
  WithPrinter([&](Emulator& p) { p.ReadAnswer(buffer); });
  return 0;
}

MP20_EXPORT int Retorna_ASCII() { return 0; }

// Makes the printer (reading the environment) as the library loads.
__attribute__((constructor)) static void LoadPrinter() { Emulator::Instance(); }
