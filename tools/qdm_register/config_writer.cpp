#include "tools/qdm_register/config_writer.h"

#include "facade/Qdm00000.h"
#include "platform/dataset/dataset.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"

namespace qdm_register {

using platform::TFieldType;

namespace {

constexpr int kLowestType = 1;
constexpr int kHighestType = 9;

std::string CheckText(const char* what, const std::string& value, std::size_t width, bool may_be_empty) {
  if (value.empty() && !may_be_empty) return std::string(what) + " n\xE3o pode ficar vazio";
  if (value.size() > width)
    return std::string(what) + " tem " + platform::IntToStr(static_cast<long long>(value.size())) +
           " caracteres; o arquivo guarda at\xE9 " + platform::IntToStr(static_cast<long long>(width));
  for (unsigned char c : value) {
    if (c < 0x20 || c == 0x7F) return std::string(what) + " cont\xE9m um caractere de controle";
  }
  return "";
}

}  // namespace

std::string CheckEcfConfig(const EcfConfig& config) {
  for (const std::string& problem :
       {CheckText("o c\363digo do caixa (--caixa)", config.caixa, kCaixaWidth, true),
        CheckText("o n\xFAmero do ECF (--ecf)", config.nr_ecf, kNrEcfWidth, false),
        CheckText("o n\xFAmero de s\xE9rie (--serie)", config.serie, kSerieWidth, false)}) {
    if (!problem.empty()) return problem;
  }
  // The register code is part of the file's name.
  if (config.caixa.find_first_of("/\\:*?\"<>|") != std::string::npos || config.caixa == "." || config.caixa == "..")
    return "o c\363digo do caixa (--caixa) n\xE3o pode conter / \\ : * ? \" < > |";
  if (config.tipo < kLowestType || config.tipo > kHighestType)
    return "tipo de impressora desconhecido (--tipo " + platform::IntToStr(config.tipo) +
           "): use 1, 2 ou 9 Bematech, 3 a 6 Sweda, 7 ou 8 Daruma";
  return "";
}

std::string EcfConfigPath(const std::string& directory, const std::string& caixa) {
  return platform::IncludeTrailingPathDelimiter(directory) + "ecf" + caixa + ".cds";
}

void WriteEcfConfig(const std::string& path, const EcfConfig& config) {
  platform::TClientDataSet ds("cdsCheckECF");
  ds.AddFieldDef("CDCAIXA", TFieldType::ftString, kCaixaWidth);
  ds.AddFieldDef("CHECKSUM", TFieldType::ftInteger);
  ds.AddFieldDef("NRSERIEECF", TFieldType::ftString, kSerieWidth);
  ds.AddFieldDef("NRECFCAIXA", TFieldType::ftString, kNrEcfWidth);
  ds.AddFieldDef("IDTIPOIMPFIS", TFieldType::ftInteger);
  ds.CreateDataSet();
  ds.Append();
  ds.FieldByName("CDCAIXA").SetAsString(config.caixa);
  ds.FieldByName("NRSERIEECF").SetAsString(config.serie);
  ds.FieldByName("NRECFCAIXA").SetAsString(config.nr_ecf);
  // On the values as stored, so the file always passes its own check.
  ds.FieldByName("CHECKSUM")
      .SetAsInteger(
          Qdm00000::ChecksumECF(ds.FieldByName("NRECFCAIXA").AsString(), ds.FieldByName("NRSERIEECF").AsString()));
  ds.FieldByName("IDTIPOIMPFIS").SetAsInteger(config.tipo);
  ds.Post();
  ds.SaveToFile(path);
}

}  // namespace qdm_register
