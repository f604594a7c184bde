// The maker library "Mp20fi32.dll" as the Bematech fuzz targets give it to
// the driver: its entry points are the driver's own pointers, answering
// from the fuzzer's bytes while an input is being run (a printer at rest,
// empty answers, when none is).
#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "fuzz/fuzz_support.h"

namespace fuzzsupport::bematech {

inline FuzzedDataProvider*& Input() {
  static FuzzedDataProvider* input = nullptr;
  return input;
}

inline int IniPortaStr(const char*) { return 1; }
inline int FechaPorta() { return 1; }
inline int FormataTX(const char*) { return Input() && Input()->ConsumeIntegralInRange<int>(0, 8) == 8 ? 1 : 0; }
inline int Status(int* retorno, int* ack, int* st1, int* st2) {
  *retorno = 1;
  *ack = 6;
  // Mostly a printer at rest; now and then any status bytes.
  const bool odd = Input() && Input()->ConsumeIntegralInRange<int>(0, 15) == 15;
  *st1 = odd ? Input()->ConsumeIntegral<uint8_t>() : 0;
  *st2 = odd ? Input()->ConsumeIntegral<uint8_t>() : 0;
  return 1;
}
// The library writes its answer over the driver's 3000 bytes.
inline int LeVariaveis(char* buffer) {
  const std::string answer = Input() ? Input()->ConsumeRandomLengthString(3000) : std::string();
  std::memcpy(buffer, answer.data(), std::min<std::size_t>(answer.size(), 3000));
  return 1;
}
inline int RetornaAscii() { return 0; }

// Binds the entry points, freezes the clock and keeps the busy wait short.
inline void Bind() {
  FrozenClock();
  Qdm00100::BemaIniPortaStr = &IniPortaStr;
  Qdm00100::BemaFechaPorta = &FechaPorta;
  Qdm00100::BemaFormataTX = &FormataTX;
  Qdm00100::BemaStatus_Mp20FI = &Status;
  Qdm00100::BemaLe_Variaveis = &LeVariaveis;
  Qdm00100::BemaRetorna_ASCII = &RetornaAscii;
  Qdm00100::MaxBusyPolls = 3;
}

}  // namespace fuzzsupport::bematech
