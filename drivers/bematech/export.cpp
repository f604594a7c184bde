// The Z-reduction export: the printer writes the figures of its last Z
// reduction to "mp20fi.ret" and the driver reads them back into the four
// datasets the back office keeps.
#include <map>
#include <sstream>
#include <stdexcept>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "drivers/common/driver_services.h"
#include "platform/base/sysutils.h"
#include "platform/os/files.h"
#include "utility/utility.h"

namespace Qdm00100 {

using namespace detail;

namespace {

const char* const kReportFile = "mp20fi.ret";
constexpr std::size_t kReportFileLimit = std::size_t{1} << 20;  // a reduction's report is a few kilobytes

// Section headers, 48 characters each, matched as whole lines ignoring case.
const char* const kCounters = "-------------------CONTADORES-------------------";
const char* const kFiscal = "-------------TOTALIZADORES FISCAIS--------------";
const char* const kUntaxed = "-----------------N\xC6o Tributados-----------------";
const char* const kTimes = "------------------------------------------------";
const char* const kMethods = "--------------Formas de Pagamento---------------";
const char* const kNonFiscal = "-----------TOTALIZADORES N\xC7O FISCAIS------------";
const char* const kTaxed = "-------------------Tributados-------------------";
const char* const kService = "----------------------ISS-----------------------";

// Raised by a line the report should hold and does not, or a column that
// is not a number: it ends the parse.
struct ParseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Report {
 public:
  explicit Report(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // A section whose header is missing is left empty and logged: reading it
  // from the top of the file would take unrelated lines for figures. The
  // report then lacks figures of the day and the export is no export.
  int Section(const char* header, const char* name) const {
    const int index = Find(header);
    if (index < 0) {
      Log(std::string("ERRO!!! ExportRedZ: se\xE7\xE3o ausente em mp20fi.ret: ") + name);
      complete_ = false;
    }
    return index;
  }
  bool Complete() const { return complete_; }

  // Index of the first line equal to the header (letter case ignored), or
  // -1 when the report lacks it.
  int Find(const char* header) const {
    const std::string wanted = platform::UpperCase(header);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (platform::UpperCase(lines_[i]) == wanted) return static_cast<int>(i);
    }
    return -1;
  }
  bool Has(int index) const { return index >= 0 && index < static_cast<int>(lines_.size()); }
  const std::string& Line(int index) const {
    if (!Has(index)) throw ParseError("linha " + std::to_string(index + 1) + " ausente");
    return lines_[static_cast<std::size_t>(index)];
  }
  // Columns `from` to `to`, 1-based and inclusive.
  std::string Columns(int index, int from, int to) const { return platform::Copy(Line(index), from, to - from + 1); }
  double Amount(int index, int from, int to) const { return ReadAmount(Columns(index, from, to)); }

 private:
  std::vector<std::string> lines_;
  mutable bool complete_ = true;
};

std::vector<std::string> LoadLines(std::istream& file) {
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Every record of the export opens with the printer number and the date of
// the movement, asked of the printer afresh for each record.
void StartRecord(TClientDataSet& ds) {
  ds.Append();
  ds.FieldByName("NRECFREDZ").SetAsString(Qdm00000::ECF);
  ds.FieldByName("DTREDUCAOZ").SetAsDateTime(Qdm00000::DataMoviFiscal());
}

void Fresh(TClientDataSet& ds) {
  if (ds.Active()) {
    ds.EmptyDataSet();
  } else {
    ds.CreateDataSet();
  }
}

std::string Elapsed(const Report& report, int index) {
  return report.Columns(index, 33, 34) + report.Columns(index, 36, 37) + report.Columns(index, 39, 40);
}

void ReadReduction(const Report& r, TClientDataSet& z) {
  Fresh(z);
  StartRecord(z);
  const int t = r.Section(kFiscal, "TOTALIZADORES FISCAIS");
  const int h = r.Section(kCounters, "CONTADORES");
  if (h >= 0) {
    z.FieldByName("NRREINIREDZ").SetAsString(r.Columns(h + 1, 45, 48));
    const std::string reducoes = platform::Trim(r.Columns(h + 2, 45, 48));
    int anteriores = 0;
    if (!platform::TryStrToInt(reducoes, anteriores)) throw ParseError("CRZ " + reducoes);
    z.FieldByName("NRREDREDZ").SetAsString(util::Ajusta(std::to_string(anteriores + 1), 4));
    z.FieldByName("NRLEITREDZ").SetAsString(r.Columns(h + 3, 43, 48));
    z.FieldByName("NRGERCNFREDZ").SetAsString(r.Columns(h + 4, 43, 48));
    z.FieldByName("NRCANCFREDZ").SetAsString(r.Columns(h + 5, 45, 48));
    z.FieldByName("NRPRIMCFREDZ").SetAsString(r.Columns(h + 6, 43, 48));
    // No last-coupon line: the day's one coupon is both first and last.
    z.FieldByName("NRULTCFREDZ").SetAsString(h + 7 == t ? r.Columns(h + 6, 43, 48) : r.Columns(h + 7, 43, 48));
  }
  if (t >= 0) {
    z.FieldByName("VRGTREDZ").SetAsFloat(r.Amount(t + 1, 29, 48));
    z.FieldByName("VRVENBRUREDZ").SetAsFloat(r.Amount(t + 2, 29, 48));
    z.FieldByName("VRISSREDZ").SetAsFloat(r.Amount(t + 3, 29, 48));
    z.FieldByName("VRTOTCANREDZ").SetAsFloat(r.Amount(t + 4, 29, 48));
    z.FieldByName("VRTOTDESREDZ").SetAsFloat(r.Amount(t + 5, 29, 48));
    // The restaurant model prints one more line before the net sales.
    if (const Model* model = ModelOf(Qdm00000::IdTipoImpFis)) {
      const int shift = model->net_sales_shift;
      z.FieldByName("VRVENLIQREDZ").SetAsFloat(r.Amount(t + 7 + shift, 29, 48));
      z.FieldByName("VRTOTACRREDZ").SetAsFloat(r.Amount(t + 8 + shift, 29, 48));
    }
  }
  const int n = r.Section(kUntaxed, "N\xC3O TRIBUTADOS");
  if (n >= 0) {
    z.FieldByName("VRSTRIBREDZ").SetAsFloat(r.Amount(n + 1, 29, 48));
    z.FieldByName("VRISENCREDZ").SetAsFloat(r.Amount(n + 2, 29, 48));
    z.FieldByName("VRNINCIDREDZ").SetAsFloat(r.Amount(n + 3, 29, 48));
  }
  const int d = r.Section(kTimes, "TEMPOS");
  if (d >= 0) {
    z.FieldByName("QTTEMLIGREDZ").SetAsString(Elapsed(r, d + 1));
    z.FieldByName("QTTEMPCFREDZ").SetAsString(Elapsed(r, d + 2));
    const std::string memoria = platform::Trim(r.Columns(d + 3, 19, 22));
    int restantes = 0;
    if (!platform::TryStrToInt(memoria, restantes)) throw ParseError("mem\xF3ria " + memoria);
    z.FieldByName("QTMEMRESREDZ").SetAsFloat(restantes);
  }
  z.Post();
}

void ReadMethods(const Report& r, TClientDataSet& formas, TClientDataSet& tipos) {
  Fresh(formas);
  const int p = r.Section(kMethods, "FORMAS DE PAGAMENTO");
  for (int i = p + 1; p >= 0 && r.Has(i) && !platform::Trim(r.Columns(i, 1, 2)).empty(); ++i) {
    StartRecord(formas);
    formas.FieldByName("VRFORMPGTORZ").SetAsFloat(r.Amount(i, 29, 48));
    if (tipos.Locate("CDFPIMPFIS", {platform::Variant(r.Columns(i, 1, 2))})) {
      const std::string tipo = tipos.FieldByName("CDTIPORECE").AsString();
      formas.FieldByName("CDTIPORECE").SetAsString(tipo);
      formas.FieldByName("CDTPRECEORIG").SetAsString(tipo);
      formas.Post();
    } else {
      formas.Cancel();
    }
  }
}

void ReadNonFiscal(const Report& r, TClientDataSet& totais) {
  Fresh(totais);
  const int q = r.Section(kNonFiscal, "TOTALIZADORES N\xC3O FISCAIS");
  for (int i = q + 2; q >= 0 && r.Has(i) && r.Line(i).rfind("--", 0) != 0; ++i) {
    StartRecord(totais);
    totais.FieldByName("NRTOTNFISCRZ").SetAsString(r.Columns(i, 1, 2));
    totais.FieldByName("DSTOTNFISCRZ").SetAsString(r.Columns(i, 4, 22));
    totais.FieldByName("NRCONTOTNFIS").SetAsString(r.Columns(i, 24, 27));
    totais.FieldByName("VRACUTOTNFIS").SetAsFloat(r.Amount(i, 29, 48));
    totais.Post();
  }
}

void ReadRate(const Report& r, int i, TClientDataSet& impostos, const char* tipo) {
  StartRecord(impostos);
  try {
    impostos.FieldByName("CDALIQIMPRZ").SetAsString(r.Columns(i, 1, 2));
    impostos.FieldByName("VRALIQIMPRZ").SetAsFloat(r.Amount(i, 5, 9));
    impostos.FieldByName("VRBCALCIMPRZ").SetAsFloat(r.Amount(i, 15, 29));
    impostos.FieldByName("VRIMPOSTORZ").SetAsFloat(r.Amount(i, 31, 48));
  } catch (...) {
    impostos.Cancel();
    throw;
  }
  impostos.FieldByName("IDTPIMPREDZ").SetAsString(tipo);
  impostos.Post();
}

bool IsTotal(const Report& r, int i) { return platform::Trim(r.Columns(i, 1, 5)) == "Total"; }

void ReadRates(const Report& r, TClientDataSet& impostos) {
  Fresh(impostos);
  const int a = r.Section(kTaxed, "TRIBUTADOS");
  for (int i = a + 2; a >= 0 && r.Has(i) && !IsTotal(r, i); ++i) {
    try {
      ReadRate(r, i, impostos, "T");
    } catch (const ParseError& erro) {
      // A taxed row that cannot be read is skipped; the next one may be sound.
      Log(std::string("ERRO!!! ExportRedZ: al\xEDquota tributada ignorada: ") + erro.what());
    }
  }
  const int s = r.Section(kService, "ISS");
  for (int i = s + 2; s >= 0 && !IsTotal(r, i); ++i) ReadRate(r, i, impostos, "S");
}

// The layout the data module declared for one of its datasets, taken
// before the first export copies a caller's dataset over it.
const std::vector<platform::TFieldDef>& OwnLayout(TClientDataSet& own) {
  static std::map<const TClientDataSet*, std::vector<platform::TFieldDef>> layouts;
  return layouts.try_emplace(&own, own.FieldDefs).first->second;
}

// A caller's dataset that is closed (or has no layout) gives the data
// module's own layout, empty: never the records, nor the layout, that an
// earlier export left there.
void CopyIn(TClientDataSet& caller, TClientDataSet& own) {
  const auto& layout = OwnLayout(own);
  if (caller.Active()) {
    own.SetData(caller.GetData());
    return;
  }
  own.Close();
  own.FieldDefs = layout;
}

// A section the parse never reached leaves the caller's dataset as it was.
void CopyBack(TClientDataSet& own, TClientDataSet& caller) {
  if (own.Active()) caller.SetData(own.GetData());
}

}  // namespace

double ReadAmount(const std::string& text) {
  std::string digits;
  for (char ch : platform::Trim(text)) {
    if (ch != ',' && ch != '.') digits += ch;
  }
  // A minus sign before the digits: "-5,00" is -5.00.
  const bool negative = !digits.empty() && digits.front() == '-';
  if (negative) digits.erase(0, 1);
  bool sound = !digits.empty();
  for (char ch : digits) sound = sound && ch >= '0' && ch <= '9';
  if (!sound) throw ParseError("valor " + text);
  // The last two digits are the hundredths, so 1.234,56 and 1,234.56 read
  // alike; a lone digit stands for tenths, as joined after the separator.
  const std::size_t cut = digits.size() < 2 ? 0 : digits.size() - 2;
  const std::string whole = digits.substr(0, cut);
  const std::string cents = digits.substr(cut);
  const double value = (whole.empty() ? 0 : std::stod(whole)) + std::stod(cents) / (cents.size() == 2 ? 100 : 10);
  return negative ? -value : value;
}

bool ExportRedZ_Bematech(TClientDataSet& tiposRecebimento, TClientDataSet& reducaoZ, TClientDataSet& formasPagamento,
                         TClientDataSet& impostos, TClientDataSet& totaisNaoFiscais) {
  TdtmCupomFiscal& dm = Qdm00000::DataModule();
  CopyIn(tiposRecebimento, dm.cdsTipoRece);
  if (!dm.cdsTipoRece.Active()) dm.cdsTipoRece.CreateDataSet();
  CopyIn(reducaoZ, dm.cdsReducaoZ);
  CopyIn(formasPagamento, dm.cdsFormPgtoRedZ);
  CopyIn(impostos, dm.cdsImpostoRedZ);
  CopyIn(totaisNaoFiscais, dm.cdsTotNFiscRedZ);

  // A report an earlier Z left behind must never pass for this one's: it
  // goes before the printer is asked for the new one.
  if (platform::FileExists(kReportFile) && (!platform::DeleteFile(kReportFile) || platform::FileExists(kReportFile))) {
    Log("ERRO!!! ExportRedZ: mp20fi.ret anterior n\xE3o removido");
    return false;
  }
  if (!EnviaComando_Bematech("69", {}, true, false)) {
    Log("ERRO!!! ExportRedZ: relat\xF3rio da redu\xE7\xE3o recusado pela impressora");
    return false;
  }
  if (!platform::FileExists(kReportFile)) {
    Log("ERRO!!! ExportRedZ: mp20fi.ret n\xE3o gerado pela impressora");
    return false;
  }
  std::istringstream file(platform::ReadFileBounded(kReportFile, kReportFileLimit));
  const Report report(LoadLines(file));
  bool lido = true;
  try {
    ReadReduction(report, dm.cdsReducaoZ);
    ReadMethods(report, dm.cdsFormPgtoRedZ, dm.cdsTipoRece);
    ReadNonFiscal(report, dm.cdsTotNFiscRedZ);
    ReadRates(report, dm.cdsImpostoRedZ);
  } catch (const std::exception& erro) {
    // The caller receives what was read before the fault.
    Log(std::string("ERRO!!! ExportRedZ: ") + erro.what());
    lido = false;
    for (TClientDataSet* ds : {&dm.cdsReducaoZ, &dm.cdsFormPgtoRedZ, &dm.cdsImpostoRedZ, &dm.cdsTotNFiscRedZ}) {
      if (!ds->Active() || ds->State() == platform::TDataSetState::dsBrowse) continue;
      // The reduction's record keeps the figures read; a half-read row goes.
      if (ds == &dm.cdsReducaoZ) {
        ds->Post();
      } else {
        ds->Cancel();
      }
    }
  }
  dm.cdsTipoRece.Close();
  CopyBack(dm.cdsReducaoZ, reducaoZ);
  CopyBack(dm.cdsFormPgtoRedZ, formasPagamento);
  CopyBack(dm.cdsImpostoRedZ, impostos);
  CopyBack(dm.cdsTotNFiscRedZ, totaisNaoFiscais);
  // A report that lacks a section, or a figure that could not be read,
  // leaves the day's export incomplete: that is no export.
  return lido && report.Complete();
}

}  // namespace Qdm00100
