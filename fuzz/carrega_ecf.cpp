// The register's configuration file through CarregaECF: any packet gives
// true or false and a dialog, never a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "facade/Qdm00000.h"
#include "fuzz/fuzz_support.h"
#include "platform/os/files.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::Unattended();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The file lies beside the library, named after the register.
  static const std::string path =
      platform::IncludeTrailingPathDelimiter(platform::ExtractFilePath(platform::GetModuleFileNameA())) + "ecfFZ.cds";
  fuzzsupport::WriteScratchFile(path, std::string(reinterpret_cast<const char*>(data), size));
  (void)Qdm00000::CarregaECF("FZ");
  return 0;
}
