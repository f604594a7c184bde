// The three entry points of the maker's library "SERSWEDA.dll".
#include <algorithm>
#include <cstring>

#include "emulators/sweda/emulator.h"

#include "emulators/common/export.h"

namespace {
constexpr std::size_t kMaxAnswer = 255;
}  // namespace

EMU_EXPORT int AbrePorta(int porta, int /*modo*/) {
  return emu::WithDevice<swdemu::Emulator>([porta](swdemu::Emulator& p) { return p.OpenPort(porta); });
}

EMU_EXPORT int FechaPorta(int porta) {
  return emu::WithDevice<swdemu::Emulator>([porta](swdemu::Emulator& p) { return p.ClosePort(porta); });
}

// The answer goes into the caller's 256 bytes: a length byte, then the text.
EMU_EXPORT int EnviaComando(const char* frame, char* resposta) {
  if (!frame || !resposta) return -1;
  const std::string answer =
      emu::WithDevice<swdemu::Emulator>([frame](swdemu::Emulator& p) { return p.Exchange(frame); });
  const std::size_t n = std::min(answer.size(), kMaxAnswer);
  resposta[0] = static_cast<char>(n);
  std::memcpy(resposta + 1, answer.data(), n);
  return answer.empty() ? -1 : 0;
}

// Reads the environment as the library loads.
__attribute__((constructor)) static void LoadPrinter() {
  emu::WithDevice<swdemu::Emulator>([](swdemu::Emulator&) { return 0; });
}
