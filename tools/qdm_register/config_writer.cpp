#include "tools/qdm_register/config_writer.h"

#include "facade/Qdm00000.h"
#include "platform/dataset/dataset.h"
#include "platform/os/files.h"

namespace qdm_register {

using platform::TFieldType;

std::string EcfConfigPath(const std::string& directory, const std::string& caixa) {
  return platform::IncludeTrailingPathDelimiter(directory) + "ecf" + caixa + ".cds";
}

void WriteEcfConfig(const std::string& path, const EcfConfig& config) {
  platform::TClientDataSet ds("cdsCheckECF");
  ds.AddFieldDef("CDCAIXA", TFieldType::ftString, 10);
  ds.AddFieldDef("CHECKSUM", TFieldType::ftInteger);
  ds.AddFieldDef("NRSERIEECF", TFieldType::ftString, 20);
  ds.AddFieldDef("NRECFCAIXA", TFieldType::ftString, 10);
  ds.AddFieldDef("IDTIPOIMPFIS", TFieldType::ftInteger);
  ds.CreateDataSet();
  ds.Append();
  ds.FieldByName("CDCAIXA").SetAsString(config.caixa);
  ds.FieldByName("CHECKSUM").SetAsInteger(Qdm00000::ChecksumECF(config.nr_ecf, config.serie));
  ds.FieldByName("NRSERIEECF").SetAsString(config.serie);
  ds.FieldByName("NRECFCAIXA").SetAsString(config.nr_ecf);
  ds.FieldByName("IDTIPOIMPFIS").SetAsInteger(config.tipo);
  ds.Post();
  ds.SaveToFile(path);
}

}  // namespace qdm_register
