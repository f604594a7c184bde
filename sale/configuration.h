// Why a register's configuration file does not let it operate, said for
// the technician: the file and its fault, in Portuguese.
#pragma once
#include <string>

namespace QdmVenda::detail {

// The fault of the configuration file "ecf" + caixa + ".cds" in
// `directory` (with its trailing delimiter) for the register `caixa`:
// missing, cut short, unreadable, without records, another register's,
// a checksum that does not match, a printer type no driver serves. "" when
// none is found. Windows-1252.
std::string ConfigurationFault(const std::string& directory, const std::string& caixa);

// "" when the type code names a printer a driver serves, else why not.
std::string PrinterTypeFault(const std::string& file, int tipo);

}  // namespace QdmVenda::detail
