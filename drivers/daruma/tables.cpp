// The printer's tables: the non-fiscal totalizers the point of sale needs,
// the payment-method letters and the tax rates, programming what is missing.
#include <functional>
#include <set>

#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/protocol.h"
#include "drivers/daruma/support.h"
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
  return FindEntry(table, kSignedEntry,
                   [&](const std::string& entry) { return platform::UpperCase(entry) == wanted; });
}

std::string FindNamed(const std::string& table, int width, const std::string& key) {
  const std::string wanted = platform::Trim(platform::Copy(CatalogueText(key), 1, kNameWidth));
  return FindEntry(table, width, [&](const std::string& entry) {
    return platform::Trim(platform::Copy(entry, 1, kNameWidth)) == wanted;
  });
}

// ProximaLetra from `start`, passing over letters already handed out in
// this loading: two totalizers programmed in one start-up never share a letter.
std::string NextLetter(int start, std::set<int>& taken) {
  int letter = ProximaLetra(start);
  while (taken.count(letter) != 0 && letter < kLastLetter) letter = ProximaLetra(letter + 1);
  taken.insert(letter);
  return Letter(letter);
}

// One totalizer the point of sale needs in a table of the printer.
struct Wanted {
  const char* key;
  std::string* letter;
  char prefix;  // '+', '-' (sign-and-name table) or 'V' (name table)
  bool advances;  // the start letter moves on after it
};

// Programs what the printer lacks, then takes each letter back from the
// printer's table: the letter is the printer's, the picked one stands only
// when the table cannot be read back.
void ProgramMissing(const std::vector<Wanted>& wanted, const std::vector<bool>& found,
                    const std::function<std::string(const std::string&, const Wanted&)>& reread) {
  std::set<int> taken;
  int start = 'A';
  bool programmed = false;
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    const Wanted& w = wanted[i];
    if (found[i]) continue;
    const std::string letter = NextLetter(start, taken);
    if (w.advances) ++start;
    if (EnviaComando_Daruma(Byte(kTotalizador), {w.prefix + PrinterName(w.key)}, false, false)) {
      *w.letter = letter;
      programmed = true;
    }
  }
  if (!programmed) return;
  const std::optional<std::string> again = Query(kTabelas);
  if (!again) return;
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    if (found[i]) continue;
    const std::string letter = reread(*again, wanted[i]);
    if (!letter.empty()) *wanted[i].letter = letter;
  }
}

void SignedTotalizers(const Model& model, const std::string& answer) {
  const std::string table = Field(answer, model.signed_totalizers);
  std::vector<Wanted> wanted{{"Suprimento", &IdTotParcSup, '+', false},
                             {"Sangria", &IdTotParcSang, '-', false}};
  if (IdImpVendCon == "S") wanted.push_back({"VENDA-CONS", &IdTotParcVCons, '+', false});
  std::vector<bool> found;
  for (const Wanted& w : wanted) {
    const std::string letter = FindSigned(table, w.prefix, w.key);
    if (!letter.empty()) *w.letter = letter;
    found.push_back(!w.letter->empty());
  }
  ProgramMissing(wanted, found, [&model](const std::string& again, const Wanted& w) {
    return FindSigned(Field(again, model.signed_totalizers), w.prefix, w.key);
  });
}

void NamedTotalizers(const Model& model, const std::string& answer) {
  const std::string table = Field(answer, model.named_totalizers);
  const std::vector<Wanted> wanted{{"CV-EMITIDO", &IdTotParcCV, 'V', false},
                                   {"RELAT-GER", &IdTotRelatGer, 'V', true},
                                   {"TEF", &IdTotTef, 'V', true},
                                   {"Compra-Cred", &IdTotCompCred, 'V', false}};
  std::vector<bool> found;
  for (const Wanted& w : wanted) {
    const std::string letter = FindNamed(table, kNameWidth, w.key);
    if (!letter.empty()) *w.letter = letter;
    found.push_back(!letter.empty());
  }
  ProgramMissing(wanted, found, [&model](const std::string& again, const Wanted& w) {
    return FindNamed(Field(again, model.named_totalizers), kNameWidth, w.key);
  });
}

using drivers::AddRate;

std::string FieldText(TClientDataSet& ds, const char* name) { return ds.FieldByName(name).AsString(); }

// The printer's letter of a payment method: the place of its name in the
// printer's list. The flag before the name says whether a credit note may be issued.
struct MethodFound {
  std::string letter;
  std::string flag;
};
MethodFound FindMethod(const std::string& lista, const std::string& nome) {
  const std::string upper = platform::UpperCase(lista);
  if (upper.find(platform::UpperCase(platform::Copy(nome, 1, 15))) == std::string::npos) return {};
  const std::size_t at = lista.find(platform::Copy(nome, 1, kMethodNameWidth));
  if (at == std::string::npos || at == 0) return {};
  const std::size_t flag_at = at - 1;
  if (flag_at % kMethodEntry != 0) return {};
  return {Letter('A' + static_cast<int>(flag_at / kMethodEntry)), lista.substr(flag_at, 1)};
}

int MethodCount(const std::string& lista) {
  int count = 0;
  for (std::size_t at = 0; at + 1 < lista.size(); at += kMethodEntry) {
    if (platform::Trim(lista.substr(at, kMethodEntry)).empty()) break;
    ++count;
  }
  return count;
}

void PaymentMethodsType7(TClientDataSet& recebimentos) {
  const std::optional<std::string> answer = Query(kTabelas);
  if (!answer) return;
  const std::string lista = Field(*answer, CurrentModel().payment_methods);
  bool changed = false;
  recebimentos.First();
  while (!recebimentos.Eof()) {
    const std::string tipo = FieldText(recebimentos, "IDTIPORECE");
    const std::string nome = FieldText(recebimentos, "NMTIPORECE");
    MethodFound found;
    if (tipo != "B" && !platform::Trim(lista).empty()) found = FindMethod(lista, nome);
    if (!found.letter.empty()) {
      recebimentos.Edit();
      recebimentos.FieldByName("CDFPIMPFIS").SetAsString(found.letter);
      recebimentos.FieldByName("IDEMIVALE").SetAsString(found.flag == "V" ? "S" : "N");
      recebimentos.Post();
      changed = true;
    }
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
    // This kind of method must let the printer issue a credit note.
    if (tipo == "4" && found.flag == "N") {
      EnviaComando_Daruma(Byte(kFormaPagamento),
                          {"PGV" + found.letter + util::TamFixo(nome, kMethodNameWidth)}, false, false);
    }
    recebimentos.Next();
  }

  // Methods the printer lacks go after the ones it holds.
  int letter = 'A' + MethodCount(lista);
  recebimentos.First();
  while (!recebimentos.Eof()) {
    const std::string nome = FieldText(recebimentos, "NMTIPORECE");
    if (FieldText(recebimentos, "CDFPIMPFIS").empty() && FieldText(recebimentos, "IDTIPORECE") != "B" &&
        letter <= kLastLetter) {
      if (EnviaComando_Daruma(Byte(kFormaPagamento),
                              {"PGV" + Letter(letter) + util::TamFixo(nome, kMethodNameWidth)}, false,
                              false)) {
        recebimentos.Edit();
        recebimentos.FieldByName("CDFPIMPFIS").SetAsString(Letter(letter));
        recebimentos.FieldByName("IDEMIVALE").SetAsString("S");
        recebimentos.Post();
        changed = true;
        ++letter;
      }
    }
    recebimentos.Next();
  }
  // The payment-type file keeps the letters the printer now uses, so the
  // next letter picked for a totalizer sees them (written whole or not at all).
  if (changed && !recebimentos.FileName.empty()) recebimentos.SaveToFile(recebimentos.FileName);
}

void PaymentMethodsType8(TClientDataSet& recebimentos) {
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
  // Without the payment-type file no letter is in use yet.
  if (!platform::FileExists(letras.FileName)) {
    Log("ERRO!!! Arquivo nao encontrado: " + letras.FileName);
    return inicio;
  }
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
  if (model.tipo == 8) {
    const std::optional<std::string> answer = Query(kTabelas);
    if (!answer) return;
    const std::string letter =
        FindNamed(Field(*answer, model.credit_note_table), kSignedEntry, model.credit_note_key);
    if (!letter.empty()) IdTotParcCV = letter;
    return;
  }
  const std::optional<std::string> first = Query(kTabelas);
  if (!first) return;
  SignedTotalizers(model, *first);
  const std::optional<std::string> second = Query(kTabelas);
  if (!second) return;
  NamedTotalizers(model, *second);
}

void CarregaRec_Daruma(TClientDataSet& recebimentos) {
  if (!recebimentos.Active()) recebimentos.Open();
  if (CurrentModel().tipo == 8) {
    PaymentMethodsType8(recebimentos);
  } else {
    PaymentMethodsType7(recebimentos);
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
    // Upper-case codes are rates of the goods tax, lower-case ones of the service tax.
    const char c = entry[0];
    AddRate(aliquotas, entry.substr(0, 1), valor, c >= 'A' && c <= 'Z' ? "T" : "S");
  }
  AddRate(aliquotas, "N", 0, "N");
  AddRate(aliquotas, "I", 0, "I");
  AddRate(aliquotas, "F", 0, "F");
}

}  // namespace Qdm00300
