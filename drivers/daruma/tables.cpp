// The printer's tables: the non-fiscal totalizers the point of sale needs,
// the payment-method letters and the tax rates, programming what is missing.

#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/driver.h"
#include "drivers/common/driver_services.h"
#include "drivers/common/tax_rates.h"
#include "platform/base/sysutils.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace Qdm00300 {

using namespace detail;

namespace {

constexpr int kNameWidth = 21;
constexpr int kSignedEntry = 22;
constexpr int kMethodEntry = 17;  // the flag, then 16 characters of name
constexpr int kMethodNameWidth = 16;
constexpr int kRateEntry = 5;
constexpr char kLastLetter = 'Q';
const char* const kTipoReceFile = "tiporece.cds";

std::string Letter(int code) { return std::string(1, static_cast<char>(code)); }

std::string PrinterName(const std::string& key) { return util::TamFixo(CatalogueText(key), kNameWidth); }

// The letter of the entry `wanted` in a table of `width`-character entries
// read from "A" on while the rest is not blank; "" when absent.
template <typename Match>
std::string FindEntry(std::string table, int width, Match matches) {
  for (char letter = 'A'; !platform::Trim(table).empty(); ++letter) {
    if (matches(platform::Copy(table, 1, width))) return Letter(letter);
    platform::Delete(table, 1, width);
  }
  return std::string();
}

std::string FindSigned(const std::string& table, char sign, const std::string& key) {
  const std::string wanted = platform::UpperCase(sign + PrinterName(key));
  return FindEntry(table, kSignedEntry, [&](const std::string& entry) { return platform::UpperCase(entry) == wanted; });
}

std::string FindNamed(const std::string& table, int width, const std::string& key) {
  const std::string wanted = platform::Trim(platform::Copy(CatalogueText(key), 1, kNameWidth));
  return FindEntry(table, width, [&](const std::string& entry) {
    return platform::Trim(platform::Copy(entry, 1, kNameWidth)) == wanted;
  });
}

// One totalizer the point of sale needs in a table of the printer.
struct Wanted {
  const char* key;
  std::string* letter;
  char prefix;    // '+', '-' (sign-and-name table) or 'V' (name table)
  bool advances;  // the start letter moves on after programming it
};

// Programs a totalizer the printer lacks: its letter is the first one from
// `start` that no payment type of the file uses.
void Program(const Wanted& w, int start) {
  *w.letter = Letter(ProximaLetra(start));
  EnviaComando_Daruma(Byte(kTotalizador), {w.prefix + PrinterName(w.key)}, false, false);
}

// The printer files a programmed name where it has room, whatever letter was
// picked for it: the letter is taken back from the printer's table when the
// name now stands there (two totalizers programmed in one loading would
// otherwise share the picked letter).
template <typename Find>
void TakeBack(const std::vector<const Wanted*>& programmed, Find find) {
  for (const Wanted* w : programmed) {
    const std::string letter = find(*w);
    if (!letter.empty()) *w->letter = letter;
  }
}

// The sign-and-name table; answers the totalizers it programmed.
std::vector<const Wanted*> SignedTotalizers(const std::vector<Wanted>& wanted, const std::string& table) {
  for (const Wanted& w : wanted) {
    const std::string letter = FindSigned(table, w.prefix, w.key);
    if (!letter.empty()) *w.letter = letter;
  }
  std::vector<const Wanted*> programmed;
  for (const Wanted& w : wanted) {
    // The consumer-sale totalizer is programmed only when the front end wants it.
    if (w.letter == &IdTotParcVCons && IdImpVendCon != "S") continue;
    if (!w.letter->empty()) continue;
    Program(w, 'A');
    programmed.push_back(&w);
  }
  return programmed;
}

// The name table; answers the totalizers it programmed.
std::vector<const Wanted*> NamedTotalizers(const std::vector<Wanted>& wanted, const std::string& table) {
  std::vector<const Wanted*> programmed;
  int start = 'A';
  for (const Wanted& w : wanted) {
    const std::string letter = FindNamed(table, kNameWidth, w.key);
    if (!letter.empty()) {
      *w.letter = letter;
      continue;
    }
    Program(w, start);
    if (w.advances) ++start;
    programmed.push_back(&w);
  }
  return programmed;
}

// Reads the totalizers the point of sale needs and programs those missing.
void ProgramTotalizers(const Model& model) {
  const std::optional<std::string> first = Query(kTabelas);
  if (!first) return;
  const std::vector<Wanted> with_sign{{"Suprimento", &IdTotParcSup, '+', false},
                                      {"Sangria", &IdTotParcSang, '-', false},
                                      {"VENDA-CONS", &IdTotParcVCons, '+', false}};
  const std::vector<const Wanted*> signed_programmed =
      SignedTotalizers(with_sign, Field(*first, model.signed_totalizers));
  const std::optional<std::string> second = Query(kTabelas);
  if (!second) return;
  TakeBack(signed_programmed,
           [&](const Wanted& w) { return FindSigned(Field(*second, model.signed_totalizers), w.prefix, w.key); });
  const std::vector<Wanted> named{{"CV-EMITIDO", &IdTotParcCV, 'V', false},
                                  {"RELAT-GER", &IdTotRelatGer, 'V', true},
                                  {"TEF", &IdTotTef, 'V', true},
                                  {"Compra-Cred", &IdTotCompCred, 'V', false}};
  const std::vector<const Wanted*> named_programmed = NamedTotalizers(named, Field(*second, model.named_totalizers));
  if (named_programmed.empty()) return;
  const std::optional<std::string> again = Query(kTabelas);
  if (!again) return;
  TakeBack(named_programmed,
           [&](const Wanted& w) { return FindNamed(Field(*again, model.named_totalizers), kNameWidth, w.key); });
}

using drivers::AddRate;

std::string FieldText(TClientDataSet& ds, const char* name) { return ds.FieldByName(name).AsString(); }

// A payment method on the printer: its letter is the place of its entry in
// the printer's list (a flag, then 16 characters of name), whatever order
// the payment-type file keeps; the flag says whether a credit note may be
// issued. The name counts as there when its first 15 characters, in upper
// case, stand anywhere in the list in upper case.
struct MethodFound {
  std::string letter;
  std::string flag;
};
MethodFound FindMethod(const std::string& lista, const std::string& nome) {
  const std::string upper = platform::UpperCase(lista);
  const std::string key = platform::UpperCase(platform::Copy(nome, 1, 15));
  if (key.empty()) return {};
  const std::size_t found = upper.find(key);
  if (found == std::string::npos) return {};
  // Where the name stands: its 16 characters in the printer's case, else in
  // any case, else where its first 15 were seen.
  const std::string name16 = platform::Copy(nome, 1, kMethodNameWidth);
  std::size_t at = lista.find(name16);
  if (at == std::string::npos) at = upper.find(platform::UpperCase(name16));
  if (at == std::string::npos) at = found;
  const std::size_t entry = at == 0 ? 0 : (at - 1) / kMethodEntry;
  return {Letter('A' + static_cast<int>(entry)), lista.substr(entry * kMethodEntry, 1)};
}

int MethodCount(const std::string& lista) {
  int count = 0;
  for (std::size_t at = 0; at + 1 < lista.size(); at += kMethodEntry) {
    if (platform::Trim(lista.substr(at, kMethodEntry)).empty()) break;
    ++count;
  }
  return count;
}

void SetLetter(TClientDataSet& recebimentos, const std::string& letter, const std::string& vale) {
  recebimentos.Edit();
  recebimentos.FieldByName("CDFPIMPFIS").SetAsString(letter);
  recebimentos.FieldByName("IDEMIVALE").SetAsString(vale);
  recebimentos.Post();
}

void LetterPaymentMethods(TClientDataSet& recebimentos) {
  recebimentos.First();
  const std::optional<std::string> answer = Query(kTabelas);
  if (!answer) return;
  const std::string lista = Field(*answer, CurrentModel().payment_methods);
  for (; !recebimentos.Eof(); recebimentos.Next()) {
    const std::string tipo = FieldText(recebimentos, "IDTIPORECE");
    const std::string nome = FieldText(recebimentos, "NMTIPORECE");
    MethodFound found;
    if (tipo != "B" && !platform::Trim(lista).empty()) found = FindMethod(lista, nome);
    if (!found.letter.empty()) SetLetter(recebimentos, found.letter, found.flag == "V" ? "S" : "N");
    if (tipo == "9") {
      CdFormPagCPess = FieldText(recebimentos, "CDTIPORECE");
      IdFormPagCPess = FieldText(recebimentos, "CDFPIMPFIS");
      DsFormPagCPess = platform::Copy(nome, 1, 17);
    }
    if (tipo == "A") {
      IdFormPagVCons = FieldText(recebimentos, "CDFPIMPFIS");
      CdFormPagVCons = FieldText(recebimentos, "CDTIPORECE");
      DsFormPagVCons = platform::Copy(nome, 1, 17);
    }
    // This kind of method must let the printer issue a credit note: its
    // flag is set at its own letter.
    if (tipo == "4" && found.flag == "N") {
      EnviaComando_Daruma(Byte(kFormaPagamento), {"PGV" + found.letter + util::TamFixo(nome, kMethodNameWidth)}, false,
                          false);
    }
  }

  // Methods the printer lacks take the places after the ones it holds.
  int letter = 'A' + MethodCount(lista);
  for (recebimentos.First(); !recebimentos.Eof(); recebimentos.Next()) {
    if (!FieldText(recebimentos, "CDFPIMPFIS").empty() || FieldText(recebimentos, "IDTIPORECE") == "B" ||
        letter > kLastLetter)
      continue;
    const std::string nome = FieldText(recebimentos, "NMTIPORECE");
    if (EnviaComando_Daruma(Byte(kFormaPagamento), {"PGV" + Letter(letter) + util::TamFixo(nome, kMethodNameWidth)},
                            false, false)) {
      SetLetter(recebimentos, Letter(letter), "S");
      ++letter;
    }
  }
}

// The payment types keep no letter: only the names of the two special ones.
void NamePaymentMethods(TClientDataSet& recebimentos) {
  CdFormPagCPess.clear();
  CdFormPagVCons.clear();
  recebimentos.First();
  while (!recebimentos.Eof()) {
    const std::string tipo = FieldText(recebimentos, "IDTIPORECE");
    if (tipo == "9") {
      CdFormPagCPess = FieldText(recebimentos, "CDTIPORECE");
      DsFormPagCPess = platform::Copy(FieldText(recebimentos, "NMTIPORECE"), 1, 17);
    } else if (tipo == "A") {
      CdFormPagVCons = FieldText(recebimentos, "CDTIPORECE");
      DsFormPagVCons = platform::Copy(FieldText(recebimentos, "NMTIPORECE"), 1, 17);
    }
    recebimentos.Next();
  }
  recebimentos.Close();
}

}  // namespace

int ProximaLetra(int inicio) {
  platform::TClientDataSet& letras = Qdm00000::DataModule().cdsProxLetra;
  letras.Close();
  letras.FileName = Qdm00000::DsDirCad + kTipoReceFile;
  // The front end keeps the payment-type file; without it the letters in
  // use are unknown, and opening it raises.
  if (!platform::FileExists(letras.FileName)) Log("ERRO!!! Arquivo nao encontrado: " + letras.FileName);
  letras.Open();
  for (int letter = inicio; letter <= kLastLetter; ++letter) {
    bool used = false;
    for (letras.First(); !letras.Eof() && !used; letras.Next())
      used = FieldText(letras, "CDFPIMPFIS") == Letter(letter);
    if (!used) return letter;
  }
  return inicio;
}

void CarregaTot_Daruma() {
  const Model& model = CurrentModel();
  if (model.payments == Payments::ByLetter) return ProgramTotalizers(model);
  const std::optional<std::string> answer = Query(kTabelas);
  if (!answer) return;
  const std::string letter = FindNamed(Field(*answer, model.credit_note_table), kSignedEntry, model.credit_note_key);
  if (!letter.empty()) IdTotParcCV = letter;
}

void CarregaRec_Daruma(TClientDataSet& recebimentos) {
  if (!recebimentos.Active()) recebimentos.Open();
  if (CurrentModel().payments == Payments::ByLetter) {
    LetterPaymentMethods(recebimentos);
  } else {
    NamePaymentMethods(recebimentos);
  }
}

void CarregaAliq_Daruma() {
  platform::TClientDataSet& aliquotas = Qdm00000::DataModule().cdsAliqImpFis;
  aliquotas.Close();
  aliquotas.CreateDataSet();
  // The rates are learnt only from a good answer; otherwise the table keeps
  // just the untaxed classes and no item is sold under a wrong rate.
  const std::optional<std::string> answer = Query(kAliquotas);
  std::string table = answer ? Field(*answer, {3, 80}) : std::string();
  while (!table.empty()) {
    const std::string entry = platform::Copy(table, 1, kRateEntry);
    platform::Delete(table, 1, kRateEntry);
    if (entry.size() < kRateEntry || entry[1] == '/') continue;
    const std::string texto = entry.substr(1, 2) + platform::FormatSettings().DecimalSeparator + entry.substr(3, 2);
    double valor = 0;
    if (!platform::TryStrToFloat(texto, valor)) continue;
    // The goods tax's rates are the letters A to Q; any other code is a
    // rate of the service tax.
    const char c = entry[0];
    AddRate(aliquotas, entry.substr(0, 1), valor, c >= 'A' && c <= kLastLetter ? "T" : "S");
  }
  AddRate(aliquotas, "N", 0, "N");
  AddRate(aliquotas, "I", 0, "I");
  AddRate(aliquotas, "F", 0, "F");
}

}  // namespace Qdm00300
