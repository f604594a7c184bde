// The printer's tables: the non-fiscal totalizers the cash movements post
// to, the tax rates, and the payment methods reconciled with the shop's
// payment types in "tiporece.cds".
#include <array>
#include <exception>

#include "drivers/sweda/Qdm00200.h"
#include "drivers/sweda/driver.h"
#include "drivers/common/driver_services.h"
#include "drivers/common/tax_rates.h"
#include "platform/base/errors.h"
#include "platform/base/sysutils.h"
#include "platform/os/application.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace Qdm00200 {

using namespace detail;

namespace {

constexpr int kTableReads = 10;
constexpr int kTotalizerEntry = 15;
constexpr int kTotalizerName = 14;
constexpr int kRateEntry = 7;
constexpr int kMethodName = 15;

// Where each table's data sits in the answer to "29" (1-based, inclusive);
// the payment methods end further on the models with a flag per method.
struct TableSlice {
  char selector;
  int from;
  int to;       // types 3 and 4
  int to_wide;  // types 5 and 6
};

constexpr std::array<TableSlice, 3> kRateSlices{{{'3', 49, 76, 76}, {'4', 8, 56, 56}, {'5', 8, 35, 35}}};
constexpr std::array<TableSlice, 2> kMethodSlices{{{'5', 36, 80, 83}, {'6', 8, 112, 119}}};
constexpr std::array<TableSlice, 7> kTotalizerSlices{{{'7', 38, 127, 127},
                                                      {'8', 8, 127, 127},
                                                      {'9', 8, 127, 127},
                                                      {'A', 8, 127, 127},
                                                      {'B', 8, 127, 127},
                                                      {'C', 8, 127, 127},
                                                      {'D', 8, 67, 67}}};

std::string SliceOf(const std::string& answer, const TableSlice& slice) {
  return Slice(answer, slice.from, MethodWidth() == kMethodName ? slice.to : slice.to_wide);
}

// Reads every table and joins the slices of those read (a refusal's text
// is no table data); false when a read failed.
template <std::size_t N>
bool ReadSlices(const std::array<TableSlice, N>& slices, std::string& list) {
  list.clear();
  bool read = true;
  for (const TableSlice& slice : slices) {
    const std::optional<std::string> answer = ReadTable(slice.selector);
    if (answer) {
      list += SliceOf(*answer, slice);
    } else {
      read = false;
    }
  }
  return read;
}

std::string TwoDigits(int n) { return util::Ajusta(platform::IntToStr(n), 2); }

// The catalogue text of a key as a 14-character totalizer name, as written
// and in upper case.
std::string TotalizerName(const std::string& key) { return util::TamFixo(CatalogueText(key), kTotalizerName); }
std::string UpperTotalizerName(const std::string& key) {
  return util::TamFixo(platform::UpperCase(CatalogueText(key)), kTotalizerName);
}

struct TotalizerPattern {
  char sign;
  const char* key;
  std::string* group;
  std::string* entry;
};

// One walk of the totalizer list; false when it could not be read.
bool FindTotalizers() {
  IdTotParcOutr.clear();
  IdTotParcSang.clear();
  IdTotParcSup.clear();
  IdTotParcES.clear();
  IdTotParcVCons.clear();
  IdTotCompCred.clear();
  std::string list;
  if (!ReadSlices(kTotalizerSlices, list)) return false;
  const std::array<TotalizerPattern, 4> patterns{{
      {'+', "Suprimento", &IdTotParcES, &IdTotParcSup},
      {'-', "Sangria", &IdTotParcES, &IdTotParcSang},
      {'+', "TotalizVendaCons", &IdTotParcOutr, &IdTotParcVCons},
      {'+', "Compra-Cred", &IdTotParcOutr, &IdTotCompCred},
  }};
  std::string group;
  for (int n = 1; !platform::Trim(list).empty(); ++n) {
    const std::string entry = platform::UpperCase(platform::Copy(list, 1, kTotalizerEntry));
    if (!entry.empty() && entry[0] == '&') group = TwoDigits(n);
    for (const TotalizerPattern& p : patterns) {
      if (entry == std::string(1, p.sign) + UpperTotalizerName(p.key)) {
        *p.group = group;
        *p.entry = TwoDigits(n);
      }
    }
    platform::Delete(list, 1, kTotalizerEntry);
  }
  return true;
}

// The "38" the walk calls for, or nothing when every totalizer is there.
std::optional<std::vector<std::string>> MissingTotalizers() {
  const bool vendaCons = IdImpVendCon == "S";
  const std::vector<std::string> cash{"&" + TotalizerName("TOTALIZ"), "+" + TotalizerName("Suprimento"),
                                      "-" + TotalizerName("Sangria")};
  const std::vector<std::string> others{"&" + TotalizerName("TOTALIZOUTROS"), "+" + TotalizerName("TotalizVendaCons"),
                                        "+" + TotalizerName("Compra-Cred")};
  std::vector<std::string> args{"N"};
  if ((IdTotCompCred.empty() || IdTotParcSup.empty() || IdTotParcSang.empty()) && vendaCons && IdTotParcVCons.empty()) {
    args.insert(args.end(), cash.begin(), cash.end());
    args.insert(args.end(), others.begin(), others.end());
  } else if (IdTotParcSup.empty() || IdTotParcSang.empty()) {
    args.insert(args.end(), cash.begin(), cash.end());
  } else if (vendaCons && (IdTotParcVCons.empty() || IdTotCompCred.empty())) {
    args.insert(args.end(), others.begin(), others.end());
  } else {
    return std::nullopt;
  }
  return args;
}

using drivers::AddRate;

// The field text of the current record.
std::string Field(platform::TClientDataSet& ds, const char* name) { return ds.FieldByName(name).AsString(); }

void SetPaymentGlobals(platform::TClientDataSet& ds, std::string& cd, std::string& id, std::string& nm) {
  cd = Field(ds, "CDTIPORECE");
  id = Field(ds, "CDFPIMPFIS");
  nm = platform::Copy(Field(ds, "NMTIPORECE"), 1, 16);
}

void ClearPaymentGlobals(std::string& cd, std::string& id, std::string& nm) {
  cd.clear();
  id.clear();
  nm.clear();
}

void Number(platform::TClientDataSet& ds, const std::string& numero, const std::string& flag) {
  ds.Edit();
  ds.FieldByName("CDFPIMPFIS").SetAsString(numero);
  ds.FieldByName("IDEMIVALE").SetAsString(flag);
  ds.Post();
}

// The 15-character entry name of a payment type, "#" before the name when
// `marked`.
std::string EntryName(const std::string& nome, bool marked) {
  return platform::Copy((marked ? "#" : "") + util::TamFixo(nome, kMethodName), 1, kMethodName);
}

// First pass: every payment type but the "B" rows numbered in order; the
// list the printer should hold.
std::string NumberInOrder(platform::TClientDataSet& tipos, const std::string& printer) {
  platform::TClientDataSet& troco = Qdm00000::DataModule().cdsTipoTroco;
  const bool flagged = MethodWidth() != kMethodName;
  std::string lista;
  int k = 1;
  for (tipos.First(); !tipos.Eof(); tipos.Next()) {
    const std::string tipo = Field(tipos, "IDTIPORECE");
    if (tipo != "B") {
      // Only the change type of this row marks it: a row that names none
      // (or one not in the file) is never marked by a row found before.
      const bool troco7 = troco.Locate("CDTIPORECE", {platform::Variant(Field(tipos, "CDTIPOTROCO"))}) &&
                          Field(troco, "IDTIPORECE") == "7";
      const std::string nome = Field(tipos, "NMTIPORECE");
      const std::string entry = EntryName(nome, troco7);
      std::string flag = "S";
      if (flagged) {
        const int p = platform::Pos(platform::Copy(nome, 1, kMethodName), printer);
        if (p > 1) {
          flag = std::string(1, At(printer, p - 1));
          if (flag == "#" && p > 2) flag = std::string(1, At(printer, p - 2));
        }
        lista += flag;
      }
      lista += entry;
      Number(tipos, TwoDigits(k), flag);
      ++k;
    }
    if (tipo == "9") SetPaymentGlobals(tipos, CdFormPagCPess, IdFormPagCPess, DsFormPagCPess);
    // The consumer sale is numbered here too: a list the printer already
    // holds makes no second pass.
    if (tipo == "A") SetPaymentGlobals(tipos, CdFormPagVCons, IdFormPagVCons, DsFormPagVCons);
    platform::Application().ProcessMessages();
  }
  return lista;
}

// Second pass, after the printer refused the new list: each payment type
// takes the index of the method of its name on the printer, or none.
void NumberByPrinter(platform::TClientDataSet& tipos, const std::string& printer) {
  const int width = MethodWidth();
  const bool flagged = width != kMethodName;
  const std::string upper = platform::UpperCase(printer);
  for (tipos.First(); !tipos.Eof(); tipos.Next()) {
    const std::string tipo = Field(tipos, "IDTIPORECE");
    const std::string candidate =
        platform::UpperCase(EntryName(Field(tipos, "NMTIPORECE"), tipo == "5" || tipo == "7"));
    // Only a whole entry counts: a name found across two entries is no method.
    int index = -1;
    for (int i = 0; (i + 1) * width <= static_cast<int>(upper.size()); ++i) {
      if (upper.compare(static_cast<std::size_t>(i * width + width - kMethodName), kMethodName, candidate) == 0) {
        index = i;
        break;
      }
    }
    if (index < 0) {
      tipos.Edit();
      tipos.FieldByName("CDFPIMPFIS").SetAsString("");
      tipos.Post();
      if (tipo == "9") ClearPaymentGlobals(CdFormPagCPess, IdFormPagCPess, DsFormPagCPess);
      if (tipo == "A") ClearPaymentGlobals(CdFormPagVCons, IdFormPagVCons, DsFormPagVCons);
    } else {
      const std::string flag = flagged ? std::string(1, printer[static_cast<std::size_t>(index * width)]) : "";
      Number(tipos, TwoDigits(index + 1), flag);
      if (tipo == "9") SetPaymentGlobals(tipos, CdFormPagCPess, IdFormPagCPess, DsFormPagCPess);
      if (tipo == "A") SetPaymentGlobals(tipos, CdFormPagVCons, IdFormPagVCons, DsFormPagVCons);
    }
    platform::Application().ProcessMessages();
  }
}

}  // namespace

namespace detail {

int MethodWidth() { return ModelOf(Qdm00000::IdTipoImpFis).method_width; }

std::optional<std::string> ReadTable(char selector) {
  const std::string sel(1, selector);
  std::string answer;
  for (int attempt = 1; attempt <= kTableReads; ++attempt) {
    // The method table and the last totalizer table are slower to come.
    const bool pause = selector == '6' ? attempt >= 8 : attempt > 1;
    if (pause) util::Delay(static_cast<unsigned char>(selector == 'D' ? attempt : 1));
    EnviaComando_Sweda("29", {sel}, false, true);
    answer = RetornoImpFiscal_Sweda("", true);
    if (At(answer, 7) == selector || Refused(answer)) break;
  }
  if (Refused(answer) && !Busy(answer)) return std::nullopt;
  // An answer of another table after every attempt is no answer either.
  if (At(answer, 7) != selector) return std::nullopt;
  return answer;
}

}  // namespace detail

void CarregaTot_Sweda() {
  for (int pass = 1; pass <= 2; ++pass) {
    if (!FindTotalizers()) return;
    const auto missing = MissingTotalizers();
    if (!missing) return;
    EnviaComando_Sweda("38", *missing, false, false);
  }
}

void CarregaAliq_Sweda() {
  platform::TClientDataSet& aliquotas = Qdm00000::DataModule().cdsAliqImpFis;
  // The rates of every table read; a table the printer refused adds none
  // and takes none of the others' away.
  std::string list;
  for (const TableSlice& slice : kRateSlices) {
    const std::optional<std::string> answer = ReadTable(slice.selector);
    if (answer) list += platform::TrimRight(SliceOf(*answer, slice));
  }
  aliquotas.Close();
  aliquotas.CreateDataSet();
  const char sep = platform::FormatSettings().DecimalSeparator;
  for (; !list.empty(); platform::Delete(list, 1, kRateEntry)) {
    const std::string entry = platform::Copy(list, 1, kRateEntry);
    double valor = 0;
    // A blank or malformed entry is no rate.
    if (platform::Trim(entry).empty() ||
        !platform::TryStrToFloat(platform::Copy(entry, 4, 2) + sep + platform::Copy(entry, 6, 2), valor))
      continue;
    AddRate(aliquotas, platform::Copy(entry, 1, 3), valor, platform::Copy(entry, 1, 1));
  }
  AddRate(aliquotas, "N", 0, "N");
  AddRate(aliquotas, "I", 0, "I");
  AddRate(aliquotas, "F", 0, "F");
}

void CarregaRec_Sweda(TClientDataSet& recebimentos) {
  std::string printer;
  // Without the printer's whole list the payment types keep the numbering
  // in order and nothing is programmed.
  const bool read = ReadSlices(kMethodSlices, printer);
  if (!read) Log("ERRO!!! Leitura das formas de pagamento");
  const std::string arquivo = Qdm00000::DsDirCad + "tiporece.cds";
  platform::TClientDataSet& troco = Qdm00000::DataModule().cdsTipoTroco;
  try {
    recebimentos.Close();
    recebimentos.FileName = arquivo;
    recebimentos.Open();
    troco.Close();
    troco.FileName = arquivo;
    troco.Open();
  } catch (const std::exception& e) {
    // A missing or unreadable file ends the start-up; nothing is written.
    Log(std::string("ERRO!!! ") + arquivo + ": " + e.what());
    throw;
  }
  const std::string lista = NumberInOrder(recebimentos, printer);
  const bool equal = platform::UpperCase(platform::Trim(lista)) == platform::UpperCase(platform::Trim(printer));
  if (read && !equal && !Config_FormaPg_Sweda(lista, false, false)) NumberByPrinter(recebimentos, printer);
  // Closing writes the changed rows back to the file, whole or not at all.
  recebimentos.Close();
}

bool Config_FormaPg_Sweda(const std::string& lista, bool avisa, bool repete) {
  return EnviaComando_Sweda("39", {lista}, avisa, repete);
}

bool Nomeia_TotParcial_Sweda(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                             const std::string& campo4, bool avisa, bool repete) {
  return EnviaComando_Sweda("38", {campo1, campo2, campo3, campo4}, avisa, repete);
}

}  // namespace Qdm00200
