// Writes a register's configuration file: the record that binds a register
// to its fiscal printer, with the checksum the library checks.
#pragma once
#include <cstddef>
#include <string>

namespace qdm_register {

// Texts are Windows-1252, as stored.
struct EcfConfig {
  std::string caixa = "001";                   // register code (empty for the "KMZ" system)
  std::string nr_ecf = "001";                  // number of the fiscal printer at this register
  std::string serie = "BE050375610000012345";  // serial number of the printer
  int tipo = 1;                                // printer type code
};

// Widths of the file's text fields, in bytes.
inline constexpr std::size_t kCaixaWidth = 10;
inline constexpr std::size_t kNrEcfWidth = 10;
inline constexpr std::size_t kSerieWidth = 20;

// What is wrong with the configuration (Windows-1252, for the operator), or
// "" when every field fits the file and the type code is a known one.
std::string CheckEcfConfig(const EcfConfig& config);

// "ecf" + caixa + ".cds" in the directory.
std::string EcfConfigPath(const std::string& directory, const std::string& caixa);
// Writes (replacing) the file, the checksum computed on the values as the
// file holds them; raises platform errors on failure.
void WriteEcfConfig(const std::string& path, const EcfConfig& config);

}  // namespace qdm_register
