// The emulated printer's state file: any text is taken whole or refused,
// and a state taken writes back to a text that reads as the same state.
#include <cstddef>
#include <cstdint>
#include <string>

#include "emulators/bematech/state_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto state = mp20emu::ParseState(text);
  if (!state) return 0;
  const std::string written = mp20emu::SerializeState(*state);
  const auto again = mp20emu::ParseState(written);
  if (!again) fuzzsupport::Broken("a written state reads back");
  if (mp20emu::SerializeState(*again) != written) fuzzsupport::Broken("a state reads back the same");
  return 0;
}
