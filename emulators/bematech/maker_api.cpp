// The six entry points of the maker's library "Mp20fi32.dll".
#include "emulators/bematech/emulator.h"

#define MP20_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
mp20emu::Emulator& Printer() { return mp20emu::Emulator::Instance(); }
}  // namespace

MP20_EXPORT int IniPortaStr(const char* port) {
  std::lock_guard lock(Printer().mutex);
  return Printer().OpenPort(port);
}

MP20_EXPORT int FechaPorta() {
  std::lock_guard lock(Printer().mutex);
  return Printer().ClosePort();
}

MP20_EXPORT int FormataTX(const char* frame) {
  std::lock_guard lock(Printer().mutex);
  return Printer().Transmit(frame);
}

MP20_EXPORT int Status_Mp20FI(int* ret, int* ack, int* st1, int* st2) {
  std::lock_guard lock(Printer().mutex);
  Printer().Status(ret, ack, st1, st2);
  return 0;
}

MP20_EXPORT int Le_Variaveis(char* buffer) {
  std::lock_guard lock(Printer().mutex);
  Printer().ReadAnswer(buffer);
  return 0;
}

MP20_EXPORT int Retorna_ASCII() { return 0; }

// Reads the environment as the library loads.
__attribute__((constructor)) static void LoadPrinter() { Printer(); }
