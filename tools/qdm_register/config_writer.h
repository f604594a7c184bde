// Writes a register's configuration file: the record that binds a register
// to its fiscal printer, with the checksum the library checks.
#pragma once
#include <string>

namespace qdm_register {

struct EcfConfig {
  std::string caixa = "001";       // register code (empty for the "KMZ" system)
  std::string nr_ecf = "001";      // number of the fiscal printer at this register
  std::string serie = "BE050375610000012345";  // serial number of the printer
  int tipo = 1;                    // printer type code
};

// "ecf" + caixa + ".cds" in the directory.
std::string EcfConfigPath(const std::string& directory, const std::string& caixa);
// Writes (replacing) the file; raises platform errors on failure.
void WriteEcfConfig(const std::string& path, const EcfConfig& config);

}  // namespace qdm_register
