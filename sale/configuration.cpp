#include "sale/configuration.h"

#include <exception>

#include "drivers/common/type_codes.h"
#include "facade/Qdm00000.h"
#include "platform/base/sysutils.h"
#include "platform/dataset/dataset.h"
#include "platform/os/files.h"

namespace QdmVenda::detail {

namespace {

const char* const kPacketEnd = "</DATAPACKET>";
const char* const kFields[] = {"CDCAIXA", "CHECKSUM", "NRSERIEECF", "NRECFCAIXA", "IDTIPOIMPFIS"};

std::string RecordFault(platform::TClientDataSet& ds, const std::string& file, const std::string& caixa) {
  const std::string named = ds.FieldByName("CDCAIXA").AsString();
  if (named != caixa)
    return "o arquivo de configura\xE7\xE3o " + file + " \xE9 do caixa \"" + named + "\", n\xE3o do caixa \"" + caixa +
           "\"";
  const int checksum =
      Qdm00000::ChecksumECF(ds.FieldByName("NRECFCAIXA").AsString(), ds.FieldByName("NRSERIEECF").AsString());
  if (ds.FieldByName("CHECKSUM").AsInteger() != checksum)
    return "o arquivo de configura\xE7\xE3o " + file +
           " tem a soma de verifica\xE7\xE3o (CHECKSUM) errada para o ECF " + ds.FieldByName("NRECFCAIXA").AsString() +
           " de s\xE9rie " + ds.FieldByName("NRSERIEECF").AsString();
  return PrinterTypeFault(file, ds.FieldByName("IDTIPOIMPFIS").AsInteger());
}

}  // namespace

std::string PrinterTypeFault(const std::string& file, int tipo) {
  using namespace Qdm00000;
  if (IsBematech(tipo) || IsSweda(tipo) || IsDaruma(tipo)) return "";
  return "o arquivo de configura\xE7\xE3o " + file + " tem o tipo de impressora " + platform::IntToStr(tipo) +
         ", que nenhum driver atende (1, 2 ou 9 Bematech, 3 a 6 Sweda, 7 ou 8 Daruma)";
}

std::string ConfigurationFault(const std::string& directory, const std::string& caixa) {
  const std::string file = platform::HostPath(directory + "ecf" + caixa + ".cds");
  if (!platform::FileExists(file)) return "o arquivo de configura\xE7\xE3o " + file + " n\xE3o existe";
  std::string bytes;
  try {
    bytes = platform::ReadFileBytes(file);
  } catch (const std::exception&) {
    return "o arquivo de configura\xE7\xE3o " + file + " n\xE3o p\364de ser lido";
  }
  if (bytes.empty()) return "o arquivo de configura\xE7\xE3o " + file + " est\xE1 vazio";
  if (bytes.find(kPacketEnd) == std::string::npos)
    return "o arquivo de configura\xE7\xE3o " + file + " est\xE1 cortado: termina antes do fim dos dados (" +
           platform::IntToStr(static_cast<long long>(bytes.size())) + " bytes)";
  platform::TClientDataSet ds("configuracao");
  try {
    ds.LoadFromFile(file);
  } catch (const std::exception&) {
    return "o arquivo de configura\xE7\xE3o " + file + " est\xE1 danificado: n\xE3o \xE9 um pacote de dados leg\xEDvel";
  }
  for (const char* field : kFields)
    if (!ds.FindField(field)) return "o arquivo de configura\xE7\xE3o " + file + " n\xE3o tem o campo " + field;
  if (ds.IsEmpty()) return "o arquivo de configura\xE7\xE3o " + file + " n\xE3o tem nenhum registro";
  try {
    for (ds.First(); !ds.Eof(); ds.Next())
      if (std::string fault = RecordFault(ds, file, caixa); !fault.empty()) return fault;
  } catch (const std::exception&) {
    return "o arquivo de configura\xE7\xE3o " + file + " tem um valor que n\xE3o \xE9 do tipo do campo";
  }
  return "";
}

}  // namespace QdmVenda::detail
