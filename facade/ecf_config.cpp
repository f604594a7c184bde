// The register's configuration file: which printer model it drives and
// which printer it may use, guarded by a checksum over the printer's
// number and serial.
#include <cmath>
#include <exception>

#include "facade/Qdm00000.h"
#include "drivers/common/messages.h"
#include "platform/os/files.h"

namespace Qdm00000 {

namespace {

// The one register whose file carries no register code.
const char* const kSistemaSemCaixa = "KMZ";

bool RecordValid(TClientDataSet& ds, const std::string& caixa) {
  bool valid = true;
  if (ds.FieldByName("CDCAIXA").AsString() != caixa) {
    drivers::ShowError(drivers::CatalogueText("ArqConfig_Inv"));
    valid = false;
  }
  const int esperado = ChecksumECF(ds.FieldByName("NRECFCAIXA").AsString(), ds.FieldByName("NRSERIEECF").AsString());
  if (ds.FieldByName("CHECKSUM").AsInteger() != esperado) {
    drivers::ShowError(drivers::CatalogueText("ArqConfig_Inv"));
    valid = false;
  }
  // Taken even from a rejected record; the false result keeps the register shut.
  IdTipoImpFis = ds.FieldByName("IDTIPOIMPFIS").AsInteger();
  return valid;
}

}  // namespace

int ChecksumECF(const std::string& nrEcfCaixa, const std::string& nrSerieEcf) {
  // Wide enough for any text: a configuration file can carry the serial in
  // a memo field of any length.
  long long soma = 0;
  for (unsigned char c : nrEcfCaixa + nrSerieEcf) soma += c;
  // Extended precision, as the configuration tool computes it.
  const long double raiz = std::sqrt(static_cast<long double>(soma));
  const long double fracao = raiz - std::floor(raiz);
  return static_cast<int>(fracao * 100000.0L);
}

bool CarregaECF(const std::string& caixa_informado) {
  TdtmCupomFiscal& dm = DataModule();
  const std::string caixa = stSistema == kSistemaSemCaixa ? std::string() : caixa_informado;
  DsDirCad = platform::IncludeTrailingPathDelimiter(
      platform::ExtractShortPathName(platform::ExtractFilePath(platform::GetModuleFileNameA())));
  const std::string arquivo = DsDirCad + "ecf" + caixa + ".cds";
  if (!platform::FileExists(arquivo)) {
    drivers::ShowError(drivers::CatalogueText("Arq_ECF"));
    return false;
  }

  TClientDataSet& ds = dm.cdsCheckECF;
  bool result = true;
  try {
    ds.LoadFromFile(arquivo);
    for (ds.First(); !ds.Eof(); ds.Next()) {
      if (!RecordValid(ds, caixa)) result = false;
    }
  } catch (const std::exception& e) {
    // The log names the file and what is wrong with it (too large, damaged).
    ImpFisDebug(std::string("ERRO!!! ") + e.what());
    drivers::ShowError(drivers::CatalogueText("ArqConfig_Inv"));
    result = false;
  }
  ds.Close();
  return result;
}

}  // namespace Qdm00000
